#include "platform/QtDocumentOpener.h"

#include "platform/Shell.h"

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

#include <QDesktopServices>
#include <QFile>
#include <QList>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fx {
namespace {

// Stands in for the desktop: QDesktopServices hands URLs of a scheme to it instead.
class TUrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Urls;

 public slots:
  void Open(const QUrl& url) { Urls << url; }
};

class QtDocumentOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* scheme : {"file", "https", "mailto"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &FRecorder, "Open");
    InstallQtDocumentOpener();
  }
  void TearDown() override {
    SetDocumentOpener({});
    for (const char* scheme : {"file", "https", "mailto"})
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
  }

  test::TTempDir FDir;
  TUrlRecorder FRecorder;
};

TEST_F(QtDocumentOpenerTest, DocumentsAndFoldersReachTheDesktopAsFileUrls) {
  // Blanks, a hash, a percent sign and non-ASCII letters must survive the trip into a URL.
  const std::filesystem::path doc = FDir / "Mod Docs #1 100% Æsir.txt";
  test::WriteFileBytes(doc, "text\n");

  EXPECT_EQ(ShellExecute("open", doc.string(), "", ""), kShellSuccess);
  EXPECT_EQ(ShellExecute("open", FDir.Path().string(), "", ""), kShellSuccess);

  ASSERT_EQ(FRecorder.Urls.size(), 2);
  EXPECT_EQ(FRecorder.Urls[0].toLocalFile(), QFile::decodeName(doc.c_str()));
  EXPECT_EQ(FRecorder.Urls[1].toLocalFile(), QFile::decodeName(FDir.Path().c_str()));
}

TEST_F(QtDocumentOpenerTest, ANameThatIsNotUtf8ReachesTheDesktopByItsBytes) {
  const std::filesystem::path doc = FDir / "lisez-moi-\xE9t\xE9.txt";
  test::WriteFileBytes(doc, "text\n");

  EXPECT_EQ(ShellExecute("open", doc.string(), "", ""), kShellSuccess);

  ASSERT_EQ(FRecorder.Urls.size(), 1);
  EXPECT_EQ(QByteArray::fromPercentEncoding(FRecorder.Urls[0].toEncoded()).toStdString(),
            "file://" + doc.string());
}

TEST_F(QtDocumentOpenerTest, AddressesReachTheDesktopAsTheyAre) {
  EXPECT_EQ(ShellExecute("open", "https://example.org/files?a=1&b=two", "", ""), kShellSuccess);
  EXPECT_EQ(ShellExecute("open", "mailto:someone@example.org", "", ""), kShellSuccess);

  ASSERT_EQ(FRecorder.Urls.size(), 2);
  EXPECT_EQ(FRecorder.Urls[0], QUrl(QStringLiteral("https://example.org/files?a=1&b=two")));
  EXPECT_EQ(FRecorder.Urls[1], QUrl(QStringLiteral("mailto:someone@example.org")));
}

}  // namespace
}  // namespace fx

#include "QtDocumentOpenerTest.moc"
