#include "platform/Shell.h"

#include "fixtures/EnvOverride.h"
#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TEnvOverride;
using test::TTempDir;
using test::WriteFileBytes;

constexpr auto kExecutable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec;
constexpr auto kReadOnly =
    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;

void WriteFileWithMode(const fs::path& file, const std::string& bytes, fs::perms mode) {
  WriteFileBytes(file, bytes);
  fs::permissions(file, mode);
}

// What the recording program saw, read back from its report file.
struct TReport {
  std::string Program;  // $0: the path that was executed
  std::string Folder;   // pwd -P
  std::string Stdin;    // where fd 0 points
  std::string ParentPid;
  std::string Session;
  std::string Descriptors;  // the open descriptors, blank-separated
  std::vector<std::string> Args;
};

// A small program that records its arguments (NUL-separated, so blanks and line breaks are
// unambiguous), working folder, standard input, parent, session and open descriptors. The
// report is renamed into place, so it is complete once it exists.
fs::path WriteRecorder(const fs::path& file, const fs::path& report) {
  const std::string script =
      "#!/bin/sh\n"
      "out='" +
      report.string() +
      "'\n"
      "{\n"
      "  printf '%s\\n' \"$0\"\n"
      "  pwd -P\n"
      "  readlink /proc/self/fd/0\n"
      "  echo \"$PPID\"\n"
      "  cut -d' ' -f6 /proc/$$/stat\n"
      "  echo $(ls /proc/$$/fd)\n"
      "  echo \"$#\"\n"
      "  [ $# -gt 0 ] && printf '%s\\0' \"$@\"\n"
      "} > \"$out.tmp\"\n"
      "mv \"$out.tmp\" \"$out\"\n";
  WriteFileWithMode(file, script, kExecutable);
  return file;
}

std::optional<TReport> WaitForReport(const fs::path& report) {
  // The program runs on its own; give it a bounded time to write.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(report)) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::istringstream in(ReadFileBytes(report));
  TReport r;
  std::string count;
  std::getline(in, r.Program);
  std::getline(in, r.Folder);
  std::getline(in, r.Stdin);
  std::getline(in, r.ParentPid);
  std::getline(in, r.Session);
  std::getline(in, r.Descriptors);
  std::getline(in, count);
  for (int i = 0; i < std::stoi(count); ++i) {
    std::string arg;
    std::getline(in, arg, '\0');
    r.Args.push_back(arg);
  }
  return r;
}

bool HasDescriptor(const TReport& report, int fd) {
  std::istringstream in(report.Descriptors);
  std::string word;
  while (in >> word)
    if (word == std::to_string(fd)) return true;
  return false;
}

// Records what the document opener was given and answers as told.
struct TRecordingOpener {
  std::vector<std::string> Calls;
  bool Answer = true;

  TDocumentOpener Opener() {
    return [this](const std::string& pathOrUrl) {
      Calls.push_back(pathOrUrl);
      return Answer;
    };
  }
};

class ShellStartTest : public ::testing::Test {
 protected:
  TTempDir FDir;
  fs::path FReport = FDir / "report";
  fs::path FProgram = WriteRecorder(FDir / "recorder.sh", FReport);
  TRecordingOpener FOpener;
  TShell FShell{FOpener.Opener()};
};

TEST_F(ShellStartTest, ArgumentsArriveLiterallyWithoutAShell) {
  const std::string parameters =
      R"(plain "two words" C:\Quake\id1 "quo\"te" a\\\"b "" ; $HOME `id` $(id) | & > < * ? ')"
      "'x' %PATH% \"new\nline\" \"a\"\"b\"";
  ASSERT_EQ(FShell.Execute("open", FProgram.string(), parameters, ""), kShellSuccess);

  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report) << "the program did not run";
  const std::vector<std::string> expected = {"plain",     "two words", R"(C:\Quake\id1)",
                                             R"(quo"te)", R"(a\"b)",   "",
                                             ";",         "$HOME",     "`id`",
                                             "$(id)",     "|",         "&",
                                             ">",         "<",         "*",
                                             "?",         "''x'",      "%PATH%",
                                             "new\nline", R"(a"b)"};
  EXPECT_EQ(report->Args, expected);
  EXPECT_TRUE(FOpener.Calls.empty());
}

TEST_F(ShellStartTest, NoParametersGiveNoArguments) {
  ASSERT_EQ(FShell.Execute("open", FProgram.string(), "  ", ""), kShellSuccess);
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_TRUE(report->Args.empty());
}

