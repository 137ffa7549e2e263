// The Deflate and Deflate64 decoder on arbitrary bytes: the first byte picks the variant
// and where the input is split in two, so resuming between pieces is fuzzed as well.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "installer/Inflate64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool deflate64 = (data[0] & 1) != 0;
  const std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = in.empty() ? 0 : (data[0] >> 1) % (in.size() + 1);
  std::uint64_t seen = 0;
  try {
    fx::TInflater inflater(deflate64, 1 << 22, [&](std::string_view out) { seen += out.size(); });
    inflater.Feed(in.substr(0, split));
    inflater.Feed(in.substr(split));
  } catch (const fx::EInflate&) {
    // Bad data is refused.
  }
  // More output than the limit allows would be a bomb let through.
  if (seen > (1u << 22)) __builtin_trap();
  return 0;
}
