#pragma once

// The details pane's screenshot: fetched only when the user presses "Show screenshot",
// through the dialog's download port, at most 4 MB, into the screenshot cache; a cached one
// is shown as soon as its package is. Only a file whose first bytes say JPEG or PNG is
// decoded, by the reader of that format with an allocation limit. Every failure is a line
// in the pane.

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "content/ContentPackage.h"
#include "installer/Download.h"

class QLabel;
class QPushButton;

namespace fx {

class TScreenshotPane : public QWidget {
  Q_OBJECT

 public:
  explicit TScreenshotPane(QWidget* parent = nullptr);
  ~TScreenshotPane() override;

  // `downloader` must outlive the pane; `folder` is where screenshots are kept.
  void SetUp(TDownloader* downloader, std::filesystem::path folder);
  // The package whose screenshot the pane offers (nullptr: none); its addresses are absolute
  // (the loader resolves an add-on's against its list).
  void ShowPackage(const TContentPackage* package);
  void Fetch();
  QPushButton* Button() const { return FButton; }  // for the dialog's Tab order

 private:
  void Fetched(const TDownloadResult& result, const std::string& id);
  // Shows the cached file of the current package; false (and the reason) when it is not fit.
  bool ShowFile(const std::filesystem::path& file, QString* why);
  void Say(const QString& text);

  QPushButton* FButton = nullptr;
  QLabel* FImage = nullptr;
  QLabel* FText = nullptr;
  TDownloader* FDownloader = nullptr;
  std::filesystem::path FFolder;
  std::string FId;
  std::vector<std::string> FUrls;
  TDownloader::TId FDownload = 0;
  std::uint64_t FGeneration = 0;  // a Finished of an older download is ignored
  bool FBusy = false;
};

}  // namespace fx
