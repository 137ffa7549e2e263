// A program that exists but cannot run: its interpreter or loader is missing, or it lies on
// a noexec mount. What the kernel answers is taken from real starts.

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "exes/StartCheck.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/ProgramInterpreter.h"
#include "platform/RegularFile.h"
#include "platform/Shell.h"

namespace fx {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMusl = "/lib/ld-musl-x86_64.so.1";

void Put(std::string& bytes, std::size_t at, std::uint64_t value, int width, bool big) {
  for (int i = 0; i < width; ++i) {
    const int shift = 8 * (big ? width - 1 - i : i);
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
  }
}

// An x86-64 (or 32-bit big-endian) ELF program whose only program header is a PT_INTERP
// naming `loader`, laid out as the System V ABI gives it.
std::string ElfWithLoader(const std::string& loader, bool is64 = true, bool big = false) {
  const std::size_t header = is64 ? 64 : 52;
  const std::size_t entry = is64 ? 56 : 32;
  std::string bytes(header + entry, '\0');
  bytes.replace(0, 4,
                "\x7f"
                "ELF");
  bytes[4] = is64 ? 2 : 1;
  bytes[5] = big ? 2 : 1;
  bytes[6] = 1;
  Put(bytes, 16, 2, 2, big);                                             // ET_EXEC
  Put(bytes, 18, is64 ? 0x3e : 8, 2, big);                               // EM_X86_64, EM_MIPS
  Put(bytes, 20, 1, 4, big);                                             // EV_CURRENT
  Put(bytes, is64 ? 32 : 28, header, is64 ? 8 : 4, big);                 // e_phoff
  Put(bytes, is64 ? 52 : 40, header, 2, big);                            // e_ehsize
  Put(bytes, is64 ? 54 : 42, entry, 2, big);                             // e_phentsize
  Put(bytes, is64 ? 56 : 44, 1, 2, big);                                 // e_phnum
  Put(bytes, header, 3, 4, big);                                         // PT_INTERP
  Put(bytes, header + (is64 ? 8 : 4), bytes.size(), is64 ? 8 : 4, big);  // p_offset
  Put(bytes, header + (is64 ? 32 : 16), loader.size() + 1, is64 ? 8 : 4, big);  // p_filesz
  return bytes + loader + '\0';
}

TEST(ProgramInterpreterTest, ReadsTheShebangLineAndTheElfLoaderBounded) {
  const std::string elf = ElfWithLoader(kMusl);
  struct TCase {
    const char* Name;
    std::string Head;
    std::optional<std::string> Interpreter;
  };
  const TCase cases[] = {
      {"a shell script", "#!/bin/sh\necho\n", "/bin/sh"},
      {"blanks and an argument", "#! \t/usr/bin/env python3\n", "/usr/bin/env"},
      {"a line without a name", "#!   \n", std::nullopt},
      {"a relative name", "#!sh\n", std::nullopt},
      {"a 64-bit program", elf, kMusl},
      {"a 32-bit big-endian program", ElfWithLoader("/lib/ld.so.1", false, true), "/lib/ld.so.1"},
      {"a cut-off loader name", elf.substr(0, elf.size() - 5), std::nullopt},
      {"a cut-off header", elf.substr(0, 40), std::nullopt},
      {"a program header past the end",
       [&] {
         std::string far = elf;
         Put(far, 32, 1U << 30, 8, false);
         return far;
       }(),
       std::nullopt},
      {"a static program", elf.substr(0, 64) + std::string(56, '\0'), std::nullopt},
      {"neither", "MZ\x90", std::nullopt},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ProgramInterpreter(c.Head), c.Interpreter) << c.Name;
  // A real dynamic program of this system names a loader that exists.
  const auto own = ProgramInterpreter(ReadRegularFile("/bin/ls", kProgramHeadBytes));
  ASSERT_TRUE(own.has_value());
  EXPECT_TRUE(fs::exists(*own)) << *own;
}

TEST(ProgramInterpreterTest, AMissingInterpreterIsSaidBeforeAndAfterTheStart) {
  test::TTempDir temp;
  struct TCase {
    const char* Name;
    std::string Bytes;
    std::string Interpreter;
  };
  const TCase cases[] = {
      {"a script", "#!/nonexistent/interp\n", "/nonexistent/interp"},
      {"a musl engine without its loader", ElfWithLoader(kMusl), kMusl},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path engine = temp / "engine";
    test::WriteFileBytes(engine, c.Bytes);
    fs::permissions(engine, fs::perms::owner_all);
    TExeStart start;
    start.File = engine.string();
    const std::string said = "The program's interpreter " + c.Interpreter + " does not exist";
    const auto problem = CheckStart(start);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->Reason, said);
    EXPECT_FALSE(problem->Missing);
    // The kernel's answer: ENOENT, as for a missing program file.
    const int result = StartProgram(engine.string(), {}, "", {}).Result;
    EXPECT_EQ(result, kShellFileNotFound);
    EXPECT_EQ(StartFailure(start, result).Reason, said);
  }
}

// Runs `check` in a child inside its own user and mount namespace, with a noexec tmpfs
// mounted at `folder`; its exit status is the number of failed expectations, 77 when
// namespaces are not available here.
int InNoExecMount(const fs::path& folder, bool (*check)(const fs::path&)) {
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  const pid_t child = ::fork();
  if (child == 0) {
    // Files made by an unmapped user would fail with EOVERFLOW: we stay ourselves inside.
    const auto write = [](const char* file, const std::string& text) {
      try {
        WriteRegularFile(file, text);
        return true;
      } catch (const EFileOpenError&) {
        return false;
      }
    };
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !write("/proc/self/setgroups", "deny") ||
        !write("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
        !write("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1") ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOEXEC, nullptr) != 0)
      ::_exit(77);
    ::_exit(check(folder) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

bool NoExecIsSaid(const fs::path& folder) {
  const fs::path engine = folder / "engine";
  test::WriteFileBytes(engine, "#!/bin/sh\nexit 0\n");
  fs::permissions(engine, fs::perms::owner_all);
  TExeStart start;
  start.File = engine.string();
  const auto problem = CheckStart(start);
  const int result = StartProgram(engine.string(), {}, "", {}).Result;
  const std::string reason = StartFailure(start, result).Reason;
  return problem && problem->Reason.starts_with("It lies on a file system mounted with noexec") &&
         result == kShellAccessDenied && reason == problem->Reason;
}

TEST(ProgramInterpreterTest, AProgramOnANoExecMountIsSaidToBeThere) {
  test::TTempDir temp;
  fs::create_directories(temp / "mnt");
  const int failed = InNoExecMount(temp / "mnt", NoExecIsSaid);
  if (failed == 77) GTEST_SKIP() << "no user and mount namespaces here";
  EXPECT_EQ(failed, 0);
  EXPECT_FALSE(OnNoExecMount(temp.Path()));
}

}  // namespace
}  // namespace fx
