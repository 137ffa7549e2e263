// The JSON readers on arbitrary bytes: a page of records, one record and the add-on list.
// Each either refuses the document or returns records with plain-name ids.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/ContentText.h"
#include "content/JsonCatalogue.h"

namespace {

void Check(const fx::TCatalogue& catalogue) {
  for (const fx::TContentPackage& p : catalogue.Packages)
    if (!fx::IsSafeName(p.Id)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    Check(fx::ReadJsonPage(bytes));
  } catch (const fx::ECatalogue&) {
  }
  try {
    Check({{fx::ReadJsonRecord(bytes)}, {}});
  } catch (const fx::ECatalogue&) {
  }
  try {
    Check(fx::ReadAddonList(bytes));
  } catch (const fx::ECatalogue&) {
  }
  return 0;
}
