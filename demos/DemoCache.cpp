#include "demos/DemoCache.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/RegularFile.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "fraxinel demo cache 1\n";
// Counts beyond these are damage, not demos.
constexpr std::uint32_t kMostItems = 4096;
constexpr std::uint32_t kLongestText = 1 << 20;

std::string Key(const TDemoPlace& place) {
  std::string key = place.File.string();
  key += '\0';
  key += place.Entry;
  key += '\0';
  key += std::to_string(place.Offset) + ':' + std::to_string(place.Size) + ':' +
         std::to_string(place.Modified);
  return key;
}

class TWriter {
 public:
  void Number(std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
      FBytes.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  }
  void Real(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Number(bits);
  }
  void Text(std::string_view text) {
    Number(text.size());
    FBytes += text;
  }
  void Info(const TDemoInfo& info) {
    Number(static_cast<std::uint64_t>(info.Format));
    Number(info.IsDemo ? 1 : 0);
    Number(static_cast<std::uint32_t>(info.Protocol));
    Number(info.ProtocolFlags);
    Number(static_cast<std::uint32_t>(info.MaxClients));
    Number(static_cast<std::uint64_t>(info.GameKind));
    Text(info.GameDir);
    Number(info.Levels.size());
    for (const TDemoLevel& level : info.Levels) {
      Text(level.Map);
      Text(level.Title);
      Real(level.Seconds);
    }
    Number(info.Players.size());
    for (const std::string& player : info.Players)
      Text(player);
    Real(info.Seconds);
    Text(info.Problem);
  }
  std::string FBytes;
};

class TReader {
 public:
  explicit TReader(std::string_view bytes) : FBytes(bytes) {}
  bool AtEnd() const { return FAt == FBytes.size(); }
  bool Number(std::uint64_t& value) {
    if (FBytes.size() - FAt < 8) return false;
    value = 0;
    for (int i = 7; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(FBytes[FAt + static_cast<std::size_t>(i)]);
    FAt += 8;
    return true;
  }
  bool Small(std::uint64_t& value, std::uint64_t most) { return Number(value) && value <= most; }
  bool Real(double& value) {
    std::uint64_t bits = 0;
    if (!Number(bits)) return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
  }
  bool Text(std::string& text) {
    std::uint64_t size = 0;
    if (!Small(size, kLongestText) || FBytes.size() - FAt < size) return false;
    text.assign(FBytes.substr(FAt, size));
    FAt += size;
    return true;
  }
  bool Info(TDemoInfo& info) {
    std::uint64_t format = 0, isDemo = 0, protocol = 0, flags = 0, clients = 0, kind = 0, count = 0;
    if (!Small(format, 2) || !Small(isDemo, 1) || !Small(protocol, 0xffffffffu) ||
        !Small(flags, 0xffffffffu) || !Small(clients, 255) || !Small(kind, 3) ||
        !Text(info.GameDir) || !Small(count, kMostItems))
      return false;
    info.Format = static_cast<TDemoFormat>(format);
    info.IsDemo = isDemo != 0;
    info.Protocol = static_cast<std::int32_t>(static_cast<std::uint32_t>(protocol));
    info.ProtocolFlags = static_cast<std::uint32_t>(flags);
    info.MaxClients = static_cast<int>(clients);
    info.GameKind = static_cast<TGameKind>(kind);
    info.Levels.resize(count);
    for (TDemoLevel& level : info.Levels)
      if (!Text(level.Map) || !Text(level.Title) || !Real(level.Seconds)) return false;
    if (!Small(count, kMostItems)) return false;
    info.Players.resize(count);
    for (std::string& player : info.Players)
      if (!Text(player)) return false;
    return Real(info.Seconds) && Text(info.Problem);
  }

 private:
  std::string_view FBytes;
  std::size_t FAt = 0;
};

}  // namespace

constexpr std::size_t kMaxCacheBytes = 64u << 20;

void TDemoCache::Load(const fs::path& file) {
  FEntries.clear();
  std::string bytes;
  try {
    // What was read of some thousand demos; a larger file is no cache of ours.
    bytes = ReadRegularFile(file, kMaxCacheBytes + 1);
  } catch (const EFileOpenError&) {
    return;  // none yet: start empty
  }
  if (bytes.size() > kMaxCacheBytes || !std::string_view(bytes).starts_with(kMagic)) return;
  TReader reader(std::string_view(bytes).substr(kMagic.size()));
  std::unordered_map<std::string, TEntry> entries;
  while (!reader.AtEnd()) {
    std::string key;
    TDemoInfo info;
    if (!reader.Text(key) || !reader.Info(info)) return;  // damaged: start empty
    entries[key] = {std::move(info), false};
  }
  FEntries = std::move(entries);
}

bool TDemoCache::Save(const fs::path& file) const {
  TWriter writer;
  writer.FBytes = kMagic;
  for (const auto& [key, entry] : FEntries) {
    if (!entry.Used) continue;
    writer.Text(key);
    writer.Info(entry.Info);
  }
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  const fs::path temporary = file.string() + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(writer.FBytes.data(), static_cast<std::streamsize>(writer.FBytes.size()));
    if (!out.flush()) {
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, file, error);
  if (!error) return true;
  fs::remove(temporary, error);
  return false;
}

std::optional<TDemoInfo> TDemoCache::Find(const TDemoPlace& place) {
  const auto found = FEntries.find(Key(place));
  if (found == FEntries.end()) return std::nullopt;
  found->second.Used = true;
  return found->second.Info;
}

void TDemoCache::Put(const TDemoPlace& place, const TDemoInfo& info) {
  FEntries[Key(place)] = {info, true};
}

fs::path DemoCacheFile(const char* xdgCacheHome, const fs::path& home) {
  const fs::path base = xdgCacheHome && fs::path(xdgCacheHome).is_absolute()
                            ? fs::path(xdgCacheHome)
                            : home / ".cache";
  return base / "fraxinel" / "demos.cache";
}

}  // namespace fx
