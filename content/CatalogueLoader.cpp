#include "content/CatalogueLoader.h"

#include <sstream>

#include "content/CatalogueMerge.h"
#include "content/ContentText.h"
#include "installer/PackageStore.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

// What is known of a cached copy: when it was fetched or confirmed, its validators, and for
// API pages how many page files it has.
struct TCacheMeta {
  std::int64_t Fetched = 0;
  std::string ETag, LastModified;
  std::size_t Pages = 1;
};

std::string CacheName(const TCatalogueSource& source) {
  return IsSafeName(source.Name) ? source.Name : "catalogue";
}

fs::path MetaFile(const fs::path& folder, const TCatalogueSource& s) {
  return folder / (CacheName(s) + ".meta");
}

fs::path DataFile(const fs::path& folder, const TCatalogueSource& s, std::size_t page) {
  return folder / (CacheName(s) + (page ? ".page" + std::to_string(page) : "") + ".data");
}

std::vector<fs::path> CachedFiles(const fs::path& folder, const TCatalogueSource& s,
                                  std::size_t pages) {
  std::vector<fs::path> files;
  for (std::size_t page = 0; page < pages; ++page)
    files.push_back(DataFile(folder, s, page));
  return files;
}

// What the cache records of a fetch: a few short lines.
constexpr std::size_t kMaxMetaBytes = 64u << 10;

std::optional<TCacheMeta> ReadMeta(const fs::path& file) {
  std::string text;
  try {
    text = ReadRegularFile(file, kMaxMetaBytes);
  } catch (const EFileOpenError&) {
    return std::nullopt;
  }
  TCacheMeta meta;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "fetched")
      meta.Fetched = static_cast<std::int64_t>(ParseUnsigned(value).value_or(0));
    else if (key == "etag")
      meta.ETag = value;
    else if (key == "last-modified")
      meta.LastModified = value;
    else if (key == "pages")
      meta.Pages = std::clamp<std::size_t>(ParseUnsigned(value).value_or(1), 1, kMaxApiPages);
  }
  return meta;
}

// A validator goes back to the server in a header: no line breaks in it.
std::string HeaderSafe(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

// A cache that cannot be written costs only the next load's network.
void WriteMeta(const fs::path& file, const TCacheMeta& meta) {
  try {
    WriteFileAtomically(file, "fetched=" + std::to_string(meta.Fetched) +
                                  "\netag=" + HeaderSafe(meta.ETag) +
                                  "\nlast-modified=" + HeaderSafe(meta.LastModified) +
                                  "\npages=" + std::to_string(meta.Pages) + "\n");
  } catch (const std::exception&) {
  }
}

TCatalogue ReadPages(TCatalogueFormat format, const std::vector<fs::path>& files) {
  std::vector<TCatalogue> pages;
  for (const fs::path& file : files)
    pages.push_back(ReadLocalCatalogue(format, file));
  return pages.size() == 1 ? std::move(pages[0]) : MergeCatalogues(std::move(pages));
}

}  // namespace

struct TCatalogueLoader::TRun {
  std::vector<TCatalogueSource> Sources;
  bool Refresh = false;
  TDone Done;
  std::vector<TCatalogueLoad> Loads;
  std::size_t Index = 0;
  // The web source being fetched.
  std::optional<TCacheMeta> Cached;
  std::vector<fs::path> NewPages;
  std::vector<TCatalogue> Parsed;  // of NewPages, as each came
  TDownloadResult First;           // the answer of the first page: its validators are kept
  std::optional<TDownloader::TId> Download;
};

fs::path CatalogueCacheFolder(const fs::path& cacheHome) {
  return cacheHome / "fraxinel" / "catalogues";
}

TCatalogueLoader::TCatalogueLoader(TDownloader& downloader, fs::path cacheFolder, TNow now,
                                   TRunAside runAside)
    : FDownloader(downloader),
      FCacheFolder(std::move(cacheFolder)),
      FNow(std::move(now)),
      FRunAside(std::move(runAside)) {}

TCatalogueLoader::~TCatalogueLoader() {
  Cancel();
}

void TCatalogueLoader::Load(std::vector<TCatalogueSource> sources, bool refresh, TDone done) {
  if (FRun) return;
  ++*FRunNumber;
  FRun = std::make_unique<TRun>();
  std::erase_if(sources, [](const TCatalogueSource& s) { return !s.Enabled; });
  FRun->Sources = std::move(sources);
  FRun->Refresh = refresh;
  FRun->Done = std::move(done);
  Next();
}

