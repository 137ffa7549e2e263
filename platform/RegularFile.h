#pragma once

// Every file the program opens of its own (settings, scripts, game output, listings, the
// files it reads from game folders) is opened here. Only a regular file is ever opened, and
// the open never waits: a FIFO named like one of our files would block open() until a
// writer or reader came, and the event loop that handles our signals with it.

#include <cstddef>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/types.h>

namespace fx {

// A file that could not be opened: Error() is the errno of the failure, or 0 when the name
// exists but is a FIFO, device, socket or folder.
class EFileOpenError : public std::runtime_error {
 public:
  EFileOpenError(const std::filesystem::path& file, int error);

  const std::filesystem::path& File() const { return FFile; }
  int Error() const { return FError; }
  bool NotRegular() const { return FError == 0; }
  // Why, in words: "it is not a regular file (a pipe, device, socket or folder)" or
  // strerror's text.
  std::string Reason() const;

 private:
  std::filesystem::path FFile;
  int FError;
};

// An open descriptor, closed with the object.
class TFileHandle {
 public:
  TFileHandle() = default;
  explicit TFileHandle(int fd) : FFd(fd) {}
  TFileHandle(TFileHandle&& other) noexcept : FFd(other.Release()) {}
  TFileHandle& operator=(TFileHandle&& other) noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle();

  int Get() const { return FFd; }
  int Release() { return std::exchange(FFd, -1); }
  // 0, or the errno of a failed close (a write that did not reach the disk).
  int Close();

 private:
  int FFd = -1;
};

// Opens `name` below the open folder `folder` (AT_FDCWD: the working folder) with `flags`
// (O_CLOEXEC and O_NOCTTY are added; O_CREAT uses `mode`). Anything but a regular file is
// refused before the open, and again after it (the name may be swapped in between), which
// itself does not wait. Throws EFileOpenError.
TFileHandle OpenRegularFileAt(int folder, const std::filesystem::path& name, int flags,
                              mode_t mode = 0644);
inline TFileHandle OpenRegularFile(const std::filesystem::path& file, int flags,
                                   mode_t mode = 0644) {
  return OpenRegularFileAt(AT_FDCWD, file, flags, mode);
}

// The first `limit` bytes of a regular file (all of it by default). Throws EFileOpenError,
// also for a failed read.
std::string ReadRegularFile(const std::filesystem::path& file,
                            std::size_t limit = std::numeric_limits<std::size_t>::max());

// Creates or empties the file and writes `bytes`. Throws EFileOpenError, also for a failed
// write or close.
void WriteRegularFile(const std::filesystem::path& file, std::string_view bytes,
                      mode_t mode = 0644);

// All of `bytes` to `fd`, going on after EINTR and short writes; 0 or the errno.
int WriteAllTo(int fd, std::string_view bytes);

}  // namespace fx
