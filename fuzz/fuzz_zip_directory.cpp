// The zip directory reader (end records, zip64, central records, local headers) on
// arbitrary bytes, then the overlap check and the entry-name check on what it read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/Archive.h"
#include "installer/EntryNames.h"
#include "installer/ZipDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  const fx::TReadAt read = [&](std::uint64_t offset, std::size_t n) {
    if (offset >= file.size()) return std::string();
    return file.substr(static_cast<std::size_t>(offset), n);
  };
  try {
    const fx::TZipDirectory directory = fx::ReadZipDirectory(read, file.size());
    (void)fx::FindOverlap(directory);
    for (const fx::TZipSpan& span : directory.Spans)
      (void)fx::CheckEntryName(span.Name);
  } catch (const fx::EArchive&) {
    // A refusal is the expected answer to most inputs.
  }
  return 0;
}
