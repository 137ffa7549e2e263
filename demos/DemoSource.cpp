#include "demos/DemoSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace fx {

std::size_t TMemoryDemoSource::Read(char* into, std::size_t length) {
  const std::size_t count = std::min(length, FBytes.size() - FAt);
  // Never with a null pointer: an empty view may have no data at all.
  if (count > 0) std::memcpy(into, FBytes.data() + FAt, count);
  FAt += count;
  return count;
}

TFileDemoSource::TFileDemoSource(const std::filesystem::path& file, std::int64_t offset,
                                 std::int64_t length)
    : FHandle(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
  struct stat info {};
  if (FHandle >= 0 && (::fstat(FHandle, &info) != 0 || !S_ISREG(info.st_mode))) {
    ::close(FHandle);
    FHandle = -1;
  }
  if (FHandle < 0) return;
  // An entry that claims more than the file holds ends where the file does.
  FAt = std::clamp<std::int64_t>(offset, 0, info.st_size);
  FEnd = length < 0 ? info.st_size : std::min<std::int64_t>(info.st_size, FAt + length);
}

TFileDemoSource::~TFileDemoSource() {
  if (FHandle >= 0) ::close(FHandle);
}

std::size_t TFileDemoSource::Read(char* into, std::size_t length) {
  std::size_t done = 0;
  while (FHandle >= 0 && done < length && FAt < FEnd) {
    const auto wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(length - done), FEnd - FAt));
    const ssize_t got = ::pread(FHandle, into + done, wanted, static_cast<off_t>(FAt));
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
    FAt += got;
  }
  return done;
}

}  // namespace fx
