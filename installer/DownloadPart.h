#pragma once

// The files of a download on disk: `<target>.part` while it streams, the target once it is
// checked. Neither is followed when it is a symbolic link (a cache folder is the user's,
// but nothing read from the network decides where bytes go).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "installer/DownloadMachine.h"

namespace fx {

// A download file that cannot be read or written (the message names it and the reason).
class EDownloadFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::filesystem::path PartFile(const std::filesystem::path& target);
// What is there: regular files only, a link or anything else counts as absent.
TDiskState ReadDiskState(const std::filesystem::path& target);

// Reads a regular file in pieces, from its start.
class TFileReader {
 public:
  explicit TFileReader(const std::filesystem::path& file);
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;
  // Up to `most` bytes; empty at the end.
  std::string Read(std::size_t most);

 private:
  std::filesystem::path FPath;
  int FFd = -1;
};

// The `.part` file being written: opened at an offset (cut to it), then appended to.
class TPartFile {
 public:
  explicit TPartFile(std::filesystem::path target);
  ~TPartFile();
  TPartFile(const TPartFile&) = delete;
  TPartFile& operator=(const TPartFile&) = delete;

  // Makes the folder, opens `.part` (created if missing) and cuts it to `offset` bytes.
  void Open(std::uint64_t offset);
  void Write(std::string_view bytes);
  void Close();
  // Flushes `.part` to disk and renames it over the target.
  void Commit();
  void Remove();

 private:
  [[noreturn]] void Fail(const std::string& what) const;

  std::filesystem::path FTarget, FPart;
  int FFd = -1;
};

// Feeds the machine what Begin asked for (the target's, then the part's bytes), a piece at a
// time, so a window can keep answering between pieces.
class TExistingReader {
 public:
  TExistingReader(TDownloadMachine& machine, TDiskRead first) : FMachine(machine), FRead(first) {}
  // Reads one piece; false once the machine wants nothing more.
  bool Step(std::chrono::steady_clock::time_point now, std::size_t piece = 4 << 20);

 private:
  TDownloadMachine& FMachine;
  TDiskRead FRead;
  std::optional<TFileReader> FReader;
};

}  // namespace fx
