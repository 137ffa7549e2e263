// The Flatpak keyfile reader (an installation's "metadata" and "flatpak override" files) on
// arbitrary bytes. Every value it gives is one permission: not empty, without the list's
// separator or a line break; and what the sandbox is said to see follows from them without
// a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exes/FlatpakApp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fx::TFlatpakApp app;
  app.Id = "io.github.Fuzz.Engine";
  app.Filesystems = fx::FlatpakContextValues(bytes, "filesystems");
  for (const std::string& value : app.Filesystems)
    if (value.empty() || value.find_first_of(";\n") != std::string::npos) std::abort();
  const fx::TUserHomes homes{"/home/fuzz", "/home/fuzz", "", ""};
  for (const char* folder : {"/home/fuzz/quake", "/usr/share/games/quake", "/"})
    static_cast<void>(fx::FlatpakSees(app, folder, homes));
  return 0;
}
