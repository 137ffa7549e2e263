#include "platform/ProgramInterpreter.h"

#include <cstdint>
#include <cstring>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include "platform/RegularFile.h"

namespace fx {

namespace {

// The ELF layout, from the System V ABI (<elf.h>): e_ident[EI_CLASS] 1 = 32-bit, 2 = 64-bit,
// e_ident[EI_DATA] 1 = little-endian, 2 = big-endian; PT_INTERP is program header type 3.
constexpr std::uint32_t kPtInterp = 3;
// Linux reads at most this much of a "#!" line (BINPRM_BUF_SIZE in the kernel's binfmts.h).
constexpr std::size_t kShebangLimit = 256;
// PATH_MAX: a longer loader name is no loader name.
constexpr std::uint64_t kInterpLimit = 4096;

class TElfReader {
 public:
  explicit TElfReader(std::string_view bytes) : FBytes(bytes) {}

  std::optional<std::string> Interpreter() {
    if (FBytes.size() < 16) return std::nullopt;
    const auto elfClass = static_cast<unsigned char>(FBytes[4]);
    const auto data = static_cast<unsigned char>(FBytes[5]);
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2)) return std::nullopt;
    F64 = elfClass == 2;
    FBig = data == 2;
    // e_phoff, e_phentsize and e_phnum, at their places in the two classes.
    const auto phoff = F64 ? Number(32, 8) : Number(28, 4);
    const auto phentsize = Number(F64 ? 54 : 42, 2);
    const auto phnum = Number(F64 ? 56 : 44, 2);
    if (!phoff || !phentsize || !phnum || *phentsize < (F64 ? 56U : 32U)) return std::nullopt;
    for (std::uint64_t i = 0; i < *phnum; ++i) {
      const std::uint64_t at = *phoff + i * *phentsize;
      if (at > FBytes.size()) return std::nullopt;
      if (Number(at, 4) != kPtInterp) continue;
      const auto offset = F64 ? Number(at + 8, 8) : Number(at + 4, 4);
      const auto size = F64 ? Number(at + 32, 8) : Number(at + 16, 4);
      if (!offset || !size || *size == 0 || *size > kInterpLimit) return std::nullopt;
      if (*offset > FBytes.size() || *size > FBytes.size() - *offset) return std::nullopt;
      std::string name(FBytes.substr(*offset, *size));
      name.resize(std::strlen(name.c_str()));  // up to its terminating zero
      return name;
    }
    return std::nullopt;
  }

 private:
  // `width` bytes at `at` in the file's byte order; nothing past the end.
  std::optional<std::uint64_t> Number(std::uint64_t at, int width) const {
    if (at > FBytes.size() || static_cast<std::uint64_t>(width) > FBytes.size() - at)
      return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
      const int index = FBig ? i : width - 1 - i;
      value = (value << 8) | static_cast<unsigned char>(FBytes[at + static_cast<unsigned>(index)]);
    }
    return value;
  }

  std::string_view FBytes;
  bool F64 = false;
  bool FBig = false;
};

// The kernel's rule (fs/binfmt_script.c): blanks and tabs after "#!", then the name up to
// the next blank, tab or the line's end.
std::optional<std::string> ShebangInterpreter(std::string_view head) {
  std::string_view line = head.substr(2, std::min(head.size(), kShebangLimit) - 2);
  line = line.substr(0, line.find('\n'));
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return std::nullopt;
  line.remove_prefix(start);
  return std::string(line.substr(0, line.find_first_of(" \t")));
}

}  // namespace

std::optional<std::string> ProgramInterpreter(std::string_view head) {
  std::optional<std::string> name;
  if (head.starts_with("#!"))
    name = ShebangInterpreter(head);
  else if (head.starts_with("\x7f"
                            "ELF"))
    name = TElfReader(head).Interpreter();
  if (!name || !name->starts_with('/')) return std::nullopt;
  return name;
}

std::optional<std::string> MissingInterpreter(const std::filesystem::path& program) {
  std::string head;
  try {
    head = ReadRegularFile(program, kProgramHeadBytes);
  } catch (const EFileOpenError&) {
    return std::nullopt;
  }
  auto interpreter = ProgramInterpreter(head);
  struct stat info {};
  if (!interpreter || ::stat(interpreter->c_str(), &info) == 0) return std::nullopt;
  return interpreter;
}

bool OnNoExecMount(const std::filesystem::path& file) {
  struct statvfs info {};
  return ::statvfs(file.c_str(), &info) == 0 && (info.f_flag & ST_NOEXEC) != 0;
}

}  // namespace fx
