#include "installer/Hashers.h"

#include <openssl/evp.h>

#include <array>
#include <cctype>
#include <fstream>

namespace fx {

struct THasher::TContext {
  EVP_MD_CTX* Md = nullptr;
  ~TContext() { EVP_MD_CTX_free(Md); }
};

namespace {

const EVP_MD* Digest(THashKind kind) {
  return kind == THashKind::Sha256 ? EVP_sha256() : EVP_md5();
}

void Begin(EVP_MD_CTX* md, THashKind kind) {
  if (EVP_DigestInit_ex(md, Digest(kind), nullptr) != 1)
    throw EHash("the hash cannot be started (libcrypto)");
}

}  // namespace

THasher::THasher(THashKind kind) : Context_(std::make_unique<TContext>()), Kind_(kind) {
  Context_->Md = EVP_MD_CTX_new();
  if (Context_->Md == nullptr) throw EHash("no memory for a hash");
  Begin(Context_->Md, kind);
}

THasher::~THasher() = default;
THasher::THasher(THasher&&) noexcept = default;
THasher& THasher::operator=(THasher&&) noexcept = default;

void THasher::Update(std::string_view bytes) {
  Update(bytes.data(), bytes.size());
}

void THasher::Update(const void* bytes, std::size_t size) {
  if (size != 0 && EVP_DigestUpdate(Context_->Md, bytes, size) != 1)
    throw EHash("the hash failed (libcrypto)");
}

std::string THasher::HexDigest() {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(Context_->Md, digest.data(), &length) != 1)
    throw EHash("the hash failed (libcrypto)");
  Begin(Context_->Md, Kind_);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

std::string Sha256Hex(std::string_view bytes) {
  THasher hasher(THashKind::Sha256);
  hasher.Update(bytes);
  return hasher.HexDigest();
}

std::string Md5Hex(std::string_view bytes) {
  THasher hasher(THashKind::Md5);
  hasher.Update(bytes);
  return hasher.HexDigest();
}

std::string FileHashHex(const std::filesystem::path& file, THashKind kind) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw EHash("cannot read " + file.string());
  THasher hasher(kind);
  std::string buffer(1 << 16, '\0');
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    hasher.Update(buffer.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw EHash("cannot read " + file.string());
  return hasher.HexDigest();
}

bool IsHexDigest(std::string_view hex, THashKind kind) {
  const std::size_t want = kind == THashKind::Sha256 ? 64 : 32;
  if (hex.size() != want) return false;
  for (const char c : hex)
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
  return true;
}

}  // namespace fx
