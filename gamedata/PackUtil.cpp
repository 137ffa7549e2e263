#include "gamedata/PackUtil.h"

#include <algorithm>
#include <cctype>

#include "gamedata/FileLayouts.h"

namespace fx {

namespace {

namespace pak = layout::pak;

// Directory records are read in chunks, so a directory length from a damaged
// header never decides how much memory is taken.
constexpr std::int64_t kRecordsPerChunk = 1024;

std::string_view StoredName(const unsigned char* record) {
  const auto* name = reinterpret_cast<const char*>(record);
  const auto* end = std::find(name, name + pak::kNameSize, '\0');
  return {name, static_cast<std::size_t>(end - name)};
}

}  // namespace

TLibEntry::TLibEntry(TPackFile& owner, const TRecord& record) : FRecord(record), FOwner(&owner) {
  for (std::int64_t i = 0; i < pak::kNameSize; ++i) {
    if (FRecord[i] == '/') FRecord[i] = '\\';
  }
}

std::string TLibEntry::Name() const {
  return std::string(StoredName(FRecord.data()));
}

std::int32_t TLibEntry::FilePos() const {
  return layout::ReadLE32(FRecord.data(), pak::kFilePosAt);
}

std::int32_t TLibEntry::FileLen() const {
  return layout::ReadLE32(FRecord.data(), pak::kFileLenAt);
}

std::unique_ptr<TFrameStream> TLibEntry::Open() const {
  return FOwner->OpenEntry(*this);
}

TPackFile::TPackFile(const std::filesystem::path& fileName, std::string_view pattern)
    : TPackFile(std::make_unique<TFileStream>(fileName, TFileStream::TMode::OpenRead), pattern) {}

TPackFile::TPackFile(std::unique_ptr<TStream> stream, std::string_view pattern)
    : FStream(std::move(stream)) {
  ReadDirectory(pattern);
  FStream->SetPosition(0);
}

void TPackFile::ReadDirectory(std::string_view pattern) {
  std::array<unsigned char, pak::kHeaderSize> header{};
  if (FStream->Read(header.data(), pak::kHeaderSize) != pak::kHeaderSize) return;
  const std::int64_t dirOffset = layout::ReadLE32(header.data(), pak::kDirOffsetAt);
  const std::int64_t dirLength = layout::ReadLE32(header.data(), pak::kDirLengthAt);
  const std::int64_t fileSize = FStream->Size();
  if (dirOffset < 0 || dirOffset > fileSize || dirLength < pak::kRecordSize) return;
  std::int64_t records = std::min(dirLength, fileSize - dirOffset) / pak::kRecordSize;

  FStream->SetPosition(dirOffset);
  std::vector<unsigned char> chunk;
  while (records > 0) {
    const std::int64_t wanted = std::min(records, kRecordsPerChunk);
    chunk.resize(static_cast<std::size_t>(wanted * pak::kRecordSize));
    const std::int64_t got =
        FStream->Read(chunk.data(), wanted * pak::kRecordSize) / pak::kRecordSize;
    for (std::int64_t i = 0; i < got; ++i) {
      const unsigned char* record = chunk.data() + i * pak::kRecordSize;
      if (!MatchesPackPattern(StoredName(record), pattern)) continue;
      TLibEntry::TRecord copy{};
      std::copy_n(record, pak::kRecordSize, copy.begin());
      FItems.emplace_back(*this, copy);
    }
    if (got < wanted) break;
    records -= got;
  }
}

std::unique_ptr<TFrameStream> TPackFile::OpenEntry(const TLibEntry& entry) {
  FStream->SetPosition(0);
  return std::make_unique<TFrameStream>(*FStream, entry.FilePos(), entry.FileLen());
}

bool MatchesWildcard(std::string_view name, std::string_view pattern, bool ignoreCase) {
  const auto same = [ignoreCase](char a, char b) {
    if (!ignoreCase) return a == b;
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  // Greedy matching that remembers only the last "*": linear backtracking,
  // so no pattern can make a long name slow.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

bool MatchesPackPattern(std::string_view name, std::string_view pattern) {
  return MatchesWildcard(name, pattern, false);
}

}  // namespace fx
