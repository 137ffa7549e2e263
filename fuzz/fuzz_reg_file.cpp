// The settings file reader on arbitrary bytes. A file it takes must come back as the
// same tree when written and read again, and the second write must give the same bytes:
// otherwise a save could change or lose what the user had.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegFile.h"
#include "platform/RegTree.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& written) {
  std::fprintf(stderr, "round trip broken: %s\n--- written ---\n%s\n", what, written.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fx::TRegTree tree;
  try {
    tree = fx::ParseRegFile(bytes, fx::HKEY_CURRENT_USER, "fuzz.reg");
  } catch (const fx::ERegistryException&) {
    return 0;  // refused as a whole, which is what a malformed file gets
  }

  const std::string written = fx::FormatRegFile(tree, fx::HKEY_CURRENT_USER);
  fx::TRegTree again;
  try {
    again = fx::ParseRegFile(written, fx::HKEY_CURRENT_USER, "written.reg");
  } catch (const fx::ERegistryException& e) {
    Broken(e.what(), written);
  }
  if (!(again == tree)) Broken("the tree read back differs", written);
  if (fx::FormatRegFile(again, fx::HKEY_CURRENT_USER) != written)
    Broken("the second write differs", written);
  return 0;
}
