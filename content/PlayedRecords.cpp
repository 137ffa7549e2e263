#include "content/PlayedRecords.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "content/ContentText.h"

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
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (auto entry = ParseLine(line)) records.FPlayed[entry->first] = entry->second;
  }
  return records;
}

void TPlayedRecords::Save(const std::filesystem::path& file) const {
  std::filesystem::create_directories(file.parent_path());
  const std::filesystem::path temporary = file.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    for (const auto& [id, played] : FPlayed)
      out << id << '\t' << played.LastPlayed << '\t' << played.Times << '\n';
    out.flush();
    if (!out) throw std::runtime_error("cannot write '" + temporary.string() + "'");
  }
  std::filesystem::rename(temporary, file);
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
