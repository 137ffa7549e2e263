#include "installer/DownloadMachine.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace fx {

namespace {

bool CaseBlindEqual(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool StartsCaseBlind(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CaseBlindEqual(text.substr(0, prefix.size()), prefix);
}

bool IsHttps(std::string_view url) {
  return StartsCaseBlind(url, "https://");
}

// http and https only: file://, ftp:// and the like would read or reach what no catalogue
// should name.
bool IsHttpUrl(std::string_view url) {
  const std::size_t scheme = IsHttps(url) ? 8 : StartsCaseBlind(url, "http://") ? 7 : 0;
  return scheme > 0 && url.size() > scheme &&
         std::ranges::none_of(url, [](unsigned char c) { return c <= ' ' || c == 0x7f; });
}

std::optional<std::uint64_t> ParseNumber(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty()) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

const char* HashName(THashKind kind) {
  return kind == THashKind::Md5 ? "MD5" : "SHA-256";
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

std::optional<std::string> HeaderValue(const std::vector<THttpHeader>& headers,
                                       std::string_view name) {
  for (const auto& header : headers)
    if (CaseBlindEqual(header.Name, name)) return header.Value;
  return std::nullopt;
}

std::optional<TContentRange> ParseContentRange(std::string_view value) {
  if (!StartsCaseBlind(value, "bytes ")) return std::nullopt;
  value.remove_prefix(6);
  const auto dash = value.find('-'), slash = value.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash)
    return std::nullopt;
  const auto first = ParseNumber(value.substr(0, dash));
  const auto last = ParseNumber(value.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  TContentRange range{*first, *last, std::nullopt};
  const std::string_view total = value.substr(slash + 1);
  if (total != "*") {
    range.Total = ParseNumber(total);
    if (!range.Total || *range.Total <= *last) return std::nullopt;
  }
  return range;
}

std::string TDownloadResult::ErrorText() const {
  std::string text;
  for (const auto& line : Errors)
    text += (text.empty() ? "" : "\n") + line;
  return text;
}

TDownloadMachine::TDownloadMachine(TDownloadRequest request, TDownloadTuning tuning)
    : FRequest(std::move(request)), FTuning(tuning), FRate(tuning.RateWindow) {}

TDiskRead TDownloadMachine::Begin(const TDiskState& disk, TTimePoint now) {
  FPartOnDisk = disk.PartSize;
  FLastByte = now;
  if (FRequest.Urls.empty()) {
    FErrors.push_back("no URL to download from");
    Finish(TDownloadOutcome::Failed);
    return TDiskRead::None;
  }
  FUrl = FRequest.Urls.front();
  // A cached file is trusted only through its hash: a name alone says nothing of its bytes.
  if (FRequest.UseCache && HasHash() && disk.TargetSize &&
      (!FRequest.Size || *FRequest.Size == *disk.TargetSize)) {
    FState = TState::ReadTarget;
    FHasher.emplace(FRequest.Hash.Kind);
    FExisting = 0;
    return TDiskRead::Target;
  }
  return AfterTarget();
}

// A `.part` of an earlier run continues only when the hash will check the whole file at the
// end; without one its bytes are dropped by the first answer's restart.
TDiskRead TDownloadMachine::AfterTarget() {
  FHasher.reset();
  if (HasHash()) FHasher.emplace(FRequest.Hash.Kind);
  FExisting = 0;
  if (FPartOnDisk > 0 && HasHash() && (!FRequest.Size || FPartOnDisk < *FRequest.Size) &&
      FPartOnDisk < FRequest.MaxBytes) {
    FState = TState::ReadPart;
    return TDiskRead::Part;
  }
  FState = TState::Ready;
  return TDiskRead::None;
}

void TDownloadMachine::Existing(std::string_view bytes) {
  if (FState != TState::ReadTarget && FState != TState::ReadPart) return;
  FExisting += bytes.size();
  if (FHasher) FHasher->Update(bytes);
}

TDiskRead TDownloadMachine::ExistingEnd(TTimePoint now) {
  FLastByte = now;
  if (FState == TState::ReadTarget) {
    if (CaseBlindEqual(FHasher->HexDigest(), FRequest.Hash.Hex)) {
      FOffset = FExisting;
      Finish(TDownloadOutcome::FromCache);
      return TDiskRead::None;
    }
    return AfterTarget();
  }
  if (FState == TState::ReadPart) {
    FOffset = FExisting;
    FResumed = FOffset > 0;
    FState = TState::Ready;
  }
  return TDiskRead::None;
}

std::optional<THttpGet> TDownloadMachine::TakeRequest(TTimePoint now) {
  while (FState == TState::Ready && !IsHttpUrl(FUrl))
    NextUrl("only http and https URLs are used");
  if (FState != TState::Ready) return std::nullopt;
  THttpGet get{FUrl, {}};
  // Identity only: a compressed transfer would change what Content-Length, Range and the
  // hash count.
  get.Headers.push_back({"Accept-Encoding", "identity"});
  FConditional = false;
  if (FOffset > 0) {
    get.Headers.push_back({"Range", "bytes=" + std::to_string(FOffset) + "-"});
    // The validator of this URL's last answer, so a file changed meanwhile comes whole.
    if (!FETag.empty())
      get.Headers.push_back({"If-Range", FETag});
    else if (!FLastModified.empty())
      get.Headers.push_back({"If-Range", FLastModified});
  } else {
    if (!FRequest.IfNoneMatch.empty())
      get.Headers.push_back({"If-None-Match", FRequest.IfNoneMatch});
    if (!FRequest.IfModifiedSince.empty())
      get.Headers.push_back({"If-Modified-Since", FRequest.IfModifiedSince});
    FConditional = !FRequest.IfNoneMatch.empty() || !FRequest.IfModifiedSince.empty();
  }
  if (!FRequest.Accept.empty()) get.Headers.push_back({"Accept", FRequest.Accept});
  FAttemptStart = FOffset;
  FAnswerEnd.reset();
  FLastByte = now;
  FState = TState::Waiting;
  return get;
}

TPartAction TDownloadMachine::Response(const THttpAnswer& answer, TTimePoint now) {
  if (FState != TState::Waiting) return TPartAction::Drop;
  FLastByte = now;
  FStatus = answer.Status;
  const int status = answer.Status;
  if (IsRedirect(status) && !answer.Location.empty()) {
    if (++FRedirects > FTuning.MaxRedirects)
      NextUrl("more than " + std::to_string(FTuning.MaxRedirects) + " redirects");
    else if (!IsHttpUrl(answer.Location))
      NextUrl("redirected to " + answer.Location + ", which is not an http or https URL");
    else if (IsHttps(FUrl) && !IsHttps(answer.Location))
      NextUrl("redirected from https to " + answer.Location + ", which is refused");
    else {
      FUrl = answer.Location;
      FETag.clear();
      FLastModified.clear();
      FState = TState::Ready;
    }
    return TPartAction::Drop;
  }
  if (status == 200 || status == 206 || status == 304) {
    FETag = HeaderValue(answer.Headers, "ETag").value_or("");
    FLastModified = HeaderValue(answer.Headers, "Last-Modified").value_or("");
  }
  if (status == 304) {
    if (!FConditional) {
      NextUrl("answered 304 to a request that was not conditional");
    } else {
      Finish(TDownloadOutcome::NotModified);
    }
    return TPartAction::Drop;
  }
  const auto length = ParseNumber(HeaderValue(answer.Headers, "Content-Length").value_or(""));
  const std::uint64_t most = FRequest.Size.value_or(FRequest.MaxBytes);
  if (status == 200) {
    // A whole file, also when a range was asked: it replaces what `.part` held.
    FOffset = FAttemptStart = 0;
    FResumed = false;
    if (HasHash()) FHasher.emplace(FRequest.Hash.Kind);
    FRate.Clear();
    if (length && FRequest.Size && *length != *FRequest.Size) {
      NextUrl("the server's file has " + std::to_string(*length) + " bytes, " +
              std::to_string(*FRequest.Size) + " were expected");
      return TPartAction::Drop;
    }
    if (length && *length > most) {
      NextUrl("the file has " + std::to_string(*length) + " bytes, more than the limit of " +
              std::to_string(most));
      return TPartAction::Drop;
    }
    FTotal = FRequest.Size ? FRequest.Size : length;
    FAnswerEnd = length;
    FState = TState::Streaming;
    return TPartAction::Append;
  }
  if (status == 206) {
    const auto range = ParseContentRange(HeaderValue(answer.Headers, "Content-Range").value_or(""));
    if (!range || range->First != FOffset) {
      StartOver();
      RetryOrNext("the server resumed at another byte than asked");
      return TPartAction::Drop;
    }
    if (range->Total && FRequest.Size && *range->Total != *FRequest.Size) {
      NextUrl("the server's file has " + std::to_string(*range->Total) + " bytes, " +
              std::to_string(*FRequest.Size) + " were expected");
      return TPartAction::Drop;
    }
    FTotal = FRequest.Size ? FRequest.Size : range->Total;
    FAnswerEnd = range->Last + 1;
    FState = TState::Streaming;
    return TPartAction::Append;
  }
  if (status == 416 && FOffset > 0) {
    StartOver();
    RetryOrNext("the server has no bytes past the part already here");
    return TPartAction::Drop;
  }
  NextUrl("HTTP " + std::to_string(status));
  return TPartAction::Drop;
}

bool TDownloadMachine::Body(std::string_view bytes, TTimePoint now) {
  if (FState != TState::Streaming) return false;
  FOffset += bytes.size();
  FLastByte = now;
  const std::uint64_t most = FRequest.Size.value_or(FRequest.MaxBytes);
  if (FOffset > most || (FAnswerEnd && FOffset > *FAnswerEnd)) {
    const std::uint64_t got = FOffset;
    StartOver();
    NextUrl("sent more than " + std::to_string(FAnswerEnd ? std::min(most, *FAnswerEnd) : most) +
            " bytes (" + std::to_string(got) + " so far)");
    return false;
  }
  if (FHasher) FHasher->Update(bytes);
  FRate.Add(now, FOffset);
  return true;
}

void TDownloadMachine::End(TTimePoint now) {
  if (FState == TState::Waiting) {
    Failed("the answer ended before its headers", now);
    return;
  }
  if (FState != TState::Streaming) return;
  if (FAnswerEnd && FOffset < *FAnswerEnd) {
    Failed("the connection closed after " + std::to_string(FOffset) + " of " +
               std::to_string(*FAnswerEnd) + " bytes",
           now);
    return;
  }
  if (FRequest.Size && FOffset != *FRequest.Size) {
    const std::uint64_t got = FOffset;
    StartOver();
    NextUrl("the file has " + std::to_string(got) + " bytes, " + std::to_string(*FRequest.Size) +
            " were expected");
    return;
  }
  if (HasHash()) {
    const std::string digest = FHasher->HexDigest();
    if (!CaseBlindEqual(digest, FRequest.Hash.Hex)) {
      const bool resumed = FResumed || FAttemptStart > 0;
      StartOver();
      const std::string reason = std::string("its ") + HashName(FRequest.Hash.Kind) + " is " +
                                 digest + ", " + FRequest.Hash.Hex + " was expected";
      // Bytes kept from before may be what is wrong: one more try of the whole file here.
      if (resumed)
        RetryOrNext(reason + " (after resuming)");
      else
        NextUrl(reason);
      return;
    }
  }
  Finish(TDownloadOutcome::Done);
}

void TDownloadMachine::Failed(const std::string& error, TTimePoint now) {
  if (FState != TState::Waiting && FState != TState::Streaming) return;
  FLastByte = now;
  // A cut after some bytes continues where it stopped; a URL that gave nothing is left.
  if (FOffset > FAttemptStart)
    RetryOrNext(error);
  else
    NextUrl(error);
}

void TDownloadMachine::Cancel() {
  if (!IsFinished()) Finish(TDownloadOutcome::Cancelled);
}

void TDownloadMachine::Abort(const std::string& reason) {
  if (IsFinished()) return;
  FErrors.push_back(reason);
  Finish(TDownloadOutcome::Failed);
}

std::optional<TDownloadMachine::TTimePoint> TDownloadMachine::NextWake() const {
  if (!Busy()) return std::nullopt;
  return FLastByte + FTuning.StallTimeout;
}

void TDownloadMachine::Tick(TTimePoint now) {
  if (Busy() && now - FLastByte >= FTuning.StallTimeout)
    Failed("nothing came for " +
               std::to_string(
                   std::chrono::duration_cast<std::chrono::seconds>(FTuning.StallTimeout).count()) +
               " s",
           now);
}

bool TDownloadMachine::KeepPart() const {
  return FResult && FResult->Outcome != TDownloadOutcome::Done &&
         FResult->Outcome != TDownloadOutcome::FromCache && HasHash() && FOffset > 0;
}

TDownloadProgress TDownloadMachine::Progress(TTimePoint now) const {
  TDownloadProgress progress{FOffset, FTotal, FRate.Rate(now), std::nullopt, FUrl};
  if (FTotal) progress.Remaining = FRate.Remaining(now, *FTotal);
  return progress;
}

void TDownloadMachine::StartOver() {
  FOffset = FAttemptStart = 0;
  FResumed = false;
  if (HasHash()) FHasher.emplace(FRequest.Hash.Kind);
  FRate.Clear();
}

void TDownloadMachine::NextUrl(const std::string& reason) {
  FErrors.push_back(FUrl + ": " + reason);
  FRedirects = FRetries = 0;
  FETag.clear();
  FLastModified.clear();
  // Another server's bytes continue this file only when the hash will check the whole.
  if (!HasHash()) StartOver();
  if (++FUrlIndex >= FRequest.Urls.size()) {
    Finish(TDownloadOutcome::Failed);
    return;
  }
  FUrl = FRequest.Urls[FUrlIndex];
  FState = TState::Ready;
}

void TDownloadMachine::RetryOrNext(const std::string& reason) {
  if (++FRetries > FTuning.MaxRetries) {
    NextUrl(reason + " (" + std::to_string(FRetries) + " attempts)");
    return;
  }
  FState = TState::Ready;
}

void TDownloadMachine::Finish(TDownloadOutcome outcome) {
  TDownloadResult result;
  result.Outcome = outcome;
  if (outcome == TDownloadOutcome::Done || outcome == TDownloadOutcome::FromCache ||
      outcome == TDownloadOutcome::NotModified)
    result.File = FRequest.Target;
  result.Url = FUrl;
  result.HttpStatus = FStatus;
  result.ETag = FETag;
  result.LastModified = FLastModified;
  result.Bytes = outcome == TDownloadOutcome::NotModified ? 0 : FOffset;
  result.Errors = FErrors;
  FResult = std::move(result);
  FState = TState::Done;
}

}  // namespace fx
