// The download's decisions on scripted answers and a manual clock: no network, no files.

#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "installer/DownloadMachine.h"
#include "platform/SpecialFolders.h"

namespace fx {
namespace {

using namespace std::chrono_literals;
using TTime = TDownloadMachine::TTimePoint;

// One scripted answer to the next request for a URL.
struct TScripted {
  int Status = 200;
  std::string Body{};
  std::vector<THttpHeader> Headers{};  // Content-Length is added for a body unless Chunked
  std::string Location{};
  std::optional<std::size_t> CutAfter{};  // the transport fails after this many body bytes
  bool Chunked = false;
};

TScripted Answer(int status, std::string body = {}, std::vector<THttpHeader> headers = {}) {
  return {.Status = status, .Body = std::move(body), .Headers = std::move(headers)};
}
TScripted Ok(std::string body) {
  return Answer(200, std::move(body));
}
TScripted Partial(const std::string& whole, std::size_t from) {
  return Answer(
      206, whole.substr(from),
      {{"Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(whole.size() - 1) +
                             "/" + std::to_string(whole.size())}});
}
TScripted Redirect(std::string to) {
  return {.Status = 302, .Location = std::move(to)};
}

struct TRun {
  std::optional<TDownloadResult> Result;
  std::string Part;  // the `.part` file as the machine's actions left it
  std::vector<THttpGet> Requests;
};

// Drives a machine against the script, as TQtDownloader does against the network.
TRun Drive(TDownloadRequest request, std::map<std::string, std::deque<TScripted>> script,
           TDiskState disk = {}, std::string part = {}, std::string target = {}) {
  TRun run;
  run.Part = std::move(part);
  TDownloadMachine machine(std::move(request));
  TTime now{};
  for (TDiskRead read = machine.Begin(disk, now); read != TDiskRead::None;
       read = machine.ExistingEnd(now))
    machine.Existing(read == TDiskRead::Target ? target : run.Part);
  for (int guard = 0; !machine.IsFinished() && guard < 50; ++guard) {
    auto get = machine.TakeRequest(now);
    if (!get) break;
    run.Requests.push_back(*get);
    auto& queue = script[get->Url];
    if (queue.empty()) {
      machine.Failed("connection refused", now);
      continue;
    }
    TScripted answer = queue.front();
    queue.pop_front();
    THttpAnswer http{answer.Status, answer.Headers, answer.Location};
    if (!answer.Chunked)
      http.Headers.push_back({"Content-Length", std::to_string(answer.Body.size())});
    if (machine.Response(http, now) == TPartAction::Drop) continue;
    run.Part.resize(machine.PartOffset());
    const std::string_view body =
        std::string_view(answer.Body).substr(0, answer.CutAfter.value_or(answer.Body.size()));
    bool ok = true;
    for (std::size_t at = 0; ok && at < body.size(); at += 700) {
      now += 1ms;
      ok = machine.Body(body.substr(at, 700), now);
      if (ok) run.Part += body.substr(at, 700);
    }
    if (!ok) continue;
    if (answer.CutAfter)
      machine.Failed("connection reset", now);
    else
      machine.End(now);
  }
  run.Result = machine.Result();
  return run;
}

std::string Bytes(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i)
    text += static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return text;
}

const std::string kFile = Bytes(5000);
const std::string kA = "http://127.0.0.1/a.zip", kB = "http://127.0.0.1/b.zip";

std::string Header(const THttpGet& get, std::string_view name) {
  return HeaderValue(get.Headers, name).value_or("");
}

TDownloadRequest Req(std::vector<std::string> urls, bool hash = true) {
  TDownloadRequest request;
  request.Urls = std::move(urls);
  request.Target = "/cache/a.zip";
  if (hash) request.Hash = {THashKind::Sha256, Sha256Hex(kFile)};
  return request;
}

struct TCase {
  const char* Name;
  TDownloadRequest Request;
  std::map<std::string, std::deque<TScripted>> Script;
  TDownloadOutcome Outcome;
  std::size_t Requests;
  std::string Error;  // a part of the last error line; "" when none is expected
};

std::vector<TCase> Cases() {
  auto sized = Req({kA});
  sized.Size = kFile.size();
  auto md5 = Req({kA});
  md5.Hash = {THashKind::Md5, Md5Hex(kFile)};
  auto wrongMd5 = Req({kA});
  wrongMd5.Hash = {THashKind::Md5, Md5Hex("other")};
  auto tiny = Req({kA}, false);
  tiny.MaxBytes = 1000;
  auto conditional = Req({kA}, false);
  conditional.IfNoneMatch = "\"v1\"";
  const std::string https = "https://127.0.0.1/a.zip";
  TScripted chunked = Ok(kFile + "extra");
  chunked.Chunked = true;
  return {
      {"good file", Req({kA}), {{kA, {Ok(kFile)}}}, TDownloadOutcome::Done, 1, ""},
      {"md5", md5, {{kA, {Ok(kFile)}}}, TDownloadOutcome::Done, 1, ""},
      {"wrong md5", wrongMd5, {{kA, {Ok(kFile)}}}, TDownloadOutcome::Failed, 1, "its MD5 is"},
      {"wrong hash",
       Req({kA}),
       {{kA, {Ok(kFile + "x")}}},
       TDownloadOutcome::Failed,
       1,
       "its SHA-256 is"},
      {"wrong hash, then a good mirror",
       Req({kA, kB}),
       {{kA, {Ok("bad")}}, {kB, {Ok(kFile)}}},
       TDownloadOutcome::Done,
       2,
       ""},
      {"404 on the first mirror",
       Req({kA, kB}),
       {{kA, {Answer(404, "gone")}}, {kB, {Ok(kFile)}}},
       TDownloadOutcome::Done,
       2,
       ""},
      {"500 everywhere",
       Req({kA, kB}),
       {{kA, {Answer(500)}}, {kB, {Answer(500)}}},
       TDownloadOutcome::Failed,
       2,
       "HTTP 500"},
      {"refused, then a mirror", Req({kA, kB}), {{kB, {Ok(kFile)}}}, TDownloadOutcome::Done, 2, ""},
      {"size differs",
       sized,
       {{kA, {Ok(kFile.substr(1))}}},
       TDownloadOutcome::Failed,
       1,
       "4999 bytes, 5000 were expected"},
      {"more than the limit",
       tiny,
       {{kA, {chunked}}},
       TDownloadOutcome::Failed,
       1,
       "sent more than 1000"},
      {"redirect",
       Req({kA}),
       {{kA, {Redirect(kB)}}, {kB, {Ok(kFile)}}},
       TDownloadOutcome::Done,
       2,
       ""},
      {"redirect loop",
       Req({kA}),
       {{kA, std::deque<TScripted>(4, Redirect(kB))}, {kB, std::deque<TScripted>(4, Redirect(kA))}},
       TDownloadOutcome::Failed,
       6,
       "more than 5 redirects"},
      {"https to http",
       Req({https}),
       {{https, {Redirect(kA)}}},
       TDownloadOutcome::Failed,
       1,
       "from https to http://127.0.0.1/a.zip, which is refused"},
      {"redirect to ftp",
       Req({kA}),
       {{kA, {Redirect("ftp://127.0.0.1/a.zip")}}},
       TDownloadOutcome::Failed,
       1,
       "not an http or https URL"},
      {"file URL skipped",
       Req({"file:///etc/passwd", kA}),
       {{kA, {Ok(kFile)}}},
       TDownloadOutcome::Done,
       1,
       ""},
      {"304 to a conditional request",
       conditional,
       {{kA, {Answer(304)}}},
       TDownloadOutcome::NotModified,
       1,
       ""},
      {"304 unasked",
       Req({kA}),
       {{kA, {Answer(304)}}},
       TDownloadOutcome::Failed,
       1,
       "not conditional"},
  };
}

TEST(DownloadMachine, Table) {
  for (auto& test : Cases()) {
    SCOPED_TRACE(test.Name);
    const TRun run = Drive(test.Request, test.Script);
    ASSERT_TRUE(run.Result);
    EXPECT_EQ(run.Result->Outcome, test.Outcome) << run.Result->ErrorText();
    EXPECT_EQ(run.Requests.size(), test.Requests);
    if (test.Outcome == TDownloadOutcome::Done) {
      EXPECT_EQ(run.Part, kFile);
      EXPECT_EQ(run.Result->File, "/cache/a.zip");
    }
    if (!test.Error.empty()) {
      EXPECT_NE(run.Result->ErrorText().find(test.Error), std::string::npos)
          << run.Result->ErrorText();
    }
  }
}

// A cut continues with Range where it stopped: a 206 appends, a 200 starts over.
TEST(DownloadMachine, ResumesAfterACut) {
  for (const bool ranges : {true, false}) {
    SCOPED_TRACE(ranges);
    TScripted cut = Ok(kFile);
    cut.CutAfter = 2100;
    const TRun run = Drive(Req({kA}), {{kA, {cut, ranges ? Partial(kFile, 2100) : Ok(kFile)}}});
    ASSERT_EQ(run.Result->Outcome, TDownloadOutcome::Done) << run.Result->ErrorText();
    EXPECT_EQ(run.Part, kFile);
    ASSERT_EQ(run.Requests.size(), 2u);
    EXPECT_EQ(Header(run.Requests[0], "Range"), "");
    EXPECT_EQ(Header(run.Requests[1], "Range"), "bytes=2100-");
    EXPECT_EQ(Header(run.Requests[1], "Accept-Encoding"), "identity");
  }
}

TEST(DownloadMachine, GivesUpAfterRepeatedCuts) {
  TScripted cut = Ok(kFile);
  cut.CutAfter = 10;
  const TRun run = Drive(Req({kA}, false), {{kA, std::deque<TScripted>(10, cut)}});
  EXPECT_EQ(run.Result->Outcome, TDownloadOutcome::Failed);
  EXPECT_EQ(run.Requests.size(), 4u);  // the first and three retries
}

TEST(DownloadMachine, ResumeAtTheWrongByteStartsOver) {
  TScripted cut = Ok(kFile);
  cut.CutAfter = 2100;
  const TRun run = Drive(Req({kA}), {{kA, {cut, Partial(kFile, 2000), Ok(kFile)}}});
  ASSERT_EQ(run.Result->Outcome, TDownloadOutcome::Done) << run.Result->ErrorText();
  EXPECT_EQ(run.Part, kFile);
  ASSERT_EQ(run.Requests.size(), 3u);
  EXPECT_EQ(Header(run.Requests[2], "Range"), "");
}

// What an earlier run left: a cached file only through its hash, a part only when a hash
// will check what it continues.
TEST(DownloadMachine, UsesWhatIsOnDiskOnlyWhenItsHashWillTell) {
  const std::string half = kFile.substr(0, 3000);
  struct TDiskCase {
    const char* Name;
    TDownloadRequest Request;
    TDiskState Disk;
    std::string Part, Target;
    std::deque<TScripted> Answers;
    TDownloadOutcome Outcome;
    std::string FirstRange;
    std::size_t Requests;
  } cases[] = {
      {"cached, hash matches",
       Req({kA}),
       {kFile.size(), 0},
       "",
       kFile,
       {},
       TDownloadOutcome::FromCache,
       "",
       0},
      {"cached, hash differs",
       Req({kA}),
       {4, 0},
       "",
       "junk",
       {Ok(kFile)},
       TDownloadOutcome::Done,
       "",
       1},
      {"cached, no hash",
       Req({kA}, false),
       {kFile.size(), 0},
       "",
       kFile,
       {Ok(kFile)},
       TDownloadOutcome::Done,
       "",
       1},
      {"part resumed",
       Req({kA}),
       {std::nullopt, half.size()},
       half,
       "",
       {Partial(kFile, 3000)},
       TDownloadOutcome::Done,
       "bytes=3000-",
       1},
      {"part of another file",
       Req({kA}),
       {std::nullopt, 3000},
       std::string(3000, 'z'),
       "",
       {Partial(kFile, 3000), Ok(kFile)},
       TDownloadOutcome::Done,
       "bytes=3000-",
       2},
      {"part without a hash",
       Req({kA}, false),
       {std::nullopt, half.size()},
       half,
       "",
       {Ok(kFile)},
       TDownloadOutcome::Done,
       "",
       1},
      {"part past the end",
       Req({kA}),
       {std::nullopt, half.size()},
       half,
       "",
       {Answer(416), Ok(kFile)},
       TDownloadOutcome::Done,
       "bytes=3000-",
       2},
  };
  for (auto& test : cases) {
    SCOPED_TRACE(test.Name);
    const TRun run = Drive(test.Request, {{kA, test.Answers}}, test.Disk, test.Part, test.Target);
    ASSERT_EQ(run.Result->Outcome, test.Outcome) << run.Result->ErrorText();
    ASSERT_EQ(run.Requests.size(), test.Requests);
    if (test.Requests > 0) {
      EXPECT_EQ(Header(run.Requests[0], "Range"), test.FirstRange);
      EXPECT_EQ(run.Part, kFile);
    }
  }
}

TEST(DownloadMachine, ConditionalHeadersAndValidators) {
  auto request = Req({kA}, false);
  request.IfNoneMatch = "\"v1\"";
  request.IfModifiedSince = "Wed, 09 Dec 2026 10:00:00 GMT";
  const TRun run = Drive(request, {{kA, {Answer(304, "", {{"ETag", "\"v1\""}})}}});
  ASSERT_EQ(run.Result->Outcome, TDownloadOutcome::NotModified);
  EXPECT_EQ(Header(run.Requests[0], "If-None-Match"), "\"v1\"");
  EXPECT_EQ(Header(run.Requests[0], "If-Modified-Since"), "Wed, 09 Dec 2026 10:00:00 GMT");
  EXPECT_EQ(run.Result->ETag, "\"v1\"");
  EXPECT_EQ(run.Result->File, "/cache/a.zip");

  const TRun fresh =
      Drive(request, {{kA, {Answer(200, kFile, {{"ETag", "\"v2\""}, {"Last-Modified", "Thu"}})}}});
  ASSERT_EQ(fresh.Result->Outcome, TDownloadOutcome::Done);
  EXPECT_EQ(fresh.Result->ETag, "\"v2\"");
  EXPECT_EQ(fresh.Result->LastModified, "Thu");
}

// A stalled answer counts as a cut; progress gives the rate and the time left.
TEST(DownloadMachine, StallAndProgress) {
  TDownloadMachine machine(Req({kA}));
  TTime now{};
  machine.Begin({}, now);
  ASSERT_TRUE(machine.TakeRequest(now));
  machine.Response({200, {{"Content-Length", "5000"}}, ""}, now);
  for (int i = 0; i < 10; ++i) {
    now += 100ms;
    ASSERT_TRUE(machine.Body(std::string_view(kFile).substr(i * 100, 100), now));
  }
  const TDownloadProgress progress = machine.Progress(now);
  EXPECT_EQ(progress.Received, 1000u);
  EXPECT_EQ(progress.Total, 5000u);
  EXPECT_NEAR(progress.BytesPerSecond, 1000.0, 1.0);  // 900 bytes over 0.9 s
  EXPECT_EQ(progress.Remaining, std::chrono::seconds(4));
  EXPECT_EQ(machine.NextWake(), now + 30s);
  machine.Tick(now + 29s);
  EXPECT_TRUE(machine.Busy());
  machine.Tick(now + 30s);
  EXPECT_FALSE(machine.Busy());
  const auto retry = machine.TakeRequest(now + 30s);
  ASSERT_TRUE(retry);
  EXPECT_EQ(Header(*retry, "Range"), "bytes=1000-");
}

TEST(DownloadMachine, ContentRangeAndCacheNames) {
  const auto range = ParseContentRange("bytes 100-199/1000");
  ASSERT_TRUE(range);
  EXPECT_EQ(range->First, 100u);
  EXPECT_EQ(range->Last, 199u);
  EXPECT_EQ(range->Total, 1000u);
  EXPECT_FALSE(ParseContentRange("bytes 100-199/*")->Total);
  for (const char* bad : {"bytes 200-100/1000", "bytes 1-2/2", "items 1-2/3", "bytes -2/3",
                          "bytes 1-2", "bytes 1-x/9", "bytes 18446744073709551616-1/2"})
    EXPECT_FALSE(ParseContentRange(bad)) << bad;

  const std::pair<const char*, const char*> names[] = {
      {"http://h/files/czg07.zip", "czg07.zip"},
      {"https://h/a/My%20Pack%281%29.zip?x=1#y", "My_Pack_1_.zip"},
      {"http://h/a/..%2F..%2Fetc%2Fpasswd", ".._.._etc_passwd"},
      {"http://h/a/..", "download"},
      {"http://h/", "download"},
      {"http://h", "download"},
  };
  for (const auto& [url, name] : names)
    EXPECT_EQ(DownloadCacheFile("/c", url), std::filesystem::path("/c") / name) << url;

  // $XDG_CACHE_HOME when absolute, else ~/.cache, as the XDG rules say.
  const auto cache = [](std::optional<std::string> value) {
    return DownloadCacheFolder(TXdgFolders([value](std::string_view name) {
                                 return name == "HOME" ? std::optional<std::string>("/home/p")
                                        : name == "XDG_CACHE_HOME" ? value
                                                                   : std::nullopt;
                               }).CacheHome());
  };
  EXPECT_EQ(cache("/xdg/cache"), "/xdg/cache/fraxinel/downloads");
  EXPECT_EQ(cache("relative/cache"), "/home/p/.cache/fraxinel/downloads");
  EXPECT_EQ(cache(std::nullopt), "/home/p/.cache/fraxinel/downloads");
}

}  // namespace
}  // namespace fx