TEST_F(ShellStartTest, RunsInTheGivenWorkingFolder) {
  const fs::path work = FDir / "game folder";
  fs::create_directory(work);
  ASSERT_EQ(FShell.Execute("open", FProgram.string(), "", work.string()), kShellSuccess);
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Folder, fs::canonical(work).string());
}

TEST_F(ShellStartTest, EmptyWorkingFolderKeepsOurs) {
  ASSERT_EQ(FShell.Execute("open", FProgram.string(), "", ""), kShellSuccess);
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Folder, fs::canonical(fs::current_path()).string());
}

TEST_F(ShellStartTest, RelativeFileIsTakenFromTheWorkingFolder) {
  const fs::path bin = FDir / "bin";
  WriteRecorder(bin / "quake.sh", FReport);
  // A relative working folder works too: both are made absolute before the program runs.
  const auto previous = fs::current_path();
  fs::current_path(FDir.Path());
  const int result = FShell.Execute("open", "quake.sh", "-x", "bin");
  fs::current_path(previous);

  ASSERT_EQ(result, kShellSuccess);
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(fs::canonical(report->Program), fs::canonical(bin / "quake.sh"));
  EXPECT_EQ(report->Folder, fs::canonical(bin).string());
  EXPECT_EQ(report->Args, std::vector<std::string>{"-x"});
}

TEST_F(ShellStartTest, ProgramIsDetachedFromUs) {
  // A descriptor we opened without close-on-exec must not reach the program.
  const int original = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int leaked = ::fcntl(original, F_DUPFD, 150);
  ::close(original);
  ASSERT_GE(leaked, 150);

  const int result = FShell.Execute("open", FProgram.string(), "", "");
  // The go-between child is already reaped, and the program is not our child.
  errno = 0;
  const pid_t waited = ::waitpid(-1, nullptr, WNOHANG);
  const int waitError = errno;
  ::close(leaked);

  ASSERT_EQ(result, kShellSuccess);
  EXPECT_EQ(waited, -1);
  EXPECT_EQ(waitError, ECHILD) << "a child of ours is left behind";
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Stdin, "/dev/null");
  EXPECT_NE(report->ParentPid, std::to_string(::getpid()));
  EXPECT_NE(report->Session, std::to_string(::getsid(0)));
  EXPECT_FALSE(HasDescriptor(*report, leaked)) << report->Descriptors;
}

TEST_F(ShellStartTest, ReturnsWhileTheProgramRuns) {
  const fs::path pidFile = FDir / "pid";
  const fs::path longRunner = FDir / "long.sh";
  WriteFileWithMode(longRunner,
                    "#!/bin/sh\necho $$ > '" + pidFile.string() + ".tmp'\nmv '" + pidFile.string() +
                        ".tmp' '" + pidFile.string() + "'\nexec sleep 60 >/dev/null 2>&1\n",
                    kExecutable);
  ASSERT_EQ(FShell.Execute("open", longRunner.string(), "", ""), kShellSuccess);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(pidFile) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(fs::exists(pidFile));
  const pid_t pid = std::stoi(ReadFileBytes(pidFile));
  EXPECT_EQ(::kill(pid, 0), 0) << "the program should still be running";
  ::kill(pid, SIGKILL);
}

TEST_F(ShellStartTest, AStartedProgramGetsOurEnvironmentWithTheGivenVariablesOnTop) {
  const TEnvOverride kept("FX_KEPT", "ours");
  const TEnvOverride replaced("FX_REPLACED", "ours");
  const fs::path seen = FDir / "seen";
  WriteFileWithMode(FDir / "env.sh",
                    "#!/bin/sh\nprintf '%s|%s|%s' \"$FX_KEPT\" \"$FX_REPLACED\" \"$FX_NEW\" > '" +
                        seen.string() + ".tmp'\nmv '" + seen.string() + ".tmp' '" + seen.string() +
                        "'\n",
                    kExecutable);
  TProgramStartOptions options;
  options.Environment = {{"FX_REPLACED", "first"}, {"FX_NEW", "a b"}, {"FX_REPLACED", "theirs"}};
  ASSERT_EQ(StartProgram((FDir / "env.sh").string(), {}, "", options).Result, kShellSuccess);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(seen) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadFileBytes(seen), "ours|theirs|a b");
}

TEST_F(ShellStartTest, OpenVerbIgnoresCaseAndEmptyMeansOpen) {
  EXPECT_EQ(FShell.Execute("", FProgram.string(), "empty", ""), kShellSuccess);
  const auto first = WaitForReport(FReport);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Args, std::vector<std::string>{"empty"});
  fs::remove(FReport);

  EXPECT_EQ(FShell.Execute("Open", FProgram.string(), "upper", ""), kShellSuccess);
  const auto second = WaitForReport(FReport);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Args, std::vector<std::string>{"upper"});
}

