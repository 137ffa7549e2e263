#include "gamedata/Stream.h"

#include "platform/RegularFile.h"

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

// Opens a regular file only, through the program's one way of opening its files, which
// never waits on a pipe, device or socket named like a game file (a FIFO called "e1m1.bsp"
// would hang a map listing).
int OpenRegularFile(int folderHandle, const std::string& name, int flags, const char* verb) {
  try {
    return OpenRegularFileAt(folderHandle, name, flags, 0666).Release();
  } catch (const EFileOpenError& e) {
    throw EFOpenError("Cannot " + std::string(verb) + " file \"" + name + "\". " +
                      (e.NotRegular() ? std::string("It is not a regular file.")
                                      : std::string(std::strerror(e.Error()))));
  }
}

}  // namespace

TFileStream::TFileStream(const std::filesystem::path& fileName, TMode mode)
    : FFileName(fileName.string()) {
  FHandle = mode == TMode::Create
                ? OpenRegularFile(AT_FDCWD, FFileName, O_RDWR | O_CREAT | O_TRUNC, "create")
                : OpenRegularFile(AT_FDCWD, FFileName, O_RDONLY, "open");
}

TFileStream::TFileStream(int folderHandle, const std::string& name)
    : FHandle(OpenRegularFile(folderHandle, name, O_RDONLY, "open")), FFileName(name) {}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const auto wanted = static_cast<size_t>(count - done);
    const ssize_t n = ::pread(FHandle, out + done, wanted, static_cast<off_t>(FPosition));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EReadError("Stream read error: " + FFileName + ": " + std::strerror(errno));
    done += n;
    FPosition += n;
    // pread works on seekable files only, where a short count means the end
    // of the file: asking once more would only cost a call that returns 0.
    if (static_cast<size_t>(n) < wanted) break;
  }
  return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(FHandle, in + done, static_cast<size_t>(count - done),
                               static_cast<off_t>(FPosition));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EStreamError("Stream write error: " + FFileName);
    done += n;
    FPosition += n;
  }
  return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = FPosition;
  if (origin == TSeekOrigin::End) base = Size();
  const std::int64_t target = base + offset;
  if (target < 0) throw EStreamError("Stream seek error: " + FFileName);
  FPosition = target;
  return FPosition;
}

std::int64_t TFileStream::Size() {
  struct stat info {};
  if (::fstat(FHandle, &info) == 0) return info.st_size;
  // The descriptor's own offset is not used, so moving it to the end is harmless.
  const off_t end = ::lseek(FHandle, 0, SEEK_END);
  if (end < 0) throw EStreamError("Stream seek error: " + FFileName);
  return end;
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
