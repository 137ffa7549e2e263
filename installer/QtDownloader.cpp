#include "installer/QtDownloader.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <stdexcept>
#include <vector>

#include "installer/DownloadMachine.h"
#include "installer/DownloadPart.h"
#include "installer/ProgressText.h"
#include "platform/SpecialFolders.h"

namespace fx {

namespace {

using TClock = std::chrono::steady_clock;

// Read in pieces this big: large enough that a fast link costs few calls, small enough that
// the window keeps answering between them.
constexpr qint64 kPiece = 256 * 1024;

}  // namespace

struct TQtDownloader::TJob {
  TJob(TDownloadRequest request, TDownloadTuning tuning, TDownloadCallbacks callbacks)
      : Machine(std::move(request), tuning),
        Callbacks(std::move(callbacks)),
        Part(Machine.Target()) {}

  TDownloadMachine Machine;
  TDownloadCallbacks Callbacks;
  TPartFile Part;
  std::optional<TExistingReader> Existing;
  QPointer<QNetworkReply> Reply;
  bool Responded = false, Concluded = false;
  std::uint64_t Reported = ~std::uint64_t{0};
  std::vector<char> Buffer;
};

TQtDownloader::TQtDownloader(std::filesystem::path cacheFolder, QObject* parent)
    : QObject(parent), FCacheFolder(std::move(cacheFolder)) {}

TQtDownloader::~TQtDownloader() {
  for (auto& [id, job] : FJobs)
    if (job->Reply) {
      job->Reply->disconnect(this);
      job->Reply->abort();
    }
}

TQtDownloader::TJob* TQtDownloader::Find(TId id) {
  const auto it = FJobs.find(id);
  return it == FJobs.end() ? nullptr : it->second.get();
}

TDownloader::TId TQtDownloader::Start(TDownloadRequest request, TDownloadCallbacks callbacks) {
  if (request.Target.empty() && !request.Urls.empty())
    request.Target = DownloadCacheFile(FCacheFolder, request.Urls.front());
  TDownloadTuning tuning;
  tuning.StallTimeout = FStall;
  const TId id = FNextId++;
  auto& job =
      *FJobs.emplace(id, std::make_unique<TJob>(std::move(request), tuning, std::move(callbacks)))
           .first->second;
  if (!FTicker) {
    FTicker = new QTimer(this);
    FTicker->setInterval(100);
    connect(FTicker, &QTimer::timeout, this, &TQtDownloader::Tick);
  }
  FTicker->start();
  const TDiskRead read = job.Machine.Begin(ReadDiskState(job.Machine.Target()), TClock::now());
  if (read != TDiskRead::None) job.Existing.emplace(job.Machine, read);
  // Everything runs from the event loop, so no callback comes inside Start.
  QTimer::singleShot(0, this, [this, id] { ReadExisting(id); });
  return id;
}

// A cached file or an earlier part is hashed a piece per turn of the event loop.
void TQtDownloader::ReadExisting(TId id) {
  TJob* job = Find(id);
  if (!job || job->Concluded) return;
  if (job->Existing && job->Existing->Step(TClock::now())) {
    QTimer::singleShot(0, this, [this, id] { ReadExisting(id); });
    return;
  }
  job->Existing.reset();
  Pump(id);
}

void TQtDownloader::Pump(TId id) {
  TJob* job = Find(id);
  if (!job || job->Concluded || job->Existing) return;
  if (!job->Machine.IsFinished() && !job->Reply) {
    if (auto get = job->Machine.TakeRequest(TClock::now())) {
      if (!FManager) FManager = new QNetworkAccessManager(this);
      QNetworkRequest request(QUrl(QString::fromStdString(get->Url), QUrl::StrictMode));
      // The machine follows redirects by its own rules (at most 5, never https to http).
      request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                           QNetworkRequest::ManualRedirectPolicy);
      for (const auto& header : get->Headers)
        request.setRawHeader(QByteArray::fromStdString(header.Name),
                             QByteArray::fromStdString(header.Value));
      job->Responded = false;
      job->Reply = FManager->get(request);
      connect(job->Reply, &QNetworkReply::readyRead, this, [this, id] { OnReadable(id); });
      connect(job->Reply, &QNetworkReply::finished, this, [this, id] { OnFinished(id); });
      return;
    }
  }
  if (job->Machine.IsFinished()) Conclude(id);
}

namespace {

THttpAnswer AnswerOf(const QNetworkReply& reply) {
  THttpAnswer answer;
  answer.Status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  for (const auto& [name, value] : reply.rawHeaderPairs())
    answer.Headers.push_back({name.toStdString(), value.toStdString()});
  if (const QByteArray location = reply.rawHeader("Location"); !location.isEmpty())
    answer.Location = reply.url()
                          .resolved(QUrl::fromEncoded(location, QUrl::StrictMode))
                          .toString()
                          .toStdString();
  return answer;
}

void Drop(QPointer<QNetworkReply>& reply, QObject* receiver) {
  if (!reply) return;
  reply->disconnect(receiver);
  if (!reply->isFinished()) reply->abort();
  reply->deleteLater();
  reply = nullptr;
}

}  // namespace

