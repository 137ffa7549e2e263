#pragma once

// An archive as the installer reads it: its directory (names, sizes, methods, where each
// entry's data lies) and, on request, one entry's bytes in pieces. Zip and pk3 go through
// libzip with raw (compressed) reads, inflated by zlib or by the program's Deflate64
// inflater; PACK archives and a loose file are read directly. Every entry's output is
// counted against its declared size, and its CRC (zip) checked at the end.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// An archive that cannot be read, or an entry whose data is bad. Entry() is "" when the
// archive as a whole is at fault (it is refused as "package: ...").
class EArchive : public std::runtime_error {
 public:
  EArchive(std::string entry, const std::string& reason)
      : std::runtime_error(reason), Entry_(std::move(entry)) {}
  const std::string& Entry() const { return Entry_; }

 private:
  std::string Entry_;
};

enum class TArchiveKind { Zip, Pack, LooseFile };

struct TArchiveEntry {
  std::string Name;        // as stored (may hold "\" or anything else: checked by the planner)
  std::uint64_t Size = 0;  // declared uncompressed size
  std::uint64_t CompressedSize = 0;  // bytes of data in the archive
  std::uint64_t DataOffset = 0;      // where the data begins in the archive file
  std::uint32_t Crc = 0;
  std::uint16_t Method = 0;  // zip method: 0 stored, 8 Deflate, 9 Deflate64
  bool Encrypted = false;
  bool IsFolder = false;
  // The Unix file type bits (S_IFMT part of the external attributes), 0 when none given.
  std::uint32_t UnixType = 0;
};

class TArchive {
 public:
  virtual ~TArchive() = default;
  virtual TArchiveKind Kind() const = 0;
  virtual const std::vector<TArchiveEntry>& Entries() const = 0;
  // Streams entry `index` to `piece`, at most its declared size; throws EArchive naming
  // the entry for an unsupported method, encryption, bad data, a wrong CRC or more (or
  // fewer) bytes than declared.
  virtual void Read(std::size_t index,
                    const std::function<void(std::string_view)>& piece) const = 0;
};

// A zip method's name for messages: "Deflate64", "bzip2", ...; "" when unknown.
std::string ZipMethodName(std::uint16_t method);
// Whether the installer can unpack that method (stored, Deflate, Deflate64).
bool ZipMethodSupported(std::uint16_t method);

// Opens a .zip/.pk3 (by its signature), a PACK (.pak) as an archive, or, with
// `looseName`, one loose file as a one-entry archive of that name. Throws EArchive.
// A zip with more than `maxEntries` entries is refused before its entries are read.
std::unique_ptr<TArchive> OpenZipArchive(const std::string& file, std::uint64_t maxEntries = 65536);
std::unique_ptr<TArchive> OpenPackArchive(const std::string& file);
std::unique_ptr<TArchive> OpenLooseFile(const std::string& file, const std::string& looseName);

}  // namespace fx
