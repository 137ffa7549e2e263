#include "installer/ZipDirectory.h"

#include <algorithm>
#include <numeric>

#include "installer/Archive.h"

// The records as PKWARE's APPNOTE defines them (4.3.7 local header, 4.3.12 central
// directory header, 4.3.14-4.3.16 zip64 end records and the end of central directory,
// 4.5.3 the zip64 extended information extra field). All integers are little-endian.

namespace fx {

namespace {

constexpr std::uint32_t kLocalSig = 0x04034b50, kCentralSig = 0x02014b50, kEndSig = 0x06054b50,
                        kEnd64Sig = 0x06064b50, kLocator64Sig = 0x07064b50;
constexpr std::size_t kEndSize = 22, kLocatorSize = 20, kEnd64Size = 56, kCentralSize = 46,
                      kLocalSize = 30;
constexpr std::size_t kMaxComment = 65535;
constexpr std::uint64_t kMaxDirectory = 512ull << 20;  // far past 65,536 entries of 4 KiB names

[[noreturn]] void Bad(const std::string& why) {
  throw EArchive("", "not a readable zip archive (" + why + ")");
}

// A bounds-checked little-endian cursor over bytes.
class TCursor {
 public:
  explicit TCursor(const std::string& bytes, std::size_t at = 0) : Bytes_(bytes), At_(at) {}
  std::uint64_t Get(std::size_t n) {
    if (At_ + n > Bytes_.size()) Bad("a record is cut short");
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(Bytes_[At_ + i])) << (8 * i);
    At_ += n;
    return v;
  }
  void Skip(std::size_t n) {
    if (At_ + n > Bytes_.size()) Bad("a record is cut short");
    At_ += n;
  }
  std::size_t At() const { return At_; }

 private:
  const std::string& Bytes_;
  std::size_t At_;
};

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(TCursor(b, at).Get(4));
}

struct TEnd {
  std::uint64_t Count = 0, Size = 0, Offset = 0;
};

TEnd FindEnd(const TReadAt& read, std::uint64_t fileSize) {
  if (fileSize < kEndSize) Bad("too short");
  const std::uint64_t tail = std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment);
  const std::string bytes = read(fileSize - tail, tail);
  if (bytes.size() != tail) Bad("cannot read its end");
  for (std::size_t at = bytes.size() - kEndSize + 1; at-- > 0;) {
    if (Le32(bytes, at) != kEndSig) continue;
    TCursor c(bytes, at + 4);
    const auto disk = c.Get(2), cdDisk = c.Get(2);
    c.Get(2);
    TEnd end{c.Get(2), c.Get(4), c.Get(4)};
    if (disk != 0 || cdDisk != 0) Bad("split over several disks");
    const std::uint64_t endAt = fileSize - tail + at;
    if (end.Count == 0xffff || end.Size == 0xffffffff || end.Offset == 0xffffffff) {
      if (endAt < kLocatorSize) Bad("a zip64 locator is missing");
      const std::string loc = read(endAt - kLocatorSize, kLocatorSize);
      if (loc.size() != kLocatorSize || Le32(loc, 0) != kLocator64Sig)
        Bad("a zip64 locator is missing");
      TCursor l(loc, 8);
      const std::uint64_t end64At = l.Get(8);
      if (end64At > fileSize - kEnd64Size) Bad("the zip64 end record lies outside the file");
      const std::string rec = read(end64At, kEnd64Size);
      if (rec.size() != kEnd64Size || Le32(rec, 0) != kEnd64Sig) Bad("no zip64 end record");
      TCursor r(rec, 24);
      r.Get(8);
      end.Count = r.Get(8);
      end.Size = r.Get(8);
      end.Offset = r.Get(8);
    }
    if (end.Offset > fileSize || end.Size > fileSize - end.Offset)
      Bad("the central directory lies outside the file");
    if (end.Size > kMaxDirectory) Bad("the central directory is too big");
    return end;
  }
  Bad("no end of central directory");
}

}  // namespace

namespace {

// Local headers of small entries lie close together: read them through a window of the
// file rather than one read each.
class TWindow {
 public:
  TWindow(const TReadAt& read, std::uint64_t fileSize) : Read_(read), FileSize_(fileSize) {}
  std::string At(std::uint64_t offset, std::size_t size) {
    if (offset < Start_ || offset + size > Start_ + Bytes_.size()) {
      Start_ = offset;
      Bytes_ = Read_(offset,
                     static_cast<std::size_t>(std::min<std::uint64_t>(kSpan, FileSize_ - offset)));
    }
    const std::size_t from = static_cast<std::size_t>(offset - Start_);
    return from >= Bytes_.size() ? std::string() : Bytes_.substr(from, size);
  }

