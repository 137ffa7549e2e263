#include "bench/MapCorpus.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace fx::bench {

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kHeaderSize = 124;

std::string LE32(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

std::int32_t FromLE32(const unsigned char* p) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

// Titles as maps carry them: plain, with doubled quotes and backslashes, with the game's
// coloured characters, none at all.
std::string Title(int index) {
  const std::string n = std::to_string(index);
  switch (index % 8) {
    case 1:
      return "The \"\"Grisly\"\" Grotto " + n;
    case 2:
      return "\x90\xC3\xE1\xF3\xF4\xEC\xE5\x91 of the Dead " + n + " \x92\x93";
    case 3:
      return "Path\\\\to\\ the Slipgate " + n;
    case 4:
      return "";
    default:
      return "Benchmark map number " + n;
  }
}

// The entities behind the worldspawn: the same long text for every map, cut at an entity
// boundary to each map's size.
const std::string& OtherEntities() {
  static const std::string text = [] {
    std::mt19937 random(977);
    std::uniform_int_distribution<int> coord(-4096, 4096);
    std::string entities;
    while (entities.size() < kMaxLump + 4096) {
      entities += "{\n\"classname\" \"light\"\n\"origin\" \"" + std::to_string(coord(random)) +
                  " " + std::to_string(coord(random)) + " " + std::to_string(coord(random)) +
                  "\"\n\"light\" \"300\"\n\"_color\" \"1 0.9 0.8\"\n}\n";
    }
    return entities;
  }();
  return text;
}

std::string MapFile(int index, std::mt19937& random) {
  std::string lump = "{\n\"classname\" \"worldspawn\"\n\"wad\" \"gfx/base.wad\"\n";
  if (index % 8 != 4) lump += "\"message\" \"" + Title(index) + "\"\n";
  lump += "\"sounds\" \"" + std::to_string(index % 11) +
          "\"\n\"worldtype\" \"2\"\n\"_sunlight\" \"200\"\n}\n";
  const std::size_t target = std::uniform_int_distribution<std::size_t>(kMinLump, kMaxLump)(random);
  const std::string& others = OtherEntities();
  const std::size_t cut = others.rfind("}\n", target - lump.size()) + 2;
  lump.append(others, 0, cut);
  lump += '\0';
  const auto length = static_cast<std::int32_t>(lump.size());
  std::string file = LE32(29) + LE32(kHeaderSize) + LE32(length);
  for (int i = 1; i < 15; ++i)
    file += LE32(kHeaderSize + length) + LE32(0);
  return file + lump;
}

void Write(std::ofstream& out, const std::string& bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

void WriteMapFolder(const fs::path& folder, int count, std::string_view prefix, unsigned seed) {
  fs::create_directories(folder);
  std::mt19937 random(seed);
  for (int i = 0; i < count; ++i) {
    std::ofstream out(folder / (std::string(prefix) + std::to_string(i) + ".bsp"),
                      std::ios::binary);
    Write(out, MapFile(i, random));
  }
}

void WriteMapPack(const fs::path& pak, int count, std::string_view prefix, unsigned seed) {
  fs::create_directories(pak.parent_path());
  std::ofstream out(pak, std::ios::binary);
  Write(out, std::string(12, '\0'));
  std::mt19937 random(seed);
  std::string directory;
  std::int64_t position = 12;
  for (int i = 0; i < count; ++i) {
    const std::string map = MapFile(i, random);
    Write(out, map);
    std::string record = "maps/" + std::string(prefix) + std::to_string(i) + ".bsp";
    record.resize(56, '\0');
    directory += record + LE32(static_cast<std::int32_t>(position)) +
                 LE32(static_cast<std::int32_t>(map.size()));
    position += static_cast<std::int64_t>(map.size());
  }
  Write(out, directory);
  out.seekp(0);
  Write(out, "PACK" + LE32(static_cast<std::int32_t>(position)) +
                 LE32(static_cast<std::int32_t>(directory.size())));
}

TTempFolder::TTempFolder(std::string_view name)
    : FPath(fs::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()))) {
  fs::create_directories(FPath);
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  fs::remove_all(FPath, ignored);
}

void ReadHeaderAndLumpStart(int handle, std::int64_t start, char* lumpBuffer) {
  std::array<unsigned char, kHeaderSize> header{};
  if (::pread(handle, header.data(), header.size(), static_cast<off_t>(start)) != kHeaderSize)
    throw std::runtime_error("short map header");
  const std::int64_t lump = start + FromLE32(header.data() + 4);
  if (::pread(handle, lumpBuffer, kFloorLumpBytes, static_cast<off_t>(lump)) < 0)
    throw std::runtime_error("entity lump unreadable");
}

void ReadFloorOfFile(const fs::path& map, char* lumpBuffer) {
  const int handle = ::open(map.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle < 0) throw std::runtime_error("cannot open " + map.string());
  ReadHeaderAndLumpStart(handle, 0, lumpBuffer);
  ::close(handle);
}

}  // namespace fx::bench
