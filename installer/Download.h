#pragma once

// The download port: what the program asks of the network when it fetches a file from a URL
// (a package to install, a catalogue, a screenshot). The program's implementation is Qt
// Network (`TQtDownloader`, installer/QtDownloader.h); tests hand in their own. Every
// decision (mirrors, redirects, resume, the size and hash checks, conditional requests) is
// made by the model's `TDownloadMachine` (installer/DownloadMachine.h), which any
// implementation drives, so the rules hold whichever carries the bytes.
//
// Nothing is sent before Start: a program that never starts a download sends nothing.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installer/Hashers.h"

namespace fx {

struct TExpectedHash {
  THashKind Kind = THashKind::Sha256;
  std::string Hex;  // empty: no hash to check; else either case, compared case-blind
};

struct TDownloadRequest {
  // The first URL, then its mirrors in the order they are tried. http and https only.
  std::vector<std::string> Urls;
  // Where the finished file lies. Empty: DownloadCacheFile(cache folder, Urls.front()).
  // While it streams the file is `<Target>.part`; it becomes Target only when every check
  // passed, so Target never holds a partial or unchecked file.
  std::filesystem::path Target;
  std::optional<std::uint64_t> Size;  // checked while streaming: a byte more fails the URL
  TExpectedHash Hash;                 // checked while streaming, compared at the end
  // A file bigger than this fails (for a request without Size: a server that never ends).
  std::uint64_t MaxBytes = std::uint64_t{8} << 30;
  // Conditional request: sent as If-None-Match and If-Modified-Since. A 304 answer leaves
  // Target as it is and ends with TDownloadOutcome::NotModified.
  std::string IfNoneMatch;
  std::string IfModifiedSince;
  // Sent as Accept with every request of this download ("application/json" for a web API
  // that answers in several formats); empty: none.
  std::string Accept;
  // An existing Target whose Hash matches is used without going on the network. Without a
  // Hash an existing Target is never trusted and is downloaded again.
  bool UseCache = true;
};

struct TDownloadProgress {
  std::uint64_t Received = 0;          // bytes of the file so far, a resumed part included
  std::optional<std::uint64_t> Total;  // from Size or the server's Content-Length
  double BytesPerSecond = 0;           // over the last few seconds
  std::optional<std::chrono::seconds> Remaining;  // when Total and a rate are known
  std::string Url;                                // the URL being read
};

enum class TDownloadOutcome : std::uint8_t {
  Done,         // a new file was fetched and checked
  FromCache,    // Target was already there with the expected hash
  NotModified,  // a conditional request answered 304
  Cancelled,
  Failed,
};

struct TDownloadResult {
  TDownloadOutcome Outcome = TDownloadOutcome::Failed;
  std::filesystem::path File;      // Target (Done, FromCache, NotModified)
  std::string Url;                 // the URL that gave the answer, after redirects
  int HttpStatus = 0;              // of the last answer; 0 when none came
  std::string ETag, LastModified;  // the validators the server gave, for the next request
  std::uint64_t Bytes = 0;         // size of File
  // Failed: one line per URL tried, "URL: reason", the last last.
  std::vector<std::string> Errors;
  std::string ErrorText() const;  // the lines joined by line breaks
};

struct TDownloadCallbacks {
  std::function<void(const TDownloadProgress&)> Progress;  // at most every 100 ms
  std::function<void(const TDownloadResult&)> Finished;    // exactly once, never inside Start
};

// The port. Callbacks run on the implementation's event loop (the GUI thread in the program).
class TDownloader {
 public:
  using TId = std::uint64_t;

  virtual ~TDownloader() = default;
  virtual TId Start(TDownloadRequest request, TDownloadCallbacks callbacks) = 0;
  // Stops at once: no callback but Finished (Cancelled) follows, and the `.part` file stays
  // for a later resume. An unknown or finished id is ignored.
  virtual void Cancel(TId id) = 0;
};

// $XDG_CACHE_HOME/fraxinel/downloads (default ~/.cache/fraxinel/downloads).
std::filesystem::path DownloadCacheFolder(const std::filesystem::path& cacheHome);
// The file a URL is cached as: the last component of its path, with every byte other than
// letters, digits and ". _ + -" replaced by '_' ("download" when nothing is left, or when the
// name would be "." or ".."), so a hostile URL cannot name a file outside the folder.
std::filesystem::path DownloadCacheFile(const std::filesystem::path& folder,
                                        const std::string& url);

}  // namespace fx
