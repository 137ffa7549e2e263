#pragma once

// The download port on Qt Network: one QNetworkAccessManager, made by the first Start (so a
// program that never downloads opens no connection), each download a TDownloadMachine that
// this class only carries bytes for. Certificates are checked against the system's store
// (Qt's default TLS configuration reads it); redirects are not followed by Qt but handed to
// the machine, which applies its own rules.

#include <QObject>
#include <QPointer>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "installer/Download.h"

class QNetworkAccessManager;
class QTimer;

namespace fx {

class TQtDownloader final : public QObject, public TDownloader {
  Q_OBJECT

 public:
  // `cacheFolder`: where a request without a Target is kept (DownloadCacheFolder).
  explicit TQtDownloader(std::filesystem::path cacheFolder, QObject* parent = nullptr);
  ~TQtDownloader() override;

  TId Start(TDownloadRequest request, TDownloadCallbacks callbacks) override;
  void Cancel(TId id) override;
  // How long an answer may stay silent before it counts as cut (tests make it short).
  void SetStallTimeout(std::chrono::milliseconds timeout) { FStall = timeout; }

 private:
  struct TJob;
  void Pump(TId id);
  void ReadExisting(TId id);
  void Send(TId id);
  void OnReadable(TId id);
  void OnFinished(TId id);
  void Conclude(TId id);
  void Tick();
  TJob* Find(TId id);

  std::filesystem::path FCacheFolder;
  QNetworkAccessManager* FManager = nullptr;
  std::map<TId, std::unique_ptr<TJob>> FJobs;
  TId FNextId = 1;
  std::chrono::milliseconds FStall{30000};
  QTimer* FTicker = nullptr;
};

// The user's download cache: DownloadCacheFolder of $XDG_CACHE_HOME.
std::filesystem::path ProgramDownloadFolder();

// The download of `fraxinel --install URL`, without a display: into the user's download
// cache (ProgramDownloadFolder) with the size and SHA-256 given checked, a line on `err`
// each second and at the end. Makes the Qt core application it needs when there is none.
// Returns the archive's path; throws std::runtime_error with the reasons.
std::string DownloadForCommandLine(
    const std::string& url, const std::optional<std::string>& sha256,
    const std::optional<std::uint64_t>& size, std::ostream& err,
    const std::filesystem::path& cacheFolder = ProgramDownloadFolder());

// Runs one download to its end on a local event loop (the command line's way); `progress`
// gets each progress report.
TDownloadResult DownloadAndWait(TDownloader& downloader, TDownloadRequest request,
                                const std::function<void(const TDownloadProgress&)>& progress);

}  // namespace fx
