#include "platform/PackDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "platform/PackLayout.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

namespace fs = std::filesystem;
namespace pak = layout::pak;

// Records are read in chunks, so a damaged header's length never decides how much memory
// is taken.
constexpr std::int64_t kRecordsPerChunk = 1024;

char FoldSeparatorAndCase(char c) {
  if (c == '\\') return '/';
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameStoredName(std::string_view a, std::string_view b) {
  return std::ranges::equal(
      a, b, [](char x, char y) { return FoldSeparatorAndCase(x) == FoldSeparatorAndCase(y); });
}

class TFile {
 public:
  // Without waiting: opening a FIFO for reading would otherwise block until a writer came,
  // and the edition test runs at start-up: anything but a regular file stays unopened.
  explicit TFile(const fs::path& path) {
    try {
      FHandle = OpenRegularFile(path, O_RDONLY);
    } catch (const EFileOpenError&) {
      // Not open: the archive is not read.
    }
  }

  bool Open() const { return FHandle.Get() >= 0; }
  std::int64_t Size() const {
    struct stat info {};
    return ::fstat(FHandle.Get(), &info) == 0 ? info.st_size : -1;
  }
  // Reads up to `length` bytes at `offset`; what was read.
  std::int64_t ReadAt(unsigned char* into, std::int64_t length, std::int64_t offset) const {
    std::int64_t done = 0;
    while (done < length) {
      const ssize_t got =
          ::pread(FHandle.Get(), into + done, static_cast<std::size_t>(length - done),
                  static_cast<off_t>(offset + done));
      if (got <= 0) break;
      done += got;
    }
    return done;
  }

 private:
  TFileHandle FHandle;
};

bool HasPackExtension(std::string_view name) {
  return name.size() > 4 && SameStoredName(name.substr(name.size() - 4), ".pak");
}

}  // namespace

std::vector<std::string> PackEntryNames(const fs::path& pack) {
  std::vector<std::string> names;
  const TFile file(pack);
  if (!file.Open()) return names;
  const std::int64_t size = file.Size();
  std::array<unsigned char, pak::kHeaderSize> header{};
  if (size < pak::kHeaderSize ||
      file.ReadAt(header.data(), pak::kHeaderSize, 0) != pak::kHeaderSize)
    return names;
  const std::int64_t dirOffset = layout::ReadLE32(header.data(), pak::kDirOffsetAt);
  const std::int64_t dirLength = layout::ReadLE32(header.data(), pak::kDirLengthAt);
  if (dirOffset < 0 || dirOffset > size || dirLength < pak::kRecordSize) return names;
  std::int64_t records = std::min(dirLength, size - dirOffset) / pak::kRecordSize;
  std::int64_t at = dirOffset;
  std::vector<unsigned char> chunk;
  while (records > 0) {
    const std::int64_t wanted = std::min(records, kRecordsPerChunk);
    chunk.resize(static_cast<std::size_t>(wanted * pak::kRecordSize));
    const std::int64_t got =
        file.ReadAt(chunk.data(), wanted * pak::kRecordSize, at) / pak::kRecordSize;
    for (std::int64_t i = 0; i < got; ++i) {
      const auto* name = reinterpret_cast<const char*>(chunk.data() + i * pak::kRecordSize);
      names.emplace_back(name, std::find(name, name + pak::kNameSize, '\0'));
    }
    if (got < wanted) break;
    records -= got;
    at += got * pak::kRecordSize;
  }
  return names;
}

bool PackHoldsName(const fs::path& pack, std::string_view name) {
  const std::vector<std::string> names = PackEntryNames(pack);
  return std::ranges::any_of(
      names, [name](const std::string& stored) { return SameStoredName(stored, name); });
}

std::vector<fs::path> PackFilesIn(const fs::path& folder) {
  std::vector<fs::path> packs;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code typeError;
    if (HasPackExtension(it->path().filename().string()) && it->is_regular_file(typeError))
      packs.push_back(it->path());
  }
  std::sort(packs.begin(), packs.end());
  return packs;
}

}  // namespace fx
