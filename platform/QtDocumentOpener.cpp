#include "platform/QtDocumentOpener.h"

#include "platform/Shell.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QFile>
#include <QString>
#include <QUrl>

#include <string>

namespace fx {

namespace {

// ShellExecute gives absolute paths for files and the caller's text for addresses.
QUrl UrlFor(const std::string& pathOrUrl) {
  if (!pathOrUrl.empty() && pathOrUrl.front() == '/') {
    // File names are bytes in the locale's encoding, not necessarily UTF-8.
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(pathOrUrl)));
  }
  return QUrl(QString::fromStdString(pathOrUrl), QUrl::StrictMode);
}

}  // namespace

void InstallQtDocumentOpener() {
  SetDocumentOpener([](const std::string& pathOrUrl) {
    const QUrl url = UrlFor(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
  });
}

}  // namespace fx
