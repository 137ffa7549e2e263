#include "installer/Archive.h"

#include <fstream>
#include <memory>

#include "gamedata/PackUtil.h"

namespace fx {

namespace {

constexpr std::size_t kPiece = 1 << 16;

void ReadRange(const std::string& file, const std::string& name, std::uint64_t offset,
               std::uint64_t size, const std::function<void(std::string_view)>& piece) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw EArchive(name, "cannot be read");
  in.seekg(static_cast<std::streamoff>(offset));
  std::string buffer(kPiece, '\0');
  for (std::uint64_t left = size; left > 0;) {
    const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(left, kPiece));
    in.read(buffer.data(), want);
    if (in.gcount() != want) throw EArchive(name, "is cut short");
    piece(std::string_view(buffer.data(), static_cast<std::size_t>(want)));
    left -= static_cast<std::uint64_t>(want);
  }
}

// A PACK archive: the directory as the game's own reader takes it (TPackFile), each entry
// checked to lie inside the file.
class TPackArchive final : public TArchive {
 public:
  explicit TPackArchive(const std::string& file) : File_(file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error) throw EArchive("", "cannot be read");
    std::ifstream in(file, std::ios::binary);
    char magic[4] = {};
    if (!in.read(magic, 4) || std::string_view(magic, 4) != "PACK")
      throw EArchive("", "not a PACK archive");
    TPackFile pack(file, "*");
    for (const TLibEntry& e : pack.Entries()) {
      if (e.FilePos() < 0 || e.FileLen() < 0 ||
          static_cast<std::uint64_t>(e.FilePos()) + static_cast<std::uint64_t>(e.FileLen()) > size)
        throw EArchive(e.Name(), "lies outside the archive");
      TArchiveEntry entry;
      entry.Name = e.Name();
      entry.Size = entry.CompressedSize = static_cast<std::uint64_t>(e.FileLen());
      entry.DataOffset = static_cast<std::uint64_t>(e.FilePos());
      Entries_.push_back(std::move(entry));
    }
  }
  TArchiveKind Kind() const override { return TArchiveKind::Pack; }
  const std::vector<TArchiveEntry>& Entries() const override { return Entries_; }
  void Read(std::size_t index, const std::function<void(std::string_view)>& piece) const override {
    const TArchiveEntry& e = Entries_.at(index);
    ReadRange(File_, e.Name, e.DataOffset, e.Size, piece);
  }

 private:
  std::string File_;
  std::vector<TArchiveEntry> Entries_;
};

class TLooseFile final : public TArchive {
 public:
  TLooseFile(const std::string& file, const std::string& name) : File_(file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) throw EArchive("", "is not a file");
    TArchiveEntry entry;
    entry.Name = name;
    entry.Size = entry.CompressedSize = std::filesystem::file_size(file, error);
    if (error) throw EArchive("", "cannot be read");
    Entries_.push_back(std::move(entry));
  }
  TArchiveKind Kind() const override { return TArchiveKind::LooseFile; }
  const std::vector<TArchiveEntry>& Entries() const override { return Entries_; }
  void Read(std::size_t index, const std::function<void(std::string_view)>& piece) const override {
    const TArchiveEntry& e = Entries_.at(index);
    ReadRange(File_, e.Name, 0, e.Size, piece);
  }

 private:
  std::string File_;
  std::vector<TArchiveEntry> Entries_;
};

}  // namespace

std::unique_ptr<TArchive> OpenPackArchive(const std::string& file) {
  return std::make_unique<TPackArchive>(file);
}

std::unique_ptr<TArchive> OpenLooseFile(const std::string& file, const std::string& looseName) {
  return std::make_unique<TLooseFile>(file, looseName);
}

}  // namespace fx
