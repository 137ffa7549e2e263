#include "gamedata/ViewDocsDlg.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/FindControl.h"
#include "fixtures/ModalDialog.h"
#include "fixtures/RecordingOpener.h"
#include "fixtures/ScriptedDialogs.h"
#include "fixtures/TempDir.h"
#include "platform/Shell.h"

namespace fx {
namespace {

using test::TScriptedDialogs;
using test::WhenModal;
using Names = std::vector<std::string>;

using test::Control;

using test::TRecordingOpener;

Names Column(const QTreeWidget& list, int column) {
  Names texts;
  for (int i = 0; i < list.topLevelItemCount(); ++i)
    texts.push_back(list.topLevelItem(i)->text(column).toStdString());
  return texts;
}

class ViewDocsDlgTest : public ::testing::Test {
 protected:
  test::TTempDir FDir;
  TRecordingOpener FOpener;
  TScriptedDialogs FDialogs;
  void Touch(std::string_view name) { test::WriteFileBytes(FDir / name, "text\n"); }
  std::string Path(std::string_view name) const { return (FDir / name).string(); }
};

TEST_F(ViewDocsDlgTest, FormHoldsTheListAndButtons) {
  Touch("readme.txt");
  TViewDocsDlg dlg(FDir.Path().string());
  EXPECT_EQ(dlg.windowTitle().toStdString(), "View Documents");
  EXPECT_EQ(Control<QLabel>(dlg, "Label1").text().toStdString(), "Documents:");
  auto& list = Control<QTreeWidget>(dlg, "lvFiles");
  ASSERT_EQ(list.columnCount(), 2);
  EXPECT_EQ(list.headerItem()->text(0).toStdString(), "Name");
  EXPECT_EQ(list.headerItem()->text(1).toStdString(), "Type");
  EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
  auto& open = Control<QPushButton>(dlg, "OpenBtn");
  EXPECT_EQ(open.text().toStdString(), "Open");
  EXPECT_TRUE(open.isDefault());
  EXPECT_EQ(Control<QPushButton>(dlg, "CloseBtn").text().toStdString(), "Close");
  dlg.show();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &open);
  QTest::keyClick(&open, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), &Control<QPushButton>(dlg, "CloseBtn"));
}

TEST_F(ViewDocsDlgTest, ListsEachDocumentOnceWithTypeAndFirstSelected) {
  Touch("readme.txt");
  Touch("info.html");
  Touch("info.htm");
  Touch("map.bsp");
  TViewDocsDlg dlg(FDir.Path().string() + "/");
  auto& list = Control<QTreeWidget>(dlg, "lvFiles");
  EXPECT_EQ(dlg.RowCount(), 3);
  EXPECT_EQ(Column(list, 0), (Names{"readme.txt", "info.htm", "info.html"}));
  for (const std::string& type : Column(list, 1))
    EXPECT_FALSE(type.empty());
  EXPECT_NE(Column(list, 1)[0], Column(list, 1)[1]);  // plain text is not a web page
  ASSERT_EQ(list.selectedItems().size(), 1);
  EXPECT_EQ(list.selectedItems().front(), list.topLevelItem(0));
  EXPECT_TRUE(Control<QPushButton>(dlg, "OpenBtn").isEnabled());
}

TEST_F(ViewDocsDlgTest, OpenOpensTheSelectedDocumentAndStaysOpen) {
  Touch("a.txt");
  Touch("b.doc");
  TViewDocsDlg dlg(FDir.Path().string());
  dlg.show();
  auto& list = Control<QTreeWidget>(dlg, "lvFiles");
  list.setCurrentItem(list.topLevelItem(1));
  QTest::mouseClick(&Control<QPushButton>(dlg, "OpenBtn"), Qt::LeftButton);
  EXPECT_EQ(FOpener.Opened, (Names{Path("b.doc")}));
  EXPECT_TRUE(dlg.isVisible());

  list.clearSelection();
  EXPECT_FALSE(Control<QPushButton>(dlg, "OpenBtn").isEnabled());
  dlg.OpenBtnClick();  // nothing selected: the first document
  EXPECT_EQ(FOpener.Opened, (Names{Path("b.doc"), Path("a.txt")}));
}

