#include "demos/ZipDemos.h"

#include <zip.h>

#include <memory>

namespace fx {

namespace {

struct TZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct TZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;
using TZipFile = std::unique_ptr<zip_file_t, TZipFileCloser>;

TZip OpenZip(const std::filesystem::path& archive) {
  int error = 0;
  return TZip(zip_open(archive.c_str(), ZIP_RDONLY, &error));
}

// libzip checks each entry's CRC at its end; a read error then ends the data early, which
// the reader reports as a truncated demo.
class TZipDemoSource final : public TDemoSource {
 public:
  explicit TZipDemoSource(zip_file_t* file) : FFile(file) {}
  std::size_t Read(char* into, std::size_t length) override {
    std::size_t done = 0;
    while (done < length) {
      const zip_int64_t got = zip_fread(FFile, into + done, length - done);
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

 private:
  zip_file_t* FFile;
};

TDemoInfo Unreadable(TDemoFormat format, std::string problem) {
  TDemoInfo info;
  info.Format = format;
  info.Problem = std::move(problem);
  return info;
}

}  // namespace

std::vector<TZipEntry> ZipEntries(const std::filesystem::path& archive) {
  std::vector<TZipEntry> entries;
  const TZip zip = OpenZip(archive);
  if (!zip) return entries;
  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
        (stat.valid & ZIP_STAT_NAME) == 0)
      continue;
    const auto size = (stat.valid & ZIP_STAT_SIZE) ? static_cast<std::int64_t>(stat.size) : 0;
    entries.push_back({stat.name, size});
  }
  return entries;
}

TDemoInfo ReadZipDemo(const std::filesystem::path& archive, const std::string& entry,
                      TDemoFormat format) {
  const TZip zip = OpenZip(archive);
  if (!zip) return Unreadable(format, "the archive cannot be opened");
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(zip.get(), entry.c_str(), 0, &stat) != 0)
    return Unreadable(format, "not in the archive");
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
    return Unreadable(format, "encrypted");
  if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method != ZIP_CM_STORE &&
      stat.comp_method != ZIP_CM_DEFLATE)
    return Unreadable(format, "compressed with method " + std::to_string(stat.comp_method));
  const TZipFile file(zip_fopen(zip.get(), entry.c_str(), 0));
  if (!file) return Unreadable(format, "the entry cannot be opened");
  TZipDemoSource source(file.get());
  return ReadDemo(source, format);
}

}  // namespace fx
