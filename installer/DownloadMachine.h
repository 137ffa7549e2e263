#pragma once

// The download as a state machine: HTTP answers and body bytes in, requests and file actions
// out. It owns no socket, no file and no clock: the caller hands it the time with every call,
// sends what TakeRequest returns, does with the `.part` file what Response says, feeds the
// body to Body, and reports the end of each answer (End) or its failure (Failed). Tests drive
// it with scripted answers and a manual clock; the program with Qt Network (TQtDownloader).
//
// It decides: which URL is tried (the first, then each mirror), the redirects (at most 5,
// http and https only, never from https down to http), resuming with Range after a cut
// (a 206 appends, a 200 starts the file over), conditional requests and their 304, the size
// and hash checked while the bytes stream, and whether a cached file or a `.part` left by an
// earlier run may be used (only when its hash will be checked).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "installer/Download.h"
#include "installer/Hashers.h"
#include "installer/ProgressText.h"

namespace fx {

struct TDownloadTuning {
  using ms = std::chrono::milliseconds;
  int MaxRedirects = 5;
  int MaxRetries = 3;      // per URL: new attempts after a cut or a failed resume
  ms StallTimeout{30000};  // an answer that sends nothing for this long is a cut
  ms RateWindow{3000};     // the rate in the progress is taken over this long
};

struct THttpHeader {
  std::string Name, Value;
};

struct THttpGet {
  std::string Url;
  std::vector<THttpHeader> Headers;  // Range, If-Range, If-None-Match, If-Modified-Since, ...
};

struct THttpAnswer {
  int Status = 0;
  std::vector<THttpHeader> Headers;  // names compare case-blind
  // A redirect's Location made absolute against the URL asked (the caller has the URL
  // parser); empty when there was none.
  std::string Location;
};

// What to do with the answer that Response was given.
enum class TPartAction : std::uint8_t {
  Append,  // cut `.part` to PartOffset() (0 for a 200), then write its body after that
  Drop,    // read no more of it: close it and look at TakeRequest / IsFinished again
};

// Which file Begin or Existing wants read next (all of it, in pieces, then ExistingEnd).
enum class TDiskRead : std::uint8_t { None, Target, Part };

struct TDiskState {
  std::optional<std::uint64_t> TargetSize;  // Target exists with this size
  std::uint64_t PartSize = 0;               // `.part` exists with this size (0: none)
};

class TDownloadMachine {
 public:
  using TTimePoint = std::chrono::steady_clock::time_point;

  explicit TDownloadMachine(TDownloadRequest request, TDownloadTuning tuning = {});

  // Starts from what is on disk. Returns which file's bytes it needs to decide: the Target
  // (checked against the hash: a match ends FromCache), then the `.part` (hashed so the
  // download may continue after it). Feed each with Existing, then ExistingEnd.
  TDiskRead Begin(const TDiskState& disk, TTimePoint now);
  void Existing(std::string_view bytes);
  TDiskRead ExistingEnd(TTimePoint now);

  // The next request to send, once; nothing while one is out or when finished.
  std::optional<THttpGet> TakeRequest(TTimePoint now);
  TPartAction Response(const THttpAnswer& answer, TTimePoint now);
  // A piece of the body of the answer Response said Append to. False: the
  // answer broke a rule (more bytes than expected); stop reading it and close it.
  bool Body(std::string_view bytes, TTimePoint now);
  // The answer ended as the transport saw it complete.
  void End(TTimePoint now);
  // The answer, or the request, failed on the way (refused, reset, cut, TLS).
  void Failed(const std::string& error, TTimePoint now);
  void Cancel();
  // Ends it as failed for a reason of our own side (the disk is full): no other URL helps.
  void Abort(const std::string& reason);

  // When Tick should run to notice a stalled answer.
  std::optional<TTimePoint> NextWake() const;
  void Tick(TTimePoint now);

  bool IsFinished() const { return FResult.has_value(); }
  // The result once finished. A Done result means: rename `.part` over Target now (if that
  // fails the caller reports Failed itself). Any other result leaves Target alone.
  const std::optional<TDownloadResult>& Result() const { return FResult; }
  // After the end: whether `.part` is worth keeping for a later run (it has bytes and a hash
  // will check them); otherwise the caller removes it.
  bool KeepPart() const;
  // Where the body of the current answer goes in `.part`.
  std::uint64_t PartOffset() const { return FAttemptStart; }
  // An answer is out or streaming: the caller holds a reply for it. When a call makes this
  // false while the caller still holds one (Body false, Tick), the caller closes it.
  bool Busy() const { return FState == TState::Waiting || FState == TState::Streaming; }
  TDownloadProgress Progress(TTimePoint now) const;
  const std::filesystem::path& Target() const { return FRequest.Target; }

 private:
  enum class TState : std::uint8_t { Idle, ReadTarget, ReadPart, Ready, Waiting, Streaming, Done };

  TDiskRead AfterTarget();
  void NextUrl(const std::string& reason);
  void RetryOrNext(const std::string& reason);
  void Finish(TDownloadOutcome outcome);
  void StartOver();
  bool HasHash() const { return !FRequest.Hash.Hex.empty(); }

  TDownloadRequest FRequest;
  TDownloadTuning FTuning;
  TState FState = TState::Idle;
  std::optional<TDownloadResult> FResult;
  std::optional<THasher> FHasher;  // over the bytes of `.part` from its first
  std::size_t FUrlIndex = 0;
  std::string FUrl;  // the current URL, after redirects
  int FRedirects = 0, FRetries = 0;
  std::uint64_t FOffset = 0;        // bytes of `.part` that count
  std::uint64_t FAttemptStart = 0;  // FOffset when the current answer began
  std::uint64_t FExisting = 0;      // bytes of the file being read by Existing
  std::uint64_t FPartOnDisk = 0;
  std::optional<std::uint64_t> FTotal;
  std::optional<std::uint64_t> FAnswerEnd;  // where the current answer's body should end
  bool FConditional = false, FResumed = false;
  std::string FETag, FLastModified;
  int FStatus = 0;
  std::vector<std::string> FErrors;
  TTimePoint FLastByte{};
  TRateMeter FRate;
};

// "bytes START-END/TOTAL" (TOTAL may be "*"): START, END and TOTAL; nothing when malformed.
struct TContentRange {
  std::uint64_t First = 0, Last = 0;
  std::optional<std::uint64_t> Total;
};
std::optional<TContentRange> ParseContentRange(std::string_view value);
// The value of the first header of that name (case-blind), or nothing.
std::optional<std::string> HeaderValue(const std::vector<THttpHeader>& headers,
                                       std::string_view name);

}  // namespace fx