TEST_F(ViewDocsDlgTest, ANameThatIsNotUtf8IsListedReadableAndOpenedByItsBytes) {
  const std::string latin1 = "lisez-moi-\xE9t\xE9.txt";
  Touch(latin1);
  TViewDocsDlg dlg(FDir.Path().string());
  EXPECT_EQ(Column(Control<QTreeWidget>(dlg, "lvFiles"), 0),
            (Names{"lisez-moi-\u00E9t\u00E9.txt"}));
  dlg.OpenBtnClick();
  EXPECT_EQ(FOpener.Opened, (Names{Path(latin1)}));
}

TEST_F(ViewDocsDlgTest, DoubleClickOpensTheDocument) {
  Touch("a.txt");
  Touch("readme");
  TViewDocsDlg dlg(FDir.Path().string());
  dlg.show();
  auto& list = Control<QTreeWidget>(dlg, "lvFiles");
  QTreeWidgetItem* second = list.topLevelItem(1);
  const QPoint centre = list.visualItemRect(second).center();
  // A double click is a press and release followed by a second press the view sees as double.
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(FOpener.Opened, (Names{Path("readme")}));
}

TEST_F(ViewDocsDlgTest, EmptyFolderHasNoRowsAndNoOpen) {
  TViewDocsDlg dlg(FDir.Path().string());
  EXPECT_EQ(dlg.RowCount(), 0);
  EXPECT_FALSE(Control<QPushButton>(dlg, "OpenBtn").isEnabled());
  dlg.OpenBtnClick();
  EXPECT_TRUE(FOpener.Opened.empty());
}

TEST_F(ViewDocsDlgTest, ShowDocumentsWithoutDocumentsSaysSo) {
  Touch("map.bsp");
  FDialogs.MessageAnswers = {TMsgResult::Ok};
  ShowDocuments(FDir.Path().string(), FDialogs);
  ASSERT_EQ(FDialogs.Messages.size(), 1u);
  EXPECT_EQ(FDialogs.Messages[0].Text, "No documents could be found.");
  EXPECT_EQ(FDialogs.Messages[0].Caption, "");
  EXPECT_EQ(FDialogs.Messages[0].Icon, TMsgIcon::Error);
  EXPECT_EQ(FDialogs.Messages[0].Buttons, TMsgButtons::Ok);
  EXPECT_TRUE(FOpener.Opened.empty());

  TScriptedDialogs missing;
  missing.MessageAnswers = {TMsgResult::Ok};
  ShowDocuments((FDir / "missing").string(), missing);
  ASSERT_EQ(missing.Messages.size(), 1u);
  EXPECT_EQ(missing.Messages[0].Text, "No documents could be found.");
}

TEST_F(ViewDocsDlgTest, ShowDocumentsOpensTheOnlyDocumentWithoutTheViewer) {
  Touch("readme.txt");
  bool viewerShown = false;
  // Were the viewer shown, its event loop would run this, which closes it and tells.
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [&viewerShown] {
    if (auto* viewer = qobject_cast<TViewDocsDlg*>(QApplication::activeModalWidget())) {
      viewerShown = true;
      viewer->reject();
    }
  });
  watchdog.start(0);
  ShowDocuments(FDir.Path().string(), FDialogs);
  watchdog.stop();
  EXPECT_FALSE(viewerShown);
  EXPECT_TRUE(FDialogs.Messages.empty());
  EXPECT_EQ(FOpener.Opened, (Names{Path("readme.txt")}));
}

TEST_F(ViewDocsDlgTest, ShowDocumentsShowsTheViewerForSeveral) {
  Touch("readme.txt");
  Touch("info.htm");
  int rows = -1;
  WhenModal<TViewDocsDlg>([&rows](TViewDocsDlg& viewer) {
    rows = viewer.RowCount();
    QTest::mouseClick(&Control<QPushButton>(viewer, "OpenBtn"), Qt::LeftButton);
    EXPECT_TRUE(viewer.isVisible());
    QTest::mouseClick(&Control<QPushButton>(viewer, "CloseBtn"), Qt::LeftButton);
    EXPECT_FALSE(viewer.isVisible());
  });
  ShowDocuments(FDir.Path().string(), FDialogs);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(FOpener.Opened, (Names{Path("readme.txt")}));
  EXPECT_TRUE(FDialogs.Messages.empty());
}

}  // namespace
}  // namespace fx
