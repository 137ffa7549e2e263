#include "platform/QtDocumentOpener.h"

#include "platform/Shell.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <string>

namespace fx {

namespace {

// ShellExecute gives absolute paths for files and the caller's text for addresses.
QUrl UrlFor(const std::string& pathOrUrl) {
  if (!pathOrUrl.empty() && pathOrUrl.front() == '/') {
    // File names are bytes, not necessarily UTF-8: percent-encoded, every byte reaches the
    // desktop's opener as it is, where a QString would turn a stray one into U+FFFD.
    return QUrl::fromEncoded(
        "file://" + QByteArray::fromStdString(pathOrUrl).toPercentEncoding("/"), QUrl::StrictMode);
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