 private:
  static constexpr std::uint64_t kSpan = 1 << 16;
  const TReadAt& Read_;
  std::uint64_t FileSize_;
  std::uint64_t Start_ = 0;
  std::string Bytes_;
};

}  // namespace

TZipDirectory ReadZipDirectory(const TReadAt& read, std::uint64_t fileSize,
                               std::uint64_t maxEntries) {
  TWindow window(read, fileSize);
  const TEnd end = FindEnd(read, fileSize);
  if (end.Count > maxEntries)
    throw EArchive("", "holds " + std::to_string(end.Count) + " entries, more than " +
                           std::to_string(maxEntries));
  const std::string cd = read(end.Offset, end.Size);
  if (cd.size() != end.Size) Bad("the central directory is cut short");
  if (end.Count > cd.size() / kCentralSize) Bad("more entries than the directory holds");
  TZipDirectory dir;
  dir.Start = end.Offset;
  dir.Spans.reserve(end.Count);
  TCursor c(cd);
  for (std::uint64_t i = 0; i < end.Count; ++i) {
    if (c.Get(4) != kCentralSig) Bad("a central directory record is damaged");
    const auto madeBy = static_cast<std::uint16_t>(c.Get(2));
    c.Skip(2);
    const auto flags = static_cast<std::uint16_t>(c.Get(2));
    const auto method = static_cast<std::uint16_t>(c.Get(2));
    c.Skip(4);
    const auto crc = static_cast<std::uint32_t>(c.Get(4));
    std::uint64_t compressed = c.Get(4), size = c.Get(4);
    const std::size_t nameLen = c.Get(2), extraLen = c.Get(2), commentLen = c.Get(2);
    const auto disk = c.Get(2);
    c.Skip(2);
    const auto external = static_cast<std::uint32_t>(c.Get(4));
    std::uint64_t header = c.Get(4);
    const std::size_t nameAt = c.At();
    c.Skip(nameLen);
    // The zip64 extra field holds, in this order, the fields that are all ones above.
    const std::size_t extraEnd = c.At() + extraLen;
    while (c.At() + 4 <= extraEnd) {
      const auto id = c.Get(2);
      const std::size_t len = c.Get(2);
      if (c.At() + len > extraEnd) Bad("an extra field is cut short");
      if (id == 0x0001) {
        const std::size_t fieldEnd = c.At() + len;
        auto take = [&](std::uint64_t& field) {
          if (field == 0xffffffff && c.At() + 8 <= fieldEnd) field = c.Get(8);
        };
        take(size);
        take(compressed);
        take(header);
        c.Skip(fieldEnd - c.At());
      } else {
        c.Skip(len);
      }
    }
    c.Skip(extraEnd - c.At());
    c.Skip(commentLen);
    if (disk != 0 && disk != 0xffff) Bad("split over several disks");
    if (header > fileSize - std::min<std::uint64_t>(fileSize, kLocalSize))
      Bad("an entry lies outside the file");
    const std::string local = window.At(header, kLocalSize);
    if (local.size() != kLocalSize || Le32(local, 0) != kLocalSig)
      Bad("an entry's local header is missing");
    TCursor l(local, 26);
    const std::uint64_t data = header + kLocalSize + l.Get(2) + l.Get(2);
    if (data > fileSize || compressed > fileSize - data) Bad("an entry lies outside the file");
    dir.Spans.push_back({header, data, compressed, cd.substr(nameAt, nameLen), size, crc, method,
                         flags, madeBy, external});
  }
  return dir;
}

std::optional<std::pair<std::size_t, long>> FindOverlap(const TZipDirectory& directory) {
  const auto& spans = directory.Spans;
  std::vector<std::size_t> order(spans.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return spans[a].Header < spans[b].Header; });
  for (std::size_t k = 0; k < order.size(); ++k) {
    const TZipSpan& s = spans[order[k]];
    const std::uint64_t end = s.Data + s.Compressed;
    if (k + 1 < order.size() && spans[order[k + 1]].Header < end)
      return std::pair{order[k + 1], static_cast<long>(order[k])};
    if (end > directory.Start) return std::pair{order[k], -1L};
  }
  return std::nullopt;
}

}  // namespace fx
