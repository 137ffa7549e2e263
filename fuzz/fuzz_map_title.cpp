// The map title reader on arbitrary bytes: as a map file, and as a map
// inside an archive entry's window.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gamedata/BSPUtil.h"
#include "gamedata/FrameStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fx::TMemoryStream file(bytes);
  (void)fx::TranslateTitle(fx::ReadMapTitle(file));

  fx::TMemoryStream archive(std::string(37, 'P') + bytes + std::string(50, '}'));
  fx::TFrameStream entry(archive, 37, static_cast<std::int64_t>(size));
  (void)fx::ReadMapTitle(entry);
  return 0;
}
