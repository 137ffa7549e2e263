#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace fx {

namespace {

bool IsRegular(const struct stat& info) {
  return S_ISREG(info.st_mode);
}

}  // namespace

EFileOpenError::EFileOpenError(const std::filesystem::path& file, int error)
    : std::runtime_error("Cannot open \"" + file.string() + "\": " +
                         (error == 0 ? std::string("it is not a regular file (a pipe, device, "
                                                   "socket or folder)")
                                     : std::string(std::strerror(error)))),
      FFile(file),
      FError(error) {}

std::string EFileOpenError::Reason() const {
  if (FError == 0) return "it is not a regular file (a pipe, device, socket or folder)";
  return std::strerror(FError);
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    FFd = other.Release();
  }
  return *this;
}

TFileHandle::~TFileHandle() {
  Close();
}

int TFileHandle::Close() {
  if (FFd < 0) return 0;
  const int rc = ::close(std::exchange(FFd, -1));
  return rc == 0 ? 0 : errno;
}

TFileHandle OpenRegularFileAt(int folder, const std::filesystem::path& name, int flags,
                              mode_t mode) {
  // Refused before the open: opening a device may have effects of its own (a tape rewinds).
  struct stat before {};
  if (::fstatat(folder, name.c_str(), &before, 0) == 0 && !IsRegular(before))
    throw EFileOpenError(name, 0);
  // O_NONBLOCK makes the open of a FIFO return at once (ENXIO for writing without a reader);
  // regular files ignore it.
  TFileHandle handle(
      ::openat(folder, name.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode));
  if (handle.Get() < 0) {
    const int error = errno;
    throw EFileOpenError(name, error == ENXIO || error == EISDIR ? 0 : error);
  }
  struct stat after {};
  if (::fstat(handle.Get(), &after) != 0) throw EFileOpenError(name, errno);
  if (!IsRegular(after)) throw EFileOpenError(name, 0);
  if ((flags & O_NONBLOCK) == 0)
    ::fcntl(handle.Get(), F_SETFL, ::fcntl(handle.Get(), F_GETFL) & ~O_NONBLOCK);
  return handle;
}

std::string ReadRegularFile(const std::filesystem::path& file, std::size_t limit) {
  const TFileHandle handle = OpenRegularFile(file, O_RDONLY);
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < limit) {
    const std::size_t wanted = std::min(sizeof buffer, limit - bytes.size());
    const ssize_t n = ::read(handle.Get(), buffer, wanted);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EFileOpenError(file, errno);
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

int WriteAllTo(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

void WriteRegularFile(const std::filesystem::path& file, std::string_view bytes, mode_t mode) {
  TFileHandle handle = OpenRegularFile(file, O_WRONLY | O_CREAT | O_TRUNC, mode);
  if (const int error = WriteAllTo(handle.Get(), bytes)) throw EFileOpenError(file, error);
  if (const int error = handle.Close()) throw EFileOpenError(file, error);
}

}  // namespace fx
