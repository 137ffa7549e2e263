// The catalogue cache and the network through the download port on Qt Network, against the
// scripted HTTP server on 127.0.0.1; the catalogues read on the program's worker thread.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThreadPool>
#include <QTimer>

#include <fstream>

#include "content/CatalogueBuilder.h"
#include "content/CatalogueLoader.h"
#include "content/CatalogueWorker.h"
#include "fixtures/HttpTestServer.h"
#include "fixtures/TempDir.h"
#include "installer/QtDownloader.h"

namespace fx {
namespace {

using namespace std::chrono_literals;

class CatalogueLoaderTest : public ::testing::Test {
 protected:
  std::vector<TCatalogueLoad> Run(std::vector<TCatalogueSource> sources, bool refresh = false) {
    QEventLoop loop;
    std::optional<std::vector<TCatalogueLoad>> loads;
    Loader.Load(std::move(sources), refresh, [&](std::vector<TCatalogueLoad> l) {
      loads = std::move(l);
      loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!loads) loop.exec();
    EXPECT_TRUE(loads) << "no result within 10 s";
    return loads.value_or(std::vector<TCatalogueLoad>{});
  }
  TCatalogueSource Xml(const std::string& path = "/db.xml") {
    return {"xml", Server.Url(path), TCatalogueFormat::XmlDatabase, true};
  }
  static std::vector<test::TXmlRecord> Records(int count) {
    std::vector<test::TXmlRecord> records(count);
    for (int i = 0; i < count; ++i)
      records[i].Id = "pkg" + std::to_string(i);
    return records;
  }

  test::TTempDir Dir;
  test::THttpTestServer Server;
  TQtDownloader Downloader{Dir / "downloads"};
  std::int64_t Now = 1'800'000'000;
  TCatalogueLoader Loader{Downloader, Dir / "catalogues", [this] { return Now; },
                          CatalogueWorker()};
};

TEST_F(CatalogueLoaderTest, AFreshCacheIsUsedWithoutAskingTheNetwork) {
  Server.Route("/db.xml", {.Body = test::XmlDatabase(Records(3)), .ETag = "\"v1\""});
  auto loads = Run({Xml()});
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_TRUE(loads[0].Loaded && loads[0].FromNetwork) << loads[0].Status;
  EXPECT_EQ(loads[0].Catalogue.Packages.size(), 3u);
  Now += 23 * 3600;
  loads = Run({Xml()});
  EXPECT_EQ(Server.Requests("/db.xml").size(), 1u);
  EXPECT_FALSE(loads[0].FromNetwork);
  EXPECT_EQ(loads[0].Status, "xml: from the cache, 23 hours old");
  EXPECT_EQ(loads[0].Catalogue.Packages.size(), 3u);
  // Refresh asks again, conditionally: the server says it did not change.
  loads = Run({Xml()}, true);
  ASSERT_EQ(Server.Requests("/db.xml").size(), 2u);
  EXPECT_EQ(Server.Requests("/db.xml")[1].Header("if-none-match"), "\"v1\"");
  EXPECT_EQ(loads[0].Status, "xml: not changed on the server");
  EXPECT_EQ(loads[0].Catalogue.Packages.size(), 3u);
  // The 304 renewed the copy's age.
  Now += 3600;
  EXPECT_EQ(Run({Xml()})[0].Status, "xml: from the cache, 1 hour old");
  EXPECT_EQ(Server.Requests("/db.xml").size(), 2u);
}

TEST_F(CatalogueLoaderTest, FallsBackToTheCachedCopyAndSaysHowOld) {
  Server.Route("/db.xml", {.Body = test::XmlDatabase(Records(4))});
  ASSERT_TRUE(Run({Xml()})[0].Loaded);
  Downloader.SetStallTimeout(300ms);
  const std::string body = test::XmlDatabase(Records(5));
  const struct {
    const char* Name;
    test::THttpRoute Route;
    std::string Reason;
  } cases[] = {
      {"a 500", {.Status = 500}, "500"},
      {"a truncated body", {.Body = body, .Overstate = 100}, ""},
      {"a body that is not the format", {.Body = body.substr(0, body.size() / 2)}, "refused"},
      {"a slow server", {.Body = body, .Delay = 2000ms, .ChunkSize = 100}, ""},
  };
  for (const auto& c : cases) {
    Server.Route("/db.xml", c.Route);
    Now += 2 * 86400;
    const auto loads = Run({Xml()});
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_TRUE(loads[0].Loaded) << c.Name;
    EXPECT_EQ(loads[0].Catalogue.Packages.size(), 4u) << c.Name;
    EXPECT_NE(loads[0].Status.find("using the cached copy from 2 days ago"), std::string::npos)
        << c.Name << ": " << loads[0].Status;
    EXPECT_NE(loads[0].Status.find(c.Reason), std::string::npos) << loads[0].Status;
    Now -= 2 * 86400;
  }
  // Without a cached copy the failure is all there is.
  const auto none =
      Run({{"other", Server.Url("/missing.xml"), TCatalogueFormat::XmlDatabase, true}});
  EXPECT_FALSE(none[0].Loaded);
  EXPECT_NE(none[0].Status.find("404"), std::string::npos) << none[0].Status;
}

TEST_F(CatalogueLoaderTest, ApiPagesUntilAShortOneAndLocalSources) {
  std::vector<std::string> first, second;
  for (std::size_t i = 0; i < kApiPageRows + 50; ++i) {
    test::TJsonRecord r;
    r.Sha256 = test::HexOf(i);
    r.Tags = {"filename=p" + std::to_string(i) + ".zip"};
    (i < kApiPageRows ? first : second).push_back(test::JsonText(r));
  }
  Server.Route("/api/?rows=200&start=0", {.Body = test::JsonArray(first)});
  Server.Route("/api/?rows=200&start=200", {.Body = test::JsonArray(second)});
  const std::filesystem::path local = Dir / "local.xml";
  std::ofstream(local) << test::XmlDatabase(Records(2));
  const auto loads = Run({{"api", Server.Url("/api/?rows=200"), TCatalogueFormat::JsonPages, true},
                          {"off", Server.Url("/never"), TCatalogueFormat::XmlDatabase, false},
                          {"local", local.string(), TCatalogueFormat::XmlDatabase, true}});
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[0].Catalogue.Packages.size(), kApiPageRows + 50) << loads[0].Status;
  EXPECT_EQ(Server.Requests("/never").size(), 0u);
  for (const auto& request : Server.Requests())
    EXPECT_EQ(request.Header("accept"), "application/json");
  EXPECT_EQ(loads[1].Catalogue.Packages.size(), 2u);
  // The pages come back from the cache as one catalogue.
  EXPECT_EQ(Run({{"api", Server.Url("/api/?rows=200"), TCatalogueFormat::JsonPages, true}})[0]
                .Catalogue.Packages.size(),
            kApiPageRows + 50);
  EXPECT_EQ(Server.Requests().size(), 2u);
}

TEST_F(CatalogueLoaderTest, AReadOnTheWorkerIsDroppedWhenCancelledOrItsLoaderIsGone) {
  const auto local = [&](const std::string& name, int records) {
    std::ofstream(Dir / name) << test::XmlDatabase(Records(records));
    return TCatalogueSource{"local", (Dir / name).string(), TCatalogueFormat::XmlDatabase, true};
  };
  const TCatalogueSource cancelled = local("cancelled.xml", 50), source = local("next.xml", 7);
  int stale = 0;
  Loader.Load({cancelled}, false, [&](std::vector<TCatalogueLoad>) { ++stale; });
  EXPECT_TRUE(Loader.Busy());  // the read runs aside: nothing came back inside Load
  Loader.Cancel();
  EXPECT_FALSE(Loader.Busy());
  // The next load answers with what its own file holds; the cancelled read never lands.
  const auto loads = Run({source});
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_TRUE(loads[0].Loaded) << loads[0].Status;
  EXPECT_EQ(loads[0].Catalogue.Packages.size(), 7u);
  {
    TCatalogueLoader gone(
        Downloader, Dir / "other", [this] { return Now; }, CatalogueWorker());
    gone.Load({cancelled}, false, [&](std::vector<TCatalogueLoad>) { ++stale; });
  }
  QThreadPool::globalInstance()->waitForDone();
  QCoreApplication::processEvents();
  EXPECT_EQ(stale, 0);
}

}  // namespace
}  // namespace fx