TEST_F(ShellStartTest, OtherVerbsStartNothing) {
  EXPECT_EQ(FShell.Execute("print", FProgram.string(), "", ""), kShellNoAssociation);
  EXPECT_EQ(FShell.Execute("runas", FProgram.string(), "", ""), kShellNoAssociation);
  EXPECT_EQ(FShell.Execute("edit", (FDir / "x.txt").string(), "", ""), kShellNoAssociation);
  EXPECT_TRUE(FOpener.Calls.empty());
  EXPECT_FALSE(fs::exists(FReport));
}

// The same recorder, for the ways a start can fail.
class ShellFailureTest : public ShellStartTest {};

TEST_F(ShellFailureTest, MissingFileIsFileNotFound) {
  EXPECT_EQ(FShell.Execute("open", (FDir / "quake").string(), "", ""), kShellFileNotFound);
  EXPECT_EQ(FShell.Execute("open", "quake", "", FDir.Path().string()), kShellFileNotFound);
  EXPECT_EQ(FShell.Execute("open", "", "", FDir.Path().string()), kShellFileNotFound);
  EXPECT_TRUE(FOpener.Calls.empty());
}

TEST_F(ShellFailureTest, MissingFolderIsPathNotFound) {
  const fs::path missing = FDir / "missing";
  EXPECT_EQ(FShell.Execute("open", (missing / "quake").string(), "", ""), kShellPathNotFound);
  EXPECT_EQ(FShell.Execute("open", FProgram.string(), "", missing.string()), kShellPathNotFound);
  // A working folder that is a file is no folder either.
  EXPECT_EQ(FShell.Execute("open", FProgram.string(), "", FProgram.string()), kShellPathNotFound);
  EXPECT_EQ(FShell.Execute("open", (FProgram / "x").string(), "", ""), kShellPathNotFound);
  EXPECT_FALSE(fs::exists(FReport));
}

TEST_F(ShellFailureTest, ExecutableTextWithoutInterpreterLineIsBadFormat) {
  // A shell would run this; we never hand anything to a shell.
  const fs::path marker = FDir / "marker";
  const fs::path noHashBang = FDir / "run.sh";
  WriteFileWithMode(noHashBang, "touch '" + marker.string() + "'\n", kExecutable);
  EXPECT_EQ(FShell.Execute("open", noHashBang.string(), "", ""), kShellBadFormat);
  EXPECT_FALSE(fs::exists(marker));
}

// Failures after the fork travel back through the pipe.
TEST_F(ShellFailureTest, MissingInterpreterIsFileNotFound) {
  const fs::path noInterpreter = FDir / "broken.sh";
  WriteFileWithMode(noInterpreter, "#!/nonexistent/interpreter\n", kExecutable);
  EXPECT_EQ(FShell.Execute("open", noInterpreter.string(), "", ""), kShellFileNotFound);
}

TEST_F(ShellFailureTest, WorkingFolderWeMayNotEnterIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may enter any folder";
  const fs::path locked = FDir / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(FShell.Execute("open", FProgram.string(), "", locked.string()), kShellAccessDenied);
  EXPECT_FALSE(fs::exists(FReport));
}

class ShellDocumentTest : public ShellFailureTest {};

TEST_F(ShellDocumentTest, DocumentGoesToTheOpenerWithItsAbsolutePath) {
  const fs::path docs = FDir / "my docs";
  WriteFileWithMode(docs / "readme.txt", "text\n", kReadOnly);
  EXPECT_EQ(FShell.Execute("open", "readme.txt", "-ignored params", docs.string()), kShellSuccess);
  EXPECT_EQ(FOpener.Calls, std::vector<std::string>{(docs / "readme.txt").string()});
}

TEST_F(ShellDocumentTest, FolderGoesToTheOpener) {
  const fs::path maps = FDir / "maps";
  fs::create_directory(maps);
  EXPECT_EQ(FShell.Execute("open", maps.string(), "", ""), kShellSuccess);
  EXPECT_EQ(FOpener.Calls, std::vector<std::string>{maps.string()});
}

TEST_F(ShellDocumentTest, AddressGoesToTheOpenerUnchanged) {
  const std::vector<std::string> addresses = {"https://example.org/a b?x=1&y=$2",
                                              "ftp://example.org/", "mailto:someone@example.org"};
  for (const auto& address : addresses)
    EXPECT_EQ(FShell.Execute("open", address, "", ""), kShellSuccess) << address;
  EXPECT_EQ(FOpener.Calls, addresses);
  // A drive letter is no scheme.
  EXPECT_EQ(FShell.Execute("open", "C:\\quake.exe", "", FDir.Path().string()), kShellFileNotFound);
  EXPECT_EQ(FOpener.Calls.size(), addresses.size());
}

