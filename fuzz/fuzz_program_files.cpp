// Two readers of files the program meets on the disk and did not write: the start of a
// program (its "#!" line or ELF loader, read before every start) and Steam's
// libraryfolders.vdf (read by the first-run setup). The first byte picks the reader.
// Neither may read outside its bytes, recurse without end or give an interpreter that is
// not an absolute path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ProgramInterpreter.h"
#include "settings/SteamLibraries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    const auto interpreter = fx::ProgramInterpreter(bytes);
    if (interpreter && !interpreter->starts_with('/')) std::abort();
    return 0;
  }
  try {
    fx::ParseSteamLibraryFolders(bytes);
  } catch (const fx::EVdfError&) {
    // refused, which is what a damaged file gets
  }
  return 0;
}
