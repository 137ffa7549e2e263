#include "gamedata/Stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fx {

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::Current);
  const std::int64_t size = Seek(0, TSeekOrigin::End);
  Seek(position, TSeekOrigin::Beginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

namespace {

int Whence(TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::Beginning:
      return SEEK_SET;
    case TSeekOrigin::Current:
      return SEEK_CUR;
    case TSeekOrigin::End:
      return SEEK_END;
  }
  return SEEK_SET;
}

}  // namespace

TFileStream::TFileStream(const std::filesystem::path& fileName, TMode mode)
    : FFileName(fileName.string()) {
  const int flags =
      mode == TMode::Create ? O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
  FHandle = ::open(FFileName.c_str(), flags, 0666);
  if (FHandle < 0) {
    const char* verb = mode == TMode::Create ? "create" : "open";
    throw EFOpenError("Cannot " + std::string(verb) + " file \"" + FFileName + "\". " +
                      std::strerror(errno));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(FHandle, out + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EReadError("Stream read error: " + FFileName + ": " + std::strerror(errno));
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(FHandle, in + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EStreamError("Stream write error: " + FFileName);
    done += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const off_t result = ::lseek(FHandle, static_cast<off_t>(offset), Whence(origin));
  if (result < 0) throw EStreamError("Stream seek error: " + FFileName);
  return result;
}

std::int64_t TFileStream::Size() {
  struct stat info {};
  if (::fstat(FHandle, &info) != 0) return TStream::Size();
  return info.st_size;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(FBytes.size());
  if (count <= 0 || FPosition >= size) return 0;
  const std::int64_t n = std::min(count, size - FPosition);
  std::memcpy(buffer, FBytes.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<size_t>(FPosition + count);
  if (end > FBytes.size()) FBytes.resize(end);
  std::memcpy(FBytes.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = FPosition;
  if (origin == TSeekOrigin::End) base = static_cast<std::int64_t>(FBytes.size());
  const std::int64_t target = base + offset;
  if (target < 0) throw EStreamError("Stream seek error: before the start");
  FPosition = target;
  return FPosition;
}

}  // namespace fx
