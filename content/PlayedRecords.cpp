#include "content/PlayedRecords.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "content/ContentText.h"
#include "installer/PackageStore.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

std::optional<std::pair<std::string, TPlayed>> ParseLine(std::string_view line) {
  const std::size_t tab1 = line.find('\t');
  const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
  if (tab2 == std::string_view::npos) return std::nullopt;
  const std::string_view id = line.substr(0, tab1);
  const auto when = ParseUnsigned(line.substr(tab1 + 1, tab2 - tab1 - 1));
  const auto times = ParseUnsigned(line.substr(tab2 + 1));
  if (!IsSafeName(id) || !when || !times || *when > (1ull << 40) || *times > 1u << 30)
    return std::nullopt;
  return std::pair{std::string(id),
                   TPlayed{static_cast<std::int64_t>(*when), static_cast<unsigned>(*times)}};
}

}  // namespace

TPlayedRecords TPlayedRecords::Load(const std::filesystem::path& file) {
  TPlayedRecords records;
  std::string text;
  try {
    // A line a package: thousands of packages take a few hundred kilobytes.
    text = ReadRegularFile(file, 16u << 20);
  } catch (const EFileOpenError&) {
    return records;  // none played yet, or no file to read
  }
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (auto entry = ParseLine(line)) records.FPlayed[entry->first] = entry->second;
  }
  return records;
}

void TPlayedRecords::Save(const std::filesystem::path& file) const {
  std::string text;
  for (const auto& [id, played] : FPlayed)
    text +=
        id + '\t' + std::to_string(played.LastPlayed) + '\t' + std::to_string(played.Times) + '\n';
  WriteFileAtomically(file, text);
}

void TPlayedRecords::NotePlayed(std::string_view id, std::int64_t when) {
  if (!IsSafeName(id)) return;  // such a package cannot be played either
  auto found = FPlayed.find(id);
  if (found == FPlayed.end()) found = FPlayed.emplace(std::string(id), TPlayed{}).first;
  found->second.LastPlayed = when;
  ++found->second.Times;
}

std::optional<TPlayed> TPlayedRecords::Find(std::string_view id) const {
  const auto found = FPlayed.find(id);
  if (found == FPlayed.end()) return std::nullopt;
  return found->second;
}

}  // namespace fx
