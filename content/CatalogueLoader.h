#pragma once

// Loads the enabled catalogues: a local one read from disk, a web one from the cache while
// it is younger than a day (no network at all), else asked again through the download port
// with the validators of the cached copy (If-None-Match, If-Modified-Since). When the
// network fails or sends what cannot be read, the cached copy is used and the status says
// how old it is. Nothing is sent before Load.
//
// Reading a catalogue (tens of megabytes for the JSON pages) runs through a TRunAside: the
// program's runs it on a worker thread (CatalogueWorker.h) so the window keeps answering;
// without one it runs in place.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
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
  // Runs `work` (which touches nothing of the loader) somewhere, then `back` on the thread
  // that called Load, later, from its event loop. `back` may be dropped when the loader is
  // gone; it checks that itself.
  using TRunAside = std::function<void(std::function<void()> work, std::function<void()> back)>;

  // `cacheFolder`: $XDG_CACHE_HOME/fraxinel/catalogues.
  TCatalogueLoader(TDownloader& downloader, std::filesystem::path cacheFolder, TNow now,
                   TRunAside runAside = {});
  ~TCatalogueLoader();

  // Loads each enabled source in turn; `refresh` asks the network even for a fresh cache.
  // `done` runs once with one load per enabled source, in their order (never inside Load
  // when a source needs the network or a TRunAside is given). A Load while one runs is
  // ignored. After Cancel, `done` does not run, and a read still going is thrown away.
  void Load(std::vector<TCatalogueSource> sources, bool refresh, TDone done);
  void Cancel();
  bool Busy() const { return FRun != nullptr; }

 private:
  struct TRun;
  // What a read aside gave: the catalogue, or why not.
  struct TRead {
    std::optional<TCatalogue> Catalogue;
    std::string Error;
  };
  void Next();
  void LoadWeb(const TCatalogueSource& source);
  void StartFetching();
  void FetchPage(std::size_t page);
  void Fetched(const TDownloadResult& result);
  void PageRead(TRead page);
  void Failed(std::string failure);
  void Finish(TCatalogueLoad load);
  const TCatalogueSource& Current() const;
  // Runs `read` aside, then `then` here with what it gave, unless the run was cancelled.
  void ReadAside(std::function<TCatalogue()> read, std::function<void(TRead)> then);

  TDownloader& FDownloader;
  std::filesystem::path FCacheFolder;
  TNow FNow;
  TRunAside FRunAside;
  std::unique_ptr<TRun> FRun;
  // Counts runs: a read that comes back for another run (or none) is dropped. Shared so
  // what comes back after the loader is gone finds it gone.
  std::shared_ptr<std::uint64_t> FRunNumber = std::make_shared<std::uint64_t>(0);
};

// $XDG_CACHE_HOME/fraxinel/catalogues.
std::filesystem::path CatalogueCacheFolder(const std::filesystem::path& cacheHome);

}  // namespace fx
