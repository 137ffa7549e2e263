#pragma once

// Where a demo's bytes come from: a file, a PACK archive's entry, a zip entry or memory.
// The readers pull from it in chunks, so a demo of any size is read in bounded memory.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace fx {

class TDemoSource {
 public:
  virtual ~TDemoSource() = default;
  // Up to `length` bytes; fewer only at the end of the data (or on a read error).
  virtual std::size_t Read(char* into, std::size_t length) = 0;
};

class TMemoryDemoSource final : public TDemoSource {
 public:
  explicit TMemoryDemoSource(std::string_view bytes) : FBytes(bytes) {}
  std::size_t Read(char* into, std::size_t length) override;

 private:
  std::string_view FBytes;
  std::size_t FAt = 0;
};

// A regular file, or the `length` bytes of it from `offset` (a PACK entry). Opened without
// waiting, so a FIFO named .dem cannot hang the scan; anything but a regular file reads as
// empty (Opened() false).
class TFileDemoSource final : public TDemoSource {
 public:
  explicit TFileDemoSource(const std::filesystem::path& file, std::int64_t offset = 0,
                           std::int64_t length = -1);
  ~TFileDemoSource() override;
  TFileDemoSource(const TFileDemoSource&) = delete;
  TFileDemoSource& operator=(const TFileDemoSource&) = delete;

  bool Opened() const { return FHandle >= 0; }
  std::size_t Read(char* into, std::size_t length) override;

 private:
  int FHandle = -1;
  std::int64_t FAt = 0;
  std::int64_t FEnd = 0;
};

}  // namespace fx
