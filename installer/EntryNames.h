#pragma once

// The checks every archive entry name passes before it may name a file below the game
// folder, and the case rules of the folders the engines look for.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/AsciiCase.h"

namespace fx {

struct TCheckedName {
  std::string Path;     // "/"-separated, no empty or "." components; "" when refused
  std::string Refusal;  // why it cannot be installed; "" when it can
  bool Folder = false;  // the name ends with a separator: a folder entry
};

// Maps "\" to "/", then refuses absolute names, "..", drive letters, NUL and control
// bytes, a component over 255 bytes, a path over 4,096.
TCheckedName CheckEntryName(std::string_view stored);

// Why an entry of this Unix file type is not installed ("" for a file or folder).
std::string RefusedFileType(std::uint32_t unixType);

// The folders the engines look for by name below a game or mod folder.
bool IsEngineFolder(std::string_view name);

// The documents the documents viewer lists (".txt", ".doc", ".htm", ".html", "read*").
bool IsDocumentName(std::string_view fileName);

}  // namespace fx
