#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FormatSettings.h"

namespace fx {

class TPackFile;

// The single row an empty map list shows.
inline constexpr std::string_view kNoMapsText = "No Maps found...";

// One map of a source as the browser lists it.
struct TMapRow {
  std::string Caption;   // the file name without folder and extension, upper case
  std::string SizeText;  // FormatKB of Size
  std::string Title;     // TranslateTitle of the map's title
  std::string FileName;  // the file name with its extension: what the row's icon shows
  std::int64_t Size = 0;

  bool operator==(const TMapRow&) const = default;
};

// A source text names a PACK archive when it ends in ".pak" (any case); anything else is a
// folder.
bool IsPackSource(std::string_view source);

// The folder a source's documents lie in: the folder itself, or the one holding the archive.
std::filesystem::path SourceFolder(std::string_view source);

// What the browser hands back for a row: the caption, followed by ": " and the title unless
// the title is empty or "(Untitled)" (ignoring case).
std::string ChosenMapText(const TMapRow& row);

// The extensions a map's document may have, in the order they are tried.
inline constexpr std::string_view kDocExtensionsCheck[] = {".txt", ".doc"};
inline constexpr std::string_view kDocExtensionsOpen[] = {".TXT", ".DOC"};

// The map's document beside the source: caption + extension in SourceFolder(source), the
// first extension that exists, found whatever the case of the name on disk.
std::optional<std::filesystem::path> FindMapDocument(std::string_view source,
                                                     std::string_view caption,
                                                     std::span<const std::string_view> extensions);

// Sources the main window offers for a game folder and the patch box's text: "id1\maps"
// below the game folder and id1's "*.pak" files (a stock install keeps its maps there), then
// with a patch (neither empty nor "(None)") every "*.pak" file directly in the patch folder
// and the patch's "maps" folder when it exists, then the same of the re-release's mission
// pack folders ("hipnotic", "rogue") where they exist. The browser starts on the first that
// holds maps, looking at the patch's maps folder, its archives, id1's sources and the
// mission packs' in turn; where none does, on the patch's "maps" folder or "id1\maps".
struct TMapSources {
  std::vector<std::string> Items;
  std::string Initial;
};
TMapSources MapBrowserSources(const std::string& gameFolder, const std::string& patchText);
// Whether a folder or archive holds a map the browser would list (archives: directory only).
bool SourceHoldsMaps(std::string_view source);

// Reads the rows of a source a few maps at a time, so a caller can show progress, stay
// responsive and stop early; it needs no window and may run on any one thread at a time.
// Rows come in the source's own order (archive directory order; folder names sorted).
class TMapRowReader {
 public:
  // Opens the archive (its errors, EFOpenError among them, pass to the caller) or lists
  // the folder (a missing or unreadable folder has no maps).
  explicit TMapRowReader(std::string_view source, TFormatSettings format = FormatSettings());
  ~TMapRowReader();
  TMapRowReader(const TMapRowReader&) = delete;
  TMapRowReader& operator=(const TMapRowReader&) = delete;

  // Candidates (archive entries matching "maps*.bsp", "*.bsp" files of the folder), of
  // which Position() have been read; a candidate may yield no row.
  std::size_t Total() const;
  std::size_t Position() const { return FPosition; }
  bool Done() const { return FPosition >= Total(); }

  // Reads up to `count` further candidates and returns their rows.
  std::vector<TMapRow> Next(std::size_t count);

 private:
  std::optional<TMapRow> ReadPackEntry(std::size_t index);
  std::optional<TMapRow> ReadFolderFile(std::size_t index) const;
  TMapRow MakeRow(std::string fileName, std::int64_t size, std::string title) const;

  TFormatSettings FFormat;
  std::unique_ptr<TPackFile> FPack;
  std::vector<std::filesystem::path> FFiles;
  std::size_t FPosition = 0;
};

// Rows by caption (byte order: captions are upper case); equal captions keep their order.
void SortMapRows(std::vector<TMapRow>& rows);
// The permutation that SortMapRows applies: result[k] is the index of the k-th sorted row.
std::vector<std::size_t> SortedMapRowOrder(const std::vector<TMapRow>& rows);

// Runs a reader to its end, handing each batch of rows to `deliver` together with the
// reader's position and total, until `cancel` turns true. Returns whether it ran to the end.
// Made for a worker thread: it touches nothing but the reader and the callback.
bool ReadMapRowsInBatches(TMapRowReader& reader, std::size_t batchSize,
                          const std::atomic<bool>& cancel,
                          const std::function<void(std::vector<TMapRow>, std::size_t position,
                                                   std::size_t total)>& deliver);

// All rows of a source at once, sorted by caption: what the browser ends up showing.
std::vector<TMapRow> ReadMapRows(std::string_view source,
                                 TFormatSettings format = FormatSettings());

}  // namespace fx