TEST_F(ShellDocumentTest, RefusedDocumentIsAFailure) {
  WriteFileWithMode(FDir / "readme.txt", "text\n", kReadOnly);
  FOpener.Answer = false;
  const int result = FShell.Execute("open", (FDir / "readme.txt").string(), "", "");
  EXPECT_FALSE(ShellSucceeded(result));
  EXPECT_EQ(result, kShellNoAssociation);
  EXPECT_EQ(FOpener.Calls.size(), 1u);
}

TEST_F(ShellDocumentTest, ProgramWithoutExecuteBitIsAccessDenied) {
  // What a game copied from a FAT drive looks like: a program that lost its execute bit.
  WriteFileWithMode(FDir / "quake",
                    std::string("\x7f"
                                "ELF\x02\x01\x01",
                                7) +
                        std::string(57, '\0'),
                    kReadOnly);
  WriteFileWithMode(FDir / "tool.sh", "#!/bin/sh\necho hi\n", kReadOnly);
  FOpener.Answer = false;
  EXPECT_EQ(FShell.Execute("open", (FDir / "quake").string(), "", ""), kShellAccessDenied);
  EXPECT_EQ(FShell.Execute("open", (FDir / "tool.sh").string(), "", ""), kShellAccessDenied);
  // The desktop had its chance: it may know how to run such a file.
  EXPECT_EQ(FOpener.Calls.size(), 2u);
}

TEST_F(ShellDocumentTest, ThrowingOpenerIsAFailureNotAnException) {
  WriteFileWithMode(FDir / "readme.txt", "text\n", kReadOnly);
  const TShell shell([](const std::string&) -> bool { throw std::runtime_error("no desktop"); });
  EXPECT_EQ(shell.Execute("open", (FDir / "readme.txt").string(), "", ""), kShellNoAssociation);
}

TEST_F(ShellDocumentTest, UnreadableDocumentIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  WriteFileWithMode(FDir / "secret.txt", "text\n", fs::perms::owner_write);
  EXPECT_EQ(FShell.Execute("open", (FDir / "secret.txt").string(), "", ""), kShellAccessDenied);
  EXPECT_TRUE(FOpener.Calls.empty());
}

TEST_F(ShellDocumentTest, ShellExecuteUsesTheInstalledOpener) {
  WriteFileWithMode(FDir / "readme.txt", "text\n", kReadOnly);
  SetDocumentOpener(FOpener.Opener());
  const int result = ShellExecute("open", (FDir / "readme.txt").string(), "", "");
  FOpener.Answer = false;
  const int refused = ShellExecute("open", (FDir / "readme.txt").string(), "", "");
  SetDocumentOpener({});

  EXPECT_EQ(result, kShellSuccess);
  EXPECT_EQ(refused, kShellNoAssociation);
  EXPECT_EQ(FOpener.Calls.size(), 2u);
}

TEST_F(ShellDocumentTest, WithoutAnOpenerXdgOpenFromPathTakesTheDocument) {
  const fs::path tools = FDir / "tools";
  WriteRecorder(tools / "xdg-open", FReport);
  const fs::path docs = FDir / "docs";
  WriteFileWithMode(docs / "readme.txt", "text\n", kReadOnly);
  const char* oldPath = std::getenv("PATH");
  const TEnvOverride path("PATH",
                          "/nonexistent:" + tools.string() + ":" + (oldPath ? oldPath : "/bin"));

  EXPECT_EQ(ShellExecute("open", "readme.txt", "ignored", docs.string()), kShellSuccess);
  const auto report = WaitForReport(FReport);
  ASSERT_TRUE(report) << "xdg-open was not started";
  EXPECT_EQ(report->Args, std::vector<std::string>{(docs / "readme.txt").string()});
}

TEST_F(ShellDocumentTest, WithoutAnOpenerOrXdgOpenNothingOpens) {
  WriteFileWithMode(FDir / "readme.txt", "text\n", kReadOnly);
  const fs::path empty = FDir / "empty";
  fs::create_directory(empty);
  const TEnvOverride path("PATH", empty.string());
  EXPECT_EQ(ShellExecute("open", (FDir / "readme.txt").string(), "", ""), kShellNoAssociation);
}

}  // namespace
}  // namespace fx
