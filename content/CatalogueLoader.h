#pragma once

// Loads the enabled catalogues: a local one read from disk, a web one from the cache while
// it is younger than a day (no network at all), else asked again through the download port
// with the validators of the cached copy (If-None-Match, If-Modified-Since). When the
// network fails or sends what cannot be read, the cached copy is used and the status says
// how old it is. Nothing is sent before Load.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/CatalogueSource.h"
#include "installer/Download.h"

namespace fx {

struct TCatalogueLoad {
  std::string Source{};  // the source's name
  TCatalogue Catalogue{};
  bool Loaded = false;       // false: nothing could be had, Status says why
  bool FromNetwork = false;  // fetched (or confirmed by a 304) in this load
  std::string Status{};      // one line for the status bar
};

inline constexpr std::int64_t kCatalogueFreshSeconds = 24 * 3600;

class TCatalogueLoader {
 public:
  using TNow = std::function<std::int64_t()>;  // seconds since 1970
  using TDone = std::function<void(std::vector<TCatalogueLoad>)>;

  // `cacheFolder`: $XDG_CACHE_HOME/fraxinel/catalogues.
  TCatalogueLoader(TDownloader& downloader, std::filesystem::path cacheFolder, TNow now);
  ~TCatalogueLoader();

  // Loads each enabled source in turn; `refresh` asks the network even for a fresh cache.
  // `done` runs once with one load per enabled source, in their order (never inside Load
  // when a source needs the network). A Load while one runs is ignored.
  void Load(std::vector<TCatalogueSource> sources, bool refresh, TDone done);
  void Cancel();
  bool Busy() const { return FRun != nullptr; }

 private:
  struct TRun;
  void Next();
  void LoadWeb(const TCatalogueSource& source);
  void FetchPage(std::size_t page);
  void Fetched(const TDownloadResult& result);
  void Finish(TCatalogueLoad load);

  TDownloader& FDownloader;
  std::filesystem::path FCacheFolder;
  TNow FNow;
  std::unique_ptr<TRun> FRun;
};

// $XDG_CACHE_HOME/fraxinel/catalogues.
std::filesystem::path CatalogueCacheFolder(const std::filesystem::path& cacheHome);

}  // namespace fx
