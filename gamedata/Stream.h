#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fx {

// Failures of the stream layer: a file that cannot be opened, a read that
// comes up short where the caller needs every byte, a seek before the start.
class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

enum class TSeekOrigin { Beginning, Current, End };

// A byte stream with a position. Positions are 64-bit so that offsets taken
// from damaged files (negative, near 2 GB) can be added without overflow.
class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Up to count bytes from the current position; the number actually read.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Count bytes at the current position; the number actually written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // The new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Beginning); }
  // The position of the end, found by seeking there and back.
  virtual std::int64_t Size();

  // Exactly count bytes, or EReadError.
  void ReadBuffer(void* buffer, std::int64_t count);
};

// A regular file on disk, open for the life of the object; a pipe, device or socket is
// refused with EFOpenError without waiting for it. The position is kept here
// and every transfer names it (pread, pwrite), so seeking and asking for the
// position cost no system call: reading a map's title is one read of its
// header and one of the start of its entity lump.
class TFileStream : public TStream {
 public:
  enum class TMode { OpenRead, Create };

  TFileStream(const std::filesystem::path& fileName, TMode mode);
  // Opens `name` in the open folder `folderHandle` for reading: a listing of thousands of
  // files then resolves one name each rather than the whole path. Messages name the file
  // as given.
  TFileStream(int folderHandle, const std::string& name);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;

 private:
  int FHandle = -1;
  std::int64_t FPosition = 0;
  std::string FFileName;
};

// Bytes in memory; writing past the end grows them.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : FBytes(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FBytes.size()); }

  const std::string& Bytes() const { return FBytes; }

 private:
  std::string FBytes;
  std::int64_t FPosition = 0;
};

}  // namespace fx
