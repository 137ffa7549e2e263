#pragma once

// What the kernel needs besides a program's own file to run it: the interpreter a script's
// "#!" line names, or the loader an ELF program's PT_INTERP header names (a musl or 32-bit
// engine without its loader). exec() says ENOENT when that is missing, as if the program
// itself were; this tells the two apart.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace fx {

// The interpreter the program's first bytes name, or nothing (a static program, no "#!"
// line, a damaged or cut-off header, a name that is not an absolute path). `head` is the
// start of the file; kProgramHeadBytes of it are enough for every program we have seen.
inline constexpr std::size_t kProgramHeadBytes = 64 * 1024;
std::optional<std::string> ProgramInterpreter(std::string_view head);

// ProgramInterpreter of the file (which is read through ReadRegularFile), when that
// interpreter does not exist; nothing otherwise or when the file cannot be read.
std::optional<std::string> MissingInterpreter(const std::filesystem::path& program);

// Whether the file lies on a file system mounted with noexec, where no program may run.
bool OnNoExecMount(const std::filesystem::path& file);

}  // namespace fx
