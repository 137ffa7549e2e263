#pragma once

// The regedit text format: "REGEDIT4" files as we write them, and also the
// "Windows Registry Editor Version 5.00" files that Windows exports (UTF-16LE
// with a byte-order mark, or 8-bit).

#include <string>
#include <string_view>
#include <vector>

#include "platform/RegTree.h"
#include "platform/RegistryTypes.h"

namespace fx {

// A file that is not well formed. The message reads "<file>, line <n>: <why>".
class ERegFileParseError : public ERegistryException {
 public:
  ERegFileParseError(const std::string& fileName, int line, const std::string& reason);

  const std::string& FileName() const { return FFileName; }
  int Line() const { return FLine; }
  const std::string& Reason() const { return FReason; }

 private:
  std::string FFileName;
  int FLine;
  std::string FReason;
};

// Reads a whole file that holds the keys of `root`. Sections of any other
// root are skipped, each with a message in `warnings` when it is given.
// Key deletions ([-KEY]) and value deletions ("Name"=-) are applied in file
// order. Texts from a UTF-16 file come back as UTF-8. Anything malformed,
// including a file cut off in the middle of a line, throws
// ERegFileParseError naming `fileName` and the line; the result is all or
// nothing. Our files end every line with a line break; a last line without one
// (a hand edit) is taken only when it is whole by itself (a key in brackets, a
// closed string, a deletion, a dword of eight digits, a comment), so a file cut
// off inside a line is still told from a complete one.
TRegTree ParseRegFile(std::string_view bytes, HKEY root, const std::string& fileName,
                      std::vector<std::string>* warnings = nullptr);

// The tree as a REGEDIT4 file with CR LF line ends: every key, empty ones too,
// depth first in enumeration order, a blank line after each. A REG_SZ holding
// a line break or a zero byte is written as hex(1) so that it cannot break
// the file. Throws ERegistryException for a root that has no name.
std::string FormatRegFile(const TRegTree& tree, HKEY root);

}  // namespace fx
