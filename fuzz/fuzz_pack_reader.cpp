// The PACK directory reader on arbitrary bytes, with every listed entry
// opened and read as a map, as the map list does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gamedata/BSPUtil.h"
#include "gamedata/PackUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks the pattern, so matching is fuzzed as well.
  const char* patterns[] = {"*", "maps*.bsp", "?*a?*", "*.*"};
  const char* pattern = patterns[size > 0 ? data[0] % 4 : 0];
  fx::TPackFile pak(std::make_unique<fx::TMemoryStream>(std::move(bytes)), pattern);
  int opened = 0;
  for (const fx::TLibEntry& entry : pak.Entries()) {
    if (++opened > 64) break;
    (void)entry.Name();
    auto window = entry.Open();
    (void)fx::TranslateTitle(fx::ReadMapTitle(*window));
  }
  return 0;
}
