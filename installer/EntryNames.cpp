#include "installer/EntryNames.h"

#include <sys/stat.h>

#include <array>
#include <cctype>

#include "gamedata/DocumentList.h"

namespace fx {

namespace {

constexpr std::size_t kMaxComponent = 255;  // NAME_MAX
constexpr std::size_t kMaxPath = 4096;      // PATH_MAX

TCheckedName Refused(std::string why) {
  return {"", std::move(why), false};
}

}  // namespace

TCheckedName CheckEntryName(std::string_view stored) {
  if (stored.empty()) return Refused("has an empty name");
  if (stored.size() > kMaxPath) return Refused("its name is longer than 4096 bytes");
  std::string name(stored);
  for (char& c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0) return Refused("its name holds a NUL byte");
    if (b < 0x20 || b == 0x7f) return Refused("its name holds a control character");
    if (c == '\\') c = '/';
  }
  if (name.front() == '/') return Refused("its name is an absolute path");
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
    return Refused("its name begins with a drive letter");
  TCheckedName out;
  out.Folder = name.back() == '/';
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string_view part = std::string_view(name).substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return Refused("its name climbs out of its folder with \"..\"");
    if (part.size() > kMaxComponent) return Refused("a part of its name is longer than 255 bytes");
    if (!out.Path.empty()) out.Path += '/';
    out.Path += part;
  }
  if (out.Path.empty()) return Refused("has an empty name");
  return out;
}

std::string RefusedFileType(std::uint32_t unixType) {
  switch (unixType & S_IFMT) {
    case S_IFLNK:
      return "a symbolic link, which is not installed";
    case S_IFCHR:
    case S_IFBLK:
      return "a device, which is not installed";
    case S_IFIFO:
      return "a FIFO, which is not installed";
    case S_IFSOCK:
      return "a socket, which is not installed";
    default:
      return "";
  }
}

bool IsEngineFolder(std::string_view name) {
  static constexpr std::array<std::string_view, 7> kFolders{"maps",  "progs",    "sound", "gfx",
                                                            "music", "textures", "env"};
  const std::string lower = LowerAscii(name);
  for (const std::string_view f : kFolders)
    if (lower == f) return true;
  return false;
}

bool IsDocumentName(std::string_view fileName) {
  for (const std::string_view mask : kDocumentPatterns)
    if (MatchesFileMask(fileName, mask)) return true;
  return false;
}

}  // namespace fx
