// The XML database reader on arbitrary bytes: it either refuses the document or returns
// records whose ids are plain names; every record's texts are touched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "content/ContentText.h"
#include "content/XmlCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const fx::TCatalogue catalogue =
        fx::ReadXmlCatalogue(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const fx::TContentPackage& p : catalogue.Packages) {
      if (!fx::IsSafeName(p.Id)) std::abort();
      (void)fx::FormatDate(p.Date);
    }
  } catch (const fx::ECatalogue&) {
  }
  return 0;
}