void TCatalogueLoader::Cancel() {
  if (!FRun) return;
  ++*FRunNumber;
  const auto download = FRun->Download;
  FRun.reset();
  if (download) FDownloader.Cancel(*download);
}

const TCatalogueSource& TCatalogueLoader::Current() const {
  return FRun->Sources[FRun->Index];
}

void TCatalogueLoader::ReadAside(std::function<TCatalogue()> read,
                                 std::function<void(TRead)> then) {
  auto outcome = std::make_shared<TRead>();
  auto work = [read = std::move(read), outcome] {
    try {
      outcome->Catalogue = read();
    } catch (const std::exception& e) {
      outcome->Error = e.what();
    }
  };
  auto back = [this, run = std::weak_ptr<std::uint64_t>(FRunNumber), number = *FRunNumber, outcome,
               then = std::move(then)] {
    const auto current = run.lock();
    if (!current || *current != number || !FRun) return;  // the loader or the run is gone
    then(std::move(*outcome));
  };
  if (!FRunAside) {
    work();
    return back();
  }
  FRunAside(std::move(work), std::move(back));
}

void TCatalogueLoader::Next() {
  if (!FRun) return;
  if (FRun->Index == FRun->Sources.size()) {
    auto run = std::move(FRun);
    return run->Done(std::move(run->Loads));
  }
  const TCatalogueSource& source = Current();
  if (IsWebAddress(source.Location)) return LoadWeb(source);
  ReadAside([format = source.Format,
             location = fs::path(source.Location)] { return ReadLocalCatalogue(format, location); },
            [this](TRead read) {
              const TCatalogueSource& source = Current();
              TCatalogueLoad load{.Source = source.Name};
              if (read.Catalogue) {
                load.Catalogue = std::move(*read.Catalogue);
                load.Loaded = true;
                load.Status = source.Name + ": read from " + source.Location;
              } else {
                load.Status = source.Name + ": " + read.Error;
              }
              Finish(std::move(load));
            });
}

void TCatalogueLoader::LoadWeb(const TCatalogueSource& source) {
  TRun& run = *FRun;
  run.Cached = ReadMeta(MetaFile(FCacheFolder, source));
  if (run.Cached && !fs::exists(DataFile(FCacheFolder, source, 0))) run.Cached.reset();
  run.NewPages.clear();
  run.Parsed.clear();
  run.First = {};
  const std::int64_t age = run.Cached ? FNow() - run.Cached->Fetched : 0;
  if (!run.Cached || run.Refresh || age < 0 || age >= kCatalogueFreshSeconds)
    return StartFetching();
  ReadAside(
      [format = source.Format, files = CachedFiles(FCacheFolder, source, run.Cached->Pages)] {
        return ReadPages(format, files);
      },
      [this, age](TRead read) {
        if (!read.Catalogue) {
          FRun->Cached.reset();  // a broken cache is fetched again
          return StartFetching();
        }
        const TCatalogueSource& source = Current();
        TCatalogueLoad load{.Source = source.Name};
        load.Catalogue = std::move(*read.Catalogue);
        load.Loaded = true;
        load.Status = source.Name + ": from the cache, " + FormatAge(age) + " old";
        Finish(std::move(load));
      });
}

void TCatalogueLoader::StartFetching() {
  std::error_code error;
  fs::create_directories(FCacheFolder, error);
  FetchPage(0);
}

void TCatalogueLoader::FetchPage(std::size_t page) {
  TRun& run = *FRun;
  const TCatalogueSource& source = Current();
  TDownloadRequest request;
  const bool paged = source.Format == TCatalogueFormat::JsonPages;
  request.Urls = {paged ? PageAddress(source.Location, page * kApiPageRows) : source.Location};
  request.Target = DataFile(FCacheFolder, source, page).string() + ".new";
  request.MaxBytes = kMaxCatalogueBytes;
  request.UseCache = false;
  // The web API answers pages of JSON only when asked for them.
  if (paged) request.Accept = "application/json";
  // Pages are asked whole: a 304 for one page says nothing of the others.
  if (run.Cached && !paged) {
    request.IfNoneMatch = run.Cached->ETag;
    request.IfModifiedSince = run.Cached->LastModified;
  }
  run.NewPages.push_back(request.Target);
  run.Download =
      FDownloader.Start(std::move(request), {{}, [this](const TDownloadResult& r) { Fetched(r); }});
}

