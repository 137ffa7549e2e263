// Prints the title of every map it is given, one line each, escaped byte for byte, so that
// two builds can be compared on the same files:
//
//   fx_titledump --corpus DIR   writes the benchmarks' corpus (DIR/maps, DIR/pak0.pak),
//                               and DIR/late: maps whose worldspawn comes after up to
//                               150 KB of other entities, some behind very long lines
//   fx_titledump --listing GAME PATCH   the launch's map listing (fx_maps.cfg) of a game
//                               folder and patch, line by line
//   fx_titledump PATH...        a folder (every *.bsp below it, any case), or an archive
//                               (every entry: a non-map reads as a damaged map; an
//                               entity file, *.ent, is also read as a map around it)
//
// Uses only the title reader's own interface, so it builds against any version of it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/MapCorpus.h"
#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"
#include "gamedata/Stream.h"
#include "launcher/MapListing.h"

namespace {

namespace fs = std::filesystem;

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u >= 127 || c == '\\') {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", u);
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

bool EndsWithIgnoringCase(std::string name, const std::string& ending) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name.size() >= ending.size() && name.ends_with(ending);
}

std::string LE32(std::uint32_t u) {
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

// An entity file as the entity lump of a map file.
std::string MapAround(const std::string& entities) {
  std::string map = LE32(29) + LE32(124) + LE32(static_cast<std::uint32_t>(entities.size() + 1));
  map.resize(124, '\0');
  return map + entities + '\0';
}

void DumpEntityFile(fx::TPackFile& pack, const fx::TLibEntry& entry) {
  std::string bytes(static_cast<std::size_t>(std::max(entry.FileLen(), 0)), '\0');
  const auto window = pack.OpenEntry(entry);
  bytes.resize(static_cast<std::size_t>(window->Read(bytes.data(), entry.FileLen())));
  fx::TMemoryStream map(MapAround(bytes));
  std::printf("  as a map\t%s\n", Escaped(fx::ReadMapTitle(map)).c_str());
}

void DumpPack(const fs::path& pak) {
  try {
    fx::TPackFile pack(pak, "*");
    for (const fx::TLibEntry& entry : pack.Entries()) {
      const std::string title = fx::ReadMapTitle(*pack.OpenEntry(entry));
      std::printf("%s:%s\t%s\n", pak.c_str(), entry.Name().c_str(), Escaped(title).c_str());
      if (EndsWithIgnoringCase(entry.Name(), ".ent")) DumpEntityFile(pack, entry);
    }
  } catch (const std::exception& e) {
    std::printf("%s\tcannot open: %s\n", pak.c_str(), e.what());
  }
}

void DumpFolder(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    if (!item.is_regular_file()) continue;
    const std::string name = item.path().filename().string();
    if (EndsWithIgnoringCase(name, ".bsp") || EndsWithIgnoringCase(name, ".pak"))
      files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    if (EndsWithIgnoringCase(file.filename().string(), ".pak")) {
      DumpPack(file);
      continue;
    }
    const std::string title = fx::ReadMapTitleFromFile(file);
    std::printf("%s\t%s\t%s\n", file.c_str(), Escaped(title).c_str(),
                Escaped(fx::TranslateTitle(title)).c_str());
  }
}

// The worldspawn late in the lump, so that the title is found after many refills; every
// tenth map has a long line before it (30,000 bytes, or 50,000: too long to be read).
void WriteLateMaps(const fs::path& folder) {
  fs::create_directories(folder);
  std::mt19937 random(4711);
  for (int i = 0; i < 500; ++i) {
    std::string lump;
    const std::size_t before = std::uniform_int_distribution<std::size_t>(0, 150000)(random);
    while (lump.size() < before)
      lump += "{\r\n\"classname\" \"light\"\r\n\"origin\" \"" + std::to_string(random() % 4096) +
              " 0 0\"\n}\n";
    if (i % 10 == 0) {
      const std::size_t length = i % 20 == 0 ? 30000 : 50000;
      lump += "{ \"note\" \"" + std::string(length, 'n') + "\" }\n";
    }
    lump += "{\n\"classname\" \"worldspawn\"\n\"message\" \"Late " + std::to_string(i) + "\"\n}\n";
    std::ofstream(folder / ("late" + std::to_string(i) + ".bsp"), std::ios::binary)
        << MapAround(lump);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--corpus") {
    const fs::path root = argv[2];
    fx::bench::WriteMapFolder(root / "maps", fx::bench::kCorpusMaps, "map", 20240601);
    fx::bench::WriteMapPack(root / "pak0.pak", fx::bench::kCorpusMaps, "pak", 20240602);
    WriteLateMaps(root / "late");
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "--listing") {
    for (const std::string& line : fx::BuildMapListing(argv[2], argv[3], false, "9.12.2026"))
      std::printf("%s\n", Escaped(line).c_str());
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    const fs::path path = argv[i];
    if (fs::is_directory(path))
      DumpFolder(path);
    else
      DumpPack(path);
  }
  return 0;
}
