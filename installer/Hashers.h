#pragma once

// Streaming hashes over OpenSSL's libcrypto: the installer hashes every byte it writes as it
// writes it (no second read of the installed files), the download checks the archive while
// it streams, and "found already installed" hashes files on disk.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fx {

// A hash that libcrypto could not compute (it cannot allocate, a digest is missing).
class EHash : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class THashKind { Sha256, Md5 };

class THasher {
 public:
  explicit THasher(THashKind kind);
  ~THasher();
  THasher(THasher&&) noexcept;
  THasher& operator=(THasher&&) noexcept;

  void Update(std::string_view bytes);
  void Update(const void* bytes, std::size_t size);
  // The digest in lower-case hex; the hasher starts over afterwards.
  std::string HexDigest();
  THashKind Kind() const { return Kind_; }

 private:
  struct TContext;
  std::unique_ptr<TContext> Context_;
  THashKind Kind_;
};

// The lower-case hex SHA-256 and MD5 of a byte string.
std::string Sha256Hex(std::string_view bytes);
std::string Md5Hex(std::string_view bytes);
// The hash of a whole file, read in pieces; throws EHash when it cannot be read.
std::string FileHashHex(const std::filesystem::path& file, THashKind kind);

// Whether `hex` is a digest of `kind` written in hex (either case).
bool IsHexDigest(std::string_view hex, THashKind kind);

}  // namespace fx