void TCatalogueLoader::Fetched(const TDownloadResult& result) {
  if (!FRun) return;
  TRun& run = *FRun;
  run.Download.reset();
  const TCatalogueSource& source = Current();
  if (run.NewPages.size() == 1) run.First = result;
  if (result.Outcome == TDownloadOutcome::NotModified && run.Cached) {
    TCacheMeta meta = *run.Cached;
    meta.Fetched = FNow();
    WriteMeta(MetaFile(FCacheFolder, source), meta);
    run.Cached = meta;
    run.Refresh = false;
    return ReadAside(
        [format = source.Format, file = DataFile(FCacheFolder, source, 0)] {
          return ReadPages(format, {file});
        },
        [this](TRead read) {
          if (!read.Catalogue) return Failed(read.Error);
          TCatalogueLoad load{.Source = Current().Name, .FromNetwork = true};
          load.Catalogue = std::move(*read.Catalogue);
          load.Loaded = true;
          load.Status = Current().Name + ": not changed on the server";
          Finish(std::move(load));
        });
  }
  if (result.Outcome == TDownloadOutcome::Done) {
    return ReadAside(
        [format = source.Format, file = result.File] { return ReadLocalCatalogue(format, file); },
        [this](TRead page) { PageRead(std::move(page)); });
  }
  Failed(result.Outcome == TDownloadOutcome::Cancelled ? "cancelled" : result.ErrorText());
}

void TCatalogueLoader::PageRead(TRead page) {
  TRun& run = *FRun;
  if (!page.Catalogue) return Failed("what it sent is refused: " + page.Error);
  const TCatalogueSource& source = Current();
  const bool paged = source.Format == TCatalogueFormat::JsonPages;
  // A full API page means there may be another.
  const bool full =
      page.Catalogue->Packages.size() + page.Catalogue->Skipped.size() >= kApiPageRows;
  run.Parsed.push_back(std::move(*page.Catalogue));
  if (paged && full && run.NewPages.size() < kMaxApiPages) return FetchPage(run.NewPages.size());
  TCatalogueLoad load{.Source = source.Name, .FromNetwork = true};
  try {
    for (std::size_t i = 0; i < run.NewPages.size(); ++i)
      fs::rename(run.NewPages[i], DataFile(FCacheFolder, source, i));
    WriteMeta(MetaFile(FCacheFolder, source),
              {FNow(), run.First.ETag, run.First.LastModified, run.NewPages.size()});
  } catch (const std::exception& e) {
    return Failed(std::string("what it sent is refused: ") + e.what());
  }
  load.Catalogue =
      run.Parsed.size() == 1 ? std::move(run.Parsed[0]) : MergeCatalogues(std::move(run.Parsed));
  run.Parsed.clear();
  load.Loaded = true;
  load.Status =
      source.Name + ": fetched, " + std::to_string(load.Catalogue.Packages.size()) + " packages";
  Finish(std::move(load));
}

// The fetch failed: the cached copy if there is one.
void TCatalogueLoader::Failed(std::string failure) {
  TRun& run = *FRun;
  std::error_code error;
  for (const fs::path& file : run.NewPages)
    fs::remove(file, error);
  run.NewPages.clear();
  run.Parsed.clear();
  const TCatalogueSource& source = Current();
  if (!run.Cached) {
    return Finish(
        {.Source = source.Name, .Status = source.Name + ": cannot be fetched (" + failure + ")"});
  }
  ReadAside(
      [format = source.Format, files = CachedFiles(FCacheFolder, source, run.Cached->Pages)] {
        return ReadPages(format, files);
      },
      [this, failure](TRead read) {
        const TCatalogueSource& source = Current();
        TCatalogueLoad load{.Source = source.Name};
        if (read.Catalogue) {
          load.Catalogue = std::move(*read.Catalogue);
          load.Loaded = true;
          load.Status = source.Name + ": cannot be fetched (" + failure +
                        "); using the cached copy from " +
                        FormatAge(FNow() - FRun->Cached->Fetched) + " ago";
        } else {
          load.Status = source.Name + ": cannot be fetched (" + failure +
                        "; the cached copy is refused too: " + read.Error + ")";
        }
        Finish(std::move(load));
      });
}

void TCatalogueLoader::Finish(TCatalogueLoad load) {
  if (Current().Format == TCatalogueFormat::AddonList)
    ResolveAddonAddresses(load.Catalogue, Current().Location);
  FRun->Loads.push_back(std::move(load));
  ++FRun->Index;
  Next();
}

}  // namespace fx