// Takes the answer's headers once, then its body as it comes, into `.part`.
void TQtDownloader::OnReadable(TId id) {
  TJob* job = Find(id);
  if (!job || !job->Reply) return;
  QNetworkReply& reply = *job->Reply;
  try {
    if (!job->Responded) {
      if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return;
      job->Responded = true;
      if (job->Machine.Response(AnswerOf(reply), TClock::now()) == TPartAction::Drop) {
        Drop(job->Reply, this);
        Pump(id);
        return;
      }
      job->Part.Open(job->Machine.PartOffset());
    }
    // One buffer a download: readyRead comes for every few kilobytes.
    if (job->Buffer.empty()) job->Buffer.resize(kPiece);
    while (reply.bytesAvailable() > 0) {
      const qint64 got = reply.read(job->Buffer.data(), kPiece);
      if (got <= 0) break;
      const std::string_view piece(job->Buffer.data(), static_cast<std::size_t>(got));
      if (!job->Machine.Body(piece, TClock::now())) {
        Drop(job->Reply, this);
        Pump(id);
        return;
      }
      job->Part.Write(piece);
    }
  } catch (const EDownloadFile& error) {
    Drop(job->Reply, this);
    job->Machine.Abort(error.what());
    Pump(id);
  }
}

void TQtDownloader::OnFinished(TId id) {
  TJob* job = Find(id);
  if (!job || !job->Reply) return;
  QPointer<QNetworkReply> reply = job->Reply;
  OnReadable(id);  // headers of an answer without a body, and what is left of a body
  job = Find(id);
  // Dropped (and maybe a new request out) while reading: this reply is done with.
  if (!job || !reply || job->Reply != reply) return;
  const auto now = TClock::now();
  if (reply->error() == QNetworkReply::NoError || (job->Responded && !job->Machine.Busy()))
    job->Machine.End(now);
  else
    job->Machine.Failed(reply->errorString().toStdString(), now);
  job->Part.Close();
  reply->disconnect(this);
  reply->deleteLater();
  job->Reply = nullptr;
  Pump(id);
}

void TQtDownloader::Conclude(TId id) {
  TJob* job = Find(id);
  if (!job || job->Concluded) return;
  job->Concluded = true;
  Drop(job->Reply, this);
  TDownloadResult result = *job->Machine.Result();
  try {
    // A request without a URL has no target, and no part file to touch.
    const bool target = !job->Machine.Target().empty();
    if (target && result.Outcome == TDownloadOutcome::Done)
      job->Part.Commit();
    else if (target && !job->Machine.KeepPart())
      job->Part.Remove();
    else
      job->Part.Close();
  } catch (const EDownloadFile& error) {
    result.Outcome = TDownloadOutcome::Failed;
    result.File.clear();
    result.Errors.push_back(error.what());
  }
  QTimer::singleShot(0, this, [this, id, result] {
    const auto it = FJobs.find(id);
    if (it == FJobs.end()) return;
    const auto finished = std::move(it->second->Callbacks.Finished);
    FJobs.erase(it);
    if (FJobs.empty() && FTicker) FTicker->stop();
    if (finished) finished(result);
  });
}

void TQtDownloader::Cancel(TId id) {
  TJob* job = Find(id);
  if (!job || job->Concluded) return;
  Drop(job->Reply, this);
  job->Existing.reset();
  job->Machine.Cancel();
  Conclude(id);
}

// Every 100 ms: a stalled answer is noticed, and each running download reports progress.
void TQtDownloader::Tick() {
  const auto now = TClock::now();
  std::vector<TId> ids;
  for (const auto& [id, job] : FJobs)
    ids.push_back(id);
  for (const TId id : ids) {
    TJob* job = Find(id);
    if (!job || job->Concluded) continue;
    job->Machine.Tick(now);
    if (job->Reply && !job->Machine.Busy()) {
      Drop(job->Reply, this);
      Pump(id);
      continue;
    }
    const TDownloadProgress progress = job->Machine.Progress(now);
    if (job->Callbacks.Progress && progress.Received != job->Reported) {
      job->Reported = progress.Received;
      job->Callbacks.Progress(progress);
    }
  }
}

std::filesystem::path ProgramDownloadFolder() {
  return DownloadCacheFolder(TXdgFolders().CacheHome());
}

TDownloadResult DownloadAndWait(TDownloader& downloader, TDownloadRequest request,
                                const std::function<void(const TDownloadProgress&)>& progress) {
  QEventLoop loop;
  std::optional<TDownloadResult> result;
  downloader.Start(std::move(request), {progress, [&](const TDownloadResult& done) {
                                          result = done;
                                          loop.quit();
                                        }});
  while (!result)
    loop.exec();
  return *result;
}

std::string DownloadForCommandLine(const std::string& url, const std::optional<std::string>& sha256,
                                   const std::optional<std::uint64_t>& size, std::ostream& err,
                                   const std::filesystem::path& cacheFolder) {
  std::optional<QCoreApplication> core;
  static int argc = 1;
  static char name[] = "fraxinel";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) core.emplace(argc, argv);
  TQtDownloader downloader(cacheFolder);
  TDownloadRequest request;
  request.Urls = {url};
  request.Size = size;
  if (sha256) request.Hash = {THashKind::Sha256, *sha256};
  auto last = std::chrono::steady_clock::now();
  const TDownloadResult result =
      DownloadAndWait(downloader, request, [&](const TDownloadProgress& progress) {
        if (const auto now = std::chrono::steady_clock::now();
            now - last >= std::chrono::seconds(1)) {
          last = now;
          err << "download: " << ProgressText(progress) << "\n" << std::flush;
        }
      });
  switch (result.Outcome) {
    case TDownloadOutcome::Done:
      err << "download: " << ByteText(result.Bytes) << " from " << result.Url << "\n";
      return result.File.string();
    case TDownloadOutcome::FromCache:
      err << "download: " << result.File.string() << " is in the cache already\n";
      return result.File.string();
    default: {
      std::string reasons;
      for (const auto& line : result.Errors)
        reasons += (reasons.empty() ? "" : "; ") + line;
      throw std::runtime_error("cannot download " + url + ": " + reasons);
    }
  }
}

}  // namespace fx