namespace fx {
namespace {

TEST(ProgressText, SaysBytesRateAndTimeLeft) {
  const std::pair<std::uint64_t, const char*> sizes[] = {
      {1, "1 byte"},
      {999, "999 bytes"},
      {1000, "1.0 kB"},
      {999'949, "999.9 kB"},
      {999'950, "1.0 MB"},
      {50'000'000, "50.0 MB"},
      {1'234'000'000, "1.23 GB"},
      {12'345'000'000, "12.3 GB"},
  };
  for (const auto& [bytes, text] : sizes)
    EXPECT_EQ(ByteText(bytes), text) << bytes;
  EXPECT_EQ(RemainingText(std::chrono::seconds(12)), "12 s left");
  EXPECT_EQ(RemainingText(std::chrono::seconds(185)), "3:05 left");
  EXPECT_EQ(RemainingText(std::chrono::seconds(3723)), "1:02:03 left");
  EXPECT_EQ(ProgressText(4'500'000, 50'000'000, 10'200'000, std::chrono::seconds(4)),
            "4.5 MB of 50.0 MB, 10.2 MB/s, 4 s left");
  EXPECT_EQ(ProgressText(2000, std::nullopt, 0, std::nullopt), "2.0 kB");
}

}  // namespace
}  // namespace fx
