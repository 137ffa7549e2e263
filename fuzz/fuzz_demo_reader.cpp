// The demo readers on arbitrary bytes: the first byte picks the format (NetQuake, .qwd,
// .mvd), the rest is the file. The bytes sit in a buffer of exactly their size, so a read
// past the end is caught by the address sanitizer.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "demos/DemoReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto format = static_cast<fx::TDemoFormat>(data[0] % 3);
  const std::size_t length = size - 1;
  const auto bytes = std::make_unique<char[]>(length);
  std::copy(data + 1, data + size, bytes.get());
  fx::TMemoryDemoSource source(std::string_view(bytes.get(), length));
  const fx::TDemoInfo info = fx::ReadDemo(source, format);
  // Whatever the file holds, the length is a sum of non-negative level lengths.
  if (!(info.Seconds >= 0) || info.Players.size() > length) std::abort();
  (void)fx::DemoLengthText(info.Seconds);
  (void)fx::DemoProtocolName(info.Format, info.Protocol, info.ProtocolFlags);
  return 0;
}
