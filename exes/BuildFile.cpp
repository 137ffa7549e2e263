#include "exes/BuildFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

namespace fx {

namespace {

// Engines are a few megabytes; a larger "program" is not read through.
constexpr std::size_t kProgramLimit = 256u << 20;
constexpr std::size_t kChunk = 1u << 20;
constexpr std::string_view kElfMagic =
    "\x7f"
    "ELF";

class TFd {
 public:
  explicit TFd(int fd) : FFd(fd) {}
  TFd(TFd&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  TFd& operator=(TFd&&) = delete;
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  int Get() const { return FFd; }

 private:
  int FFd;
};

// A regular file opened for reading without blocking (O_NONBLOCK: a FIFO's open returns at
// once), and its size; nothing for anything else.
std::optional<std::pair<TFd, std::size_t>> OpenRegular(const std::filesystem::path& file) {
  TFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return std::pair<TFd, std::size_t>(std::move(fd), static_cast<std::size_t>(info.st_size));
}

// Reads up to `size` bytes at the file's position; fewer at its end.
std::size_t ReadSome(int fd, char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, data + done, size - done);
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file, std::size_t limit) {
  auto opened = OpenRegular(file);
  if (!opened || opened->second > limit) return std::nullopt;
  std::string text(opened->second, '\0');
  text.resize(ReadSome(opened->first.Get(), text.data(), text.size()));
  return text;
}

namespace {

// The command preview asks at every change of the window's controls; a program file read
// once is not read again until it changes (another file, size or time of change).
using TProbeKey = std::tuple<dev_t, ino_t, off_t, long, long, std::string>;
constexpr std::size_t kProbesKept = 32;

std::mutex& ProbeLock() {
  static std::mutex lock;
  return lock;
}
std::map<TProbeKey, std::vector<bool>>& Probes() {
  static std::map<TProbeKey, std::vector<bool>> probes;
  return probes;
}

std::optional<std::vector<bool>> Scan(int fd, std::span<const std::string_view> needles);

}  // namespace

std::optional<std::vector<bool>> ProgramHolds(const std::filesystem::path& program,
                                              std::span<const std::string_view> needles) {
  auto opened = OpenRegular(program);
  if (!opened || opened->second > kProgramLimit) return std::nullopt;
  struct stat info {};
  if (::fstat(opened->first.Get(), &info) != 0) return std::nullopt;
  std::string joined;
  for (const std::string_view needle : needles)
    joined.append(needle).append(1, '\n');
  const TProbeKey key{info.st_dev,         info.st_ino,          info.st_size,
                      info.st_mtim.tv_sec, info.st_mtim.tv_nsec, joined};
  {
    const std::lock_guard guard(ProbeLock());
    if (const auto found = Probes().find(key); found != Probes().end()) return found->second;
  }
  auto holds = Scan(opened->first.Get(), needles);
  if (holds) {
    const std::lock_guard guard(ProbeLock());
    if (Probes().size() >= kProbesKept) Probes().clear();
    Probes().emplace(key, *holds);
  }
  return holds;
}

namespace {

std::optional<std::vector<bool>> Scan(int fd, std::span<const std::string_view> needles) {
  std::size_t longest = kElfMagic.size();
  for (const std::string_view needle : needles)
    longest = std::max(longest, needle.size());
  std::vector<bool> found(needles.size(), false);
  // Each chunk is read after the tail of the one before, so a needle across the border
  // is seen too.
  std::string window;
  std::string chunk(kChunk, '\0');
  bool first = true;
  for (;;) {
    const std::size_t got = ReadSome(fd, chunk.data(), chunk.size());
    if (first && (got < kElfMagic.size() || std::string_view(chunk).substr(0, 4) != kElfMagic))
      return std::nullopt;
    first = false;
    if (got == 0) break;
    window.append(chunk, 0, got);
    for (std::size_t i = 0; i < needles.size(); ++i)
      if (!found[i] && !needles[i].empty())
        found[i] =
            ::memmem(window.data(), window.size(), needles[i].data(), needles[i].size()) != nullptr;
    if (got < chunk.size()) break;
    window.erase(0, window.size() - std::min(window.size(), longest - 1));
  }
  return found;
}

}  // namespace

}  // namespace fx
