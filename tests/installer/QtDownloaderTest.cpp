// The Qt download against the scripted HTTP server on 127.0.0.1.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "fixtures/HttpTestServer.h"
#include "fixtures/TempDir.h"
#include "installer/DownloadPart.h"
#include "installer/QtDownloader.h"

namespace fx {
namespace {

using test::THttpRoute;
using namespace std::chrono_literals;

std::string Bytes(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    text[i] = static_cast<char>((i * 131 + i / 977) & 0xff);
  return text;
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::string kFile = Bytes(700'000);

class QtDownloaderTest : public ::testing::Test {
 protected:
  // Runs one download to its end; fails the test after 10 s.
  TDownloadResult Run(TDownloadRequest request, TDownloader::TId* id = nullptr,
                      std::function<void(const TDownloadProgress&)> progress = {}) {
    QEventLoop loop;
    std::optional<TDownloadResult> result;
    const auto started =
        Downloader.Start(std::move(request), {std::move(progress), [&](const TDownloadResult& r) {
                                                result = r;
                                                loop.quit();
                                              }});
    if (id) *id = started;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!result) loop.exec();
    EXPECT_TRUE(result) << "no result within 10 s";
    return result.value_or(TDownloadResult{});
  }

  TDownloadRequest Request(std::vector<std::string> paths, bool hash = true) {
    TDownloadRequest request;
    for (const auto& path : paths)
      request.Urls.push_back(Server.Url(path));
    if (hash) request.Hash = {THashKind::Sha256, Sha256Hex(kFile)};
    return request;
  }

  test::TTempDir Dir;
  test::THttpTestServer Server;
  TQtDownloader Downloader{Dir.Path()};
};

TEST_F(QtDownloaderTest, Table) {
  // Cut more than once: Qt itself sends a request again once when a kept-alive connection
  // ends early, so the resume is ours only from the second cut on.
  THttpRoute cut{.Body = kFile, .CutAfter = 300'000, .CutTimes = 3};
  THttpRoute overstated{.Body = kFile, .Overstate = 1000};
  struct TCase {
    const char* Name;
    std::vector<std::pair<std::string, THttpRoute>> Routes;
    std::vector<std::string> Urls;
    std::optional<std::uint64_t> Size;
    TDownloadOutcome Outcome;
    std::string Error;
  } cases[] = {
      {"good file",
       {{"/good.zip", {.Body = kFile}}},
       {"/good.zip"},
       {},
       TDownloadOutcome::Done,
       ""},
      {"wrong hash",
       {{"/bad.zip", {.Body = kFile.substr(1) + "x"}}},
       {"/bad.zip"},
       {},
       TDownloadOutcome::Failed,
       "its SHA-256 is"},
      {"short body",
       {{"/short.zip", {.Body = kFile.substr(0, 1000)}}},
       {"/short.zip"},
       kFile.size(),
       TDownloadOutcome::Failed,
       "1000 bytes, 700000 were expected"},
      {"404 on the first mirror",
       {{"/m2.zip", {.Body = kFile}}},
       {"/m1.zip", "/m2.zip"},
       {},
       TDownloadOutcome::Done,
       ""},
      {"500",
       {{"/err.zip", {.Status = 500, .Body = "oops"}}},
       {"/err.zip"},
       {},
       TDownloadOutcome::Failed,
       "HTTP 500"},
      {"cut, then Range", {{"/cut.zip", cut}}, {"/cut.zip"}, {}, TDownloadOutcome::Done, ""},
      {"truncated every time",
       {{"/trunc.zip", overstated}},
       {"/trunc.zip"},
       {},
       TDownloadOutcome::Failed,
       ""},
      {"redirect loop",
       {{"/loop1", {.Status = 302, .Location = "/loop2"}},
        {"/loop2", {.Status = 302, .Location = "/loop1"}}},
       {"/loop1"},
       {},
       TDownloadOutcome::Failed,
       "more than 5 redirects"},
      {"relative redirect",
       {{"/r", {.Status = 302, .Location = "/good.zip"}}, {"/good.zip", {.Body = kFile}}},
       {"/r"},
       {},
       TDownloadOutcome::Done,
       ""},
      {"chunked",
       {{"/chunked.zip", {.Body = kFile, .Chunked = true}}},
       {"/chunked.zip"},
       kFile.size(),
       TDownloadOutcome::Done,
       ""},
  };
  for (auto& test : cases) {
    SCOPED_TRACE(test.Name);
    for (auto& [path, route] : test.Routes)
      Server.Route(path, route);
    auto request = Request(test.Urls);
    request.Size = test.Size;
    request.Target = Dir / (std::string("t") + std::to_string(&test - cases) + ".zip");
    const TDownloadResult result = Run(request);
    EXPECT_EQ(result.Outcome, test.Outcome) << result.ErrorText();
    if (test.Outcome == TDownloadOutcome::Done) {
      EXPECT_EQ(ReadAll(request.Target), kFile);
      EXPECT_EQ(result.Bytes, kFile.size());
    } else {
      EXPECT_FALSE(std::filesystem::exists(request.Target));
      EXPECT_NE(result.ErrorText().find(test.Error), std::string::npos) << result.ErrorText();
    }
    // A wrong or refused file leaves nothing; only a cut one with a hash may continue later.
    if (test.Outcome == TDownloadOutcome::Done || test.Error.find("SHA") != std::string::npos) {
      EXPECT_FALSE(std::filesystem::exists(PartFile(request.Target)));
    }
  }
  // The first asks for all; a later one continues after what came.
  const auto resumed = Server.Requests("/cut.zip");
  ASSERT_GE(resumed.size(), 2u);
  EXPECT_EQ(resumed.front().Header("range"), "");
  EXPECT_TRUE(std::ranges::any_of(resumed, [](const test::THttpSeen& seen) {
    const std::string range = seen.Header("range");
    return range.starts_with("bytes=") && range != "bytes=0-";
  }));
}

TEST_F(QtDownloaderTest, ARequestWithoutAUrlFailsAndTouchesNoFile) {
  const TDownloadResult result = Run({});
  EXPECT_EQ(result.Outcome, TDownloadOutcome::Failed);
  EXPECT_EQ(result.ErrorText(), "no URL to download from");
  EXPECT_TRUE(Server.Requests().empty());
}

// Into the cache by the URL's name; the second time the cached file's hash answers.
TEST_F(QtDownloaderTest, CachedArchiveUsedOnlyWhenItsHashMatches) {
  Server.Route("/pack.zip", {.Body = kFile});
  const TDownloadResult first = Run(Request({"/pack.zip"}));
  ASSERT_EQ(first.Outcome, TDownloadOutcome::Done) << first.ErrorText();
  EXPECT_EQ(first.File, Dir / "pack.zip");
  const TDownloadResult second = Run(Request({"/pack.zip"}));
  EXPECT_EQ(second.Outcome, TDownloadOutcome::FromCache);
  EXPECT_EQ(Server.Requests("/pack.zip").size(), 1u);
  std::ofstream(Dir / "pack.zip", std::ios::binary) << "tampered";
  EXPECT_EQ(Run(Request({"/pack.zip"})).Outcome, TDownloadOutcome::Done);
  EXPECT_EQ(ReadAll(Dir / "pack.zip"), kFile);
  EXPECT_EQ(Server.Requests("/pack.zip").size(), 2u);
}

TEST_F(QtDownloaderTest, ConditionalRequestAnswered304) {
  Server.Route("/catalogue.xml", {.Body = "<list/>", .ETag = "\"v7\"", .LastModified = "Tue"});
  auto request = Request({"/catalogue.xml"}, false);
  const TDownloadResult fresh = Run(request);
  ASSERT_EQ(fresh.Outcome, TDownloadOutcome::Done) << fresh.ErrorText();
  EXPECT_EQ(fresh.ETag, "\"v7\"");
  request.IfNoneMatch = fresh.ETag;
  const TDownloadResult again = Run(request);
  EXPECT_EQ(again.Outcome, TDownloadOutcome::NotModified) << again.ErrorText();
  EXPECT_EQ(ReadAll(again.File), "<list/>");
  EXPECT_EQ(Server.Requests("/catalogue.xml").back().Header("if-none-match"), "\"v7\"");
}

// Cancel answers at once on a slow server; the part stays and the next run continues it.
TEST_F(QtDownloaderTest, CancelOfASlowDownloadAnswersAtOnceAndResumesLater) {
  Server.Route("/slow.zip", {.Body = kFile, .Delay = 150ms, .ChunkSize = 64 * 1024});
  TDownloader::TId id = 0;
  QElapsedTimer sinceCancel;
  qint64 answered = -1;
  QEventLoop loop;
  id = Downloader.Start(Request({"/slow.zip"}),
                        {[&](const TDownloadProgress& progress) {
                           if (progress.Received > 0 && !sinceCancel.isValid()) {
                             sinceCancel.start();
                             Downloader.Cancel(id);
                           }
                         },
                         [&](const TDownloadResult& result) {
                           answered = sinceCancel.elapsed();
                           EXPECT_EQ(result.Outcome, TDownloadOutcome::Cancelled);
                           loop.quit();
                         }});
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  ASSERT_GE(answered, 0);
  EXPECT_LT(answered, 100);
  const auto part = PartFile(Dir / "slow.zip");
  ASSERT_TRUE(std::filesystem::exists(part));
  const auto kept = std::filesystem::file_size(part);
  EXPECT_GT(kept, 0u);

  Server.Route("/slow.zip", {.Body = kFile});
  const TDownloadResult result = Run(Request({"/slow.zip"}));
  ASSERT_EQ(result.Outcome, TDownloadOutcome::Done) << result.ErrorText();
  EXPECT_EQ(ReadAll(Dir / "slow.zip"), kFile);
  EXPECT_EQ(Server.Requests("/slow.zip").back().Header("range"),
            "bytes=" + std::to_string(kept) + "-");
}

}  // namespace
}  // namespace fx

namespace fx {
namespace {

// `fraxinel --install URL`'s download: the archive's path, or the reasons it failed.
TEST(DownloadForCommandLine, GivesThePathOrTheReasons) {
  test::TTempDir dir;
  test::THttpTestServer server;
  server.Route("/czg07.zip", {.Body = kFile});
  std::ostringstream err;
  const std::string path = DownloadForCommandLine(server.Url("/czg07.zip"), Sha256Hex(kFile),
                                                  kFile.size(), err, dir.Path());
  EXPECT_EQ(path, (dir / "czg07.zip").string());
  EXPECT_EQ(ReadAll(path), kFile);
  EXPECT_NE(err.str().find("download: 700.0 kB from http://127.0.0.1:"), std::string::npos)
      << err.str();
  try {
    DownloadForCommandLine(server.Url("/none.zip"), std::nullopt, std::nullopt, err, dir.Path());
    ADD_FAILURE() << "no error for a 404";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("/none.zip: HTTP 404"), std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace fx
