#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <array>
#include <memory>

#include "installer/Archive.h"
#include "installer/Inflate64.h"
#include "installer/ZipDirectory.h"

// The directory comes from libzip (names, sizes, methods, CRCs, encryption, the external
// attributes) checked against our own reading of where each entry lies (ZipDirectory).
// Every entry is read raw with ZIP_FL_COMPRESSED and decoded here: stored as it is, Deflate
// by zlib's raw inflate, Deflate64 by TInflater; the CRC is checked by zlib's crc32.

namespace fx {

namespace {

constexpr std::size_t kPiece = 1 << 16;

struct TZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct TFileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

class TFd {
 public:
  explicit TFd(int fd) : Fd_(fd) {}
  ~TFd() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return Fd_; }

 private:
  int Fd_;
};

std::string LibzipError(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

// Raw Deflate through zlib, counted against the declared size.
class TZlibInflate {
 public:
  TZlibInflate() {
    if (inflateInit2(&Z_, -15) != Z_OK) throw EArchive("", "zlib cannot start");
  }
  ~TZlibInflate() { inflateEnd(&Z_); }
  TZlibInflate(const TZlibInflate&) = delete;
  TZlibInflate& operator=(const TZlibInflate&) = delete;

  // Returns true at the end of the stream.
  bool Feed(std::string_view in, const std::function<void(std::string_view)>& out) {
    Z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    Z_.avail_in = static_cast<uInt>(in.size());
    std::array<char, kPiece> buffer;
    do {
      Z_.next_out = reinterpret_cast<Bytef*>(buffer.data());
      Z_.avail_out = static_cast<uInt>(buffer.size());
      const int rc = inflate(&Z_, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
        throw EInflate(std::string("bad compressed data: ") + (Z_.msg ? Z_.msg : "zlib"));
      const std::size_t n = buffer.size() - Z_.avail_out;
      if (n > 0) out(std::string_view(buffer.data(), n));
      if (rc == Z_STREAM_END) return true;
      if (rc == Z_BUF_ERROR && Z_.avail_in == 0) return false;
    } while (Z_.avail_in > 0 || Z_.avail_out == 0);
    return false;
  }

 private:
  z_stream Z_{};
};

class TZipArchive final : public TArchive {
 public:
  TZipArchive(const std::string& file, std::uint64_t maxEntries) : File_(file) {
    TFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0) throw EArchive("", "cannot be read");
    if (!S_ISREG(st.st_mode)) throw EArchive("", "is not a file");
    const TReadAt read = [&](std::uint64_t offset, std::size_t size) {
      std::string bytes(size, '\0');
      std::size_t done = 0;
      while (done < size) {
        const ssize_t n =
            ::pread(fd.Get(), bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      bytes.resize(done);
      return bytes;
    };
    Directory_ = ReadZipDirectory(read, static_cast<std::uint64_t>(st.st_size), maxEntries);
    // Entries sharing their data (or running into the directory) make an archive that
    // unpacks to far more than it holds: refused whole, before libzip reads it.
    if (const auto overlap = FindOverlap(Directory_)) {
      const std::string& name = Directory_.Spans[overlap->first].Name;
      if (overlap->second < 0) throw EArchive(name, "its data runs into the archive's directory");
      throw EArchive(name, "its data overlaps that of " +
                               Directory_.Spans[static_cast<std::size_t>(overlap->second)].Name);
    }

    Entries_.reserve(Directory_.Spans.size());
    for (const TZipSpan& span : Directory_.Spans)
      Entries_.push_back(Entry(span));
  }

  TArchiveKind Kind() const override { return TArchiveKind::Zip; }
  const std::vector<TArchiveEntry>& Entries() const override { return Entries_; }
  const TZipDirectory& Directory() const { return Directory_; }

  void Read(std::size_t index, const std::function<void(std::string_view)>& piece) const override {
    const TArchiveEntry& e = Entries_.at(index);
    if (e.Encrypted) throw EArchive(e.Name, "encrypted, which is not supported");
    if (!ZipMethodSupported(e.Method)) throw EArchive(e.Name, UnsupportedText(e.Method));
    if (e.Method == 0 && e.Size != e.CompressedSize)
      throw EArchive(e.Name, e.Size > e.CompressedSize ? "holds less data than it declares"
                                                       : "holds more data than it declares");
    OpenLibzip();
    std::unique_ptr<zip_file_t, TFileCloser> file(
        zip_fopen_index(Zip_.get(), index, ZIP_FL_COMPRESSED));
    if (!file) throw EArchive(e.Name, std::string("cannot be read: ") + zip_strerror(Zip_.get()));

    std::uint64_t produced = 0;
    uLong crc = crc32(0, nullptr, 0);
    const auto out = [&](std::string_view bytes) {
      produced += bytes.size();
      if (produced > e.Size) throw EArchive(e.Name, "holds more data than it declares");
      crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
      piece(bytes);
    };
    std::optional<TZlibInflate> zlib;
    std::optional<TInflater> inflater;
    if (e.Method == 8) zlib.emplace();
    if (e.Method == 9) inflater.emplace(true, e.Size, out);
    bool ended = e.Method == 0;
    std::array<char, kPiece> buffer;
    try {
      for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
        if (n < 0)
          throw EArchive(e.Name, std::string("cannot be read: ") + zip_file_strerror(file.get()));
        if (n == 0) break;
        const std::string_view in(buffer.data(), static_cast<std::size_t>(n));
        if (e.Method == 0) out(in);
        if (zlib && !ended) ended = zlib->Feed(in, out);
        if (inflater && !ended) {
          inflater->Feed(in);
          ended = inflater->Finished();
        }
      }
    } catch (const EInflate& bad) {
      throw EArchive(e.Name, bad.what());
    }
    if (!ended) throw EArchive(e.Name, "its compressed data is cut short");
    if (produced != e.Size) throw EArchive(e.Name, "holds less data than it declares");
    if (static_cast<std::uint32_t>(crc) != e.Crc) throw EArchive(e.Name, "bad CRC");
  }

 private:
  static std::string UnsupportedText(std::uint16_t method) {
    std::string text = "compressed with method " + std::to_string(method);
    if (const std::string name = ZipMethodName(method); !name.empty()) text += " (" + name + ")";
    return text + ", which is not supported";
  }

  // An entry as the central directory has it.
  static TArchiveEntry Entry(const TZipSpan& span) {
    TArchiveEntry e;
    e.Name = span.Name;
    e.Size = span.Size;
    e.CompressedSize = span.Compressed;
    e.DataOffset = span.Data;
    e.Crc = span.Crc;
    e.Method = span.Method;
    e.Encrypted = (span.Flags & 1) != 0;
    e.IsFolder = !e.Name.empty() && e.Name.back() == '/';
    if ((span.MadeBy >> 8) == ZIP_OPSYS_UNIX) e.UnixType = (span.External >> 16) & S_IFMT;
    return e;
  }

  // libzip opens the archive when the first entry is read (planning needs only the
  // directory, and libzip's reading of 3,000 entries costs a time-zone lookup each), and
  // must see the directory as we read it.
  void OpenLibzip() const {
    if (Zip_) return;
    int error = 0;
    Zip_.reset(zip_open(File_.c_str(), ZIP_RDONLY, &error));
    if (!Zip_) throw EArchive("", "not a readable zip archive (" + LibzipError(error) + ")");
    const zip_int64_t count = zip_get_num_entries(Zip_.get(), 0);
    if (count < 0 || static_cast<std::uint64_t>(count) != Entries_.size())
      throw EArchive("", "not a readable zip archive (its directory is inconsistent)");
    for (zip_uint64_t i = 0; i < Entries_.size(); ++i) {
      zip_stat_t st;
      zip_stat_init(&st);
      const TArchiveEntry& e = Entries_[i];
      // libzip hands names out as C strings: a NUL stored inside would end it early.
      if (zip_stat_index(Zip_.get(), i, ZIP_FL_ENC_RAW, &st) != 0 || st.name == nullptr ||
          !e.Name.starts_with(std::string_view(st.name)) || st.comp_size != e.CompressedSize ||
          st.size != e.Size || st.crc != e.Crc || st.comp_method != e.Method)
        throw EArchive(e.Name, "the archive's directory is inconsistent at this entry");
    }
  }

  std::string File_;
  TZipDirectory Directory_;
  mutable std::unique_ptr<zip_t, TZipCloser> Zip_;
  std::vector<TArchiveEntry> Entries_;
};

}  // namespace

std::string ZipMethodName(std::uint16_t method) {
  switch (method) {
    case 0:
      return "stored";
    case 1:
      return "shrunk";
    case 6:
      return "imploded";
    case 8:
      return "Deflate";
    case 9:
      return "Deflate64";
    case 12:
      return "bzip2";
    case 14:
      return "LZMA";
    case 93:
      return "Zstandard";
    case 95:
      return "xz";
    case 96:
      return "JPEG";
    case 97:
      return "WavPack";
    case 98:
      return "PPMd";
    case 99:
      return "AES";
    default:
      return "";
  }
}

bool ZipMethodSupported(std::uint16_t method) {
  return method == 0 || method == 8 || method == 9;
}

std::unique_ptr<TArchive> OpenZipArchive(const std::string& file, std::uint64_t maxEntries) {
  return std::make_unique<TZipArchive>(file, maxEntries);
}

}  // namespace fx
