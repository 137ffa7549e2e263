#include "platform/Shell.h"

#include "platform/CommandLine.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace fx {

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// Starting a detached process.
//
// The program is started by a grandchild: the child makes a new session and forks again, then
// exits at once and is reaped here, so the program belongs to init (or a subreaper) and never
// becomes our zombie, and gets no signal from our terminal. Between fork and exec only
// async-signal-safe calls are made, since the caller may have other threads (Qt has several).
// A close-on-exec pipe carries the reason back when chdir or exec fails; a successful exec
// closes it without a word.
//
// A watched start puts one more process between: the grandchild becomes the watcher, forks
// the program and waits for it a limited time, then writes how it stood into a second pipe
// and ends. It is init's (not our) child by then, so the caller reaps nothing and never
// waits: it reads the pipe when it becomes readable.

enum TChildStage : int { kStageFork = 1, kStageStdin, kStageChdir, kStageExec, kStageOutput };

// What a watched start adds; descriptors are -1 when unused.
struct TStartExtras {
  int OutputFd = -1;  // becomes the program's standard output and error
  int StatusFd = -1;  // write end of the watcher's pipe
  int WatchMs = 0;
  char* const* Environment = nullptr;  // the program's environment; null: ours
};

struct TChildFailure {
  int Stage;
  int Error;
};

// The report is two ints in our own byte order: both ends are this same program.
constexpr std::size_t kReportSize = 2 * sizeof(int);

[[noreturn]] void ReportAndExit(int pipeFd, TChildStage stage, int error) {
  const int stageValue = stage;
  char report[kReportSize];
  std::memcpy(report, &stageValue, sizeof(int));
  std::memcpy(report + sizeof(int), &error, sizeof(int));
  [[maybe_unused]] const ssize_t written = ::write(pipeFd, report, sizeof report);
  ::_exit(127);
}

void ResetSignals() {
  // Ignored signals and the blocked mask survive exec; the program should start as from a
  // terminal, not with whatever our process had chosen (SIGPIPE ignored, for example).
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  ::sigemptyset(&byDefault.sa_mask);
  for (int sig = 1; sig < NSIG; ++sig)
    ::sigaction(sig, &byDefault, nullptr);
}

void CloseInheritedDescriptorsOnExec() {
  // Descriptors the caller opened without close-on-exec (sockets, lock files) must not leak
  // into a game that may run for hours after we are gone.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
  struct rlimit limit {};
  rlim_t last = 4096;
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    last = std::min<rlim_t>(limit.rlim_cur, 65536);
  for (int fd = 3; fd < static_cast<int>(last); ++fd)
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

[[noreturn]] void RunProgram(int pipeFd, const char* program, char* const* argv,
                             const char* directory, const TStartExtras& extras) {
  const int outputFd = extras.OutputFd;
  ResetSignals();
  const int devNull = ::open("/dev/null", O_RDONLY);
  if (devNull < 0) ReportAndExit(pipeFd, kStageStdin, errno);
  if (devNull != STDIN_FILENO) {
    if (::dup2(devNull, STDIN_FILENO) < 0) ReportAndExit(pipeFd, kStageStdin, errno);
    ::close(devNull);
  }
  if (outputFd >= 0) {
    if (::dup2(outputFd, STDOUT_FILENO) < 0 || ::dup2(outputFd, STDERR_FILENO) < 0)
      ReportAndExit(pipeFd, kStageOutput, errno);
    ::close(outputFd);
  }
  if (directory != nullptr && ::chdir(directory) != 0) ReportAndExit(pipeFd, kStageChdir, errno);
  CloseInheritedDescriptorsOnExec();
  if (extras.Environment != nullptr)
    ::execve(program, argv, extras.Environment);
  else
    ::execv(program, argv);
  ReportAndExit(pipeFd, kStageExec, errno);
}

long MonotonicMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

TProgramEnd EndOf(int status) {
  if (WIFSIGNALED(status)) return {TProgramEndKind::Signalled, WTERMSIG(status)};
  return {TProgramEndKind::Exited, WEXITSTATUS(status)};
}

// Waits for `program` (our child) at most `ms`; async-signal-safe calls only. A pidfd wakes
// us when it ends; where the kernel has none, a short poll does.
TProgramEnd WaitWithin(pid_t program, int ms) {
  const long deadline = MonotonicMs() + ms;
  const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, program, 0));
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(program, &status, WNOHANG);
    if (ended == program) return EndOf(status);
    if (ended < 0 && errno != EINTR) return {TProgramEndKind::Unknown, 0};
    const long left = deadline - MonotonicMs();
    if (left <= 0) return {TProgramEndKind::StillRunning, 0};
    if (pidFd >= 0) {
      pollfd entry{pidFd, POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(left));
    } else {
      const timespec pause{0, 20 * 1000000L};
      ::nanosleep(&pause, nullptr);
    }
  }
}

[[noreturn]] void RunWatcher(int pipeFd, const char* program, char* const* argv,
                             const char* directory, const TStartExtras& extras) {
  // Our caller may close its end before we report; that must not kill us mid-write.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
  const pid_t game = ::fork();
  if (game < 0) ReportAndExit(pipeFd, kStageFork, errno);
  if (game == 0) {
    ::close(extras.StatusFd);
    RunProgram(pipeFd, program, argv, directory, extras);
  }
  // The caller learns of a failed exec from the program itself; our copies go.
  ::close(pipeFd);
  if (extras.OutputFd >= 0) ::close(extras.OutputFd);
  const TProgramEnd end = WaitWithin(game, extras.WatchMs);
  int report[2] = {static_cast<int>(end.Kind), end.Value};
  [[maybe_unused]] const ssize_t written = ::write(extras.StatusFd, report, sizeof report);
  ::_exit(0);
}

[[noreturn]] void RunIntermediate(int pipeFd, const char* program, char* const* argv,
                                  const char* directory, const TStartExtras& extras) {
  ::setsid();
  const pid_t grandchild = ::fork();
  if (grandchild < 0) ReportAndExit(pipeFd, kStageFork, errno);
  if (grandchild > 0) ::_exit(0);
  if (extras.StatusFd >= 0) RunWatcher(pipeFd, program, argv, directory, extras);
  RunProgram(pipeFd, program, argv, directory, extras);
}

int CodeForChildFailure(const TChildFailure& failure) {
  if (failure.Stage == kStageFork) return kShellOutOfMemory;
  if (failure.Stage == kStageStdin || failure.Stage == kStageOutput) return kShellNoAssociation;
  switch (failure.Error) {
    case ENOENT:
      return failure.Stage == kStageChdir ? kShellPathNotFound : kShellFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kShellPathNotFound;
    case EACCES:
    case EPERM:
    case ETXTBSY:
      return kShellAccessDenied;
    case ENOEXEC:
    case ELIBBAD:
      return kShellBadFormat;
    case ENOMEM:
    case EAGAIN:
      return kShellOutOfMemory;
    default:
      return kShellNoAssociation;
  }
}

// A pipe end that lands on 0, 1 or 2 (our caller closed its standard streams) would be
// overwritten by the child's /dev/null; move it out of the way.
int MoveAboveStandardStreams(int fd) {
  if (fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  ::close(fd);
  return moved;
}

class TPipe {
 public:
  bool Open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    FRead = MoveAboveStandardStreams(fds[0]);
    FWrite = MoveAboveStandardStreams(fds[1]);
    return FRead >= 0 && FWrite >= 0;
  }
  ~TPipe() {
    CloseRead();
    CloseWrite();
  }
  TPipe() = default;
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;

  int ReadEnd() const { return FRead; }
  int WriteEnd() const { return FWrite; }
  void CloseRead() { Close(FRead); }
  void CloseWrite() { Close(FWrite); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int FRead = -1;
  int FWrite = -1;
};

// True when the child side reported a failure; end of file without a report means exec worked.
bool ReadChildFailure(int fd, TChildFailure& failure) {
  char report[kReportSize];
  std::size_t got = 0;
  while (got < sizeof report) {
    const ssize_t n = ::read(fd, report + got, sizeof report - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got != sizeof report) return false;
  std::memcpy(&failure.Stage, report, sizeof(int));
  std::memcpy(&failure.Error, report + sizeof(int), sizeof(int));
  return true;
}

void Reap(pid_t child) {
  int status = 0;
  // ECHILD is fine: a caller that ignores SIGCHLD has the kernel reap it for us.
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

// With a status pipe in `extras`, its write end is closed here and `watch` gets the read end
// (non-blocking) when the start worked.
int StartDetached(const fs::path& program, std::vector<std::string> args,
                  const std::string& directory, const TStartExtras& extras = {},
                  TPipe* status = nullptr) {
  // Everything the child needs is prepared here: it may not allocate.
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const char* dir = directory.empty() ? nullptr : directory.c_str();

  TPipe pipe;
  if (!pipe.Open()) return kShellOutOfMemory;
  const pid_t child = ::fork();
  if (child < 0) return kShellOutOfMemory;
  if (child == 0) RunIntermediate(pipe.WriteEnd(), program.c_str(), argv.data(), dir, extras);
  pipe.CloseWrite();
  if (status != nullptr) status->CloseWrite();
  Reap(child);
  TChildFailure failure{};
  if (ReadChildFailure(pipe.ReadEnd(), failure)) return CodeForChildFailure(failure);
  return kShellSuccess;
}

// ---------------------------------------------------------------------------------------------
// Deciding what to do with a file.

bool IsOpenVerb(const std::string& verb) {
  static constexpr std::string_view kOpen = "open";
  return verb.empty() ||
         std::equal(verb.begin(), verb.end(), kOpen.begin(), kOpen.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

// "https://...", "ftp://...", "mailto:...": the about box opens its links through the shell.
// A scheme needs two letters at least, so "C:\..." stays a path.
bool IsAddress(const std::string& file) {
  std::size_t i = 0;
  while (i < file.size() && (std::isalnum(static_cast<unsigned char>(file[i])) || file[i] == '+' ||
                             file[i] == '-' || file[i] == '.'))
    ++i;
  if (i < 2 || i >= file.size() || file[i] != ':') return false;
  if (!std::isalpha(static_cast<unsigned char>(file[0]))) return false;
  const std::string_view rest = std::string_view(file).substr(i);
  std::string scheme = file.substr(0, i);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return rest.starts_with("://") || scheme == "mailto";
}

bool IsExistingDirectory(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// 0 when the working folder is usable (or not given), else the failure code.
int CheckWorkingDirectory(const std::string& directory) {
  if (directory.empty()) return 0;
  struct stat st {};
  if (::stat(directory.c_str(), &st) != 0)
    return errno == EACCES ? kShellAccessDenied : kShellPathNotFound;
  return S_ISDIR(st.st_mode) ? 0 : kShellPathNotFound;
}

int CodeForMissingFile(const fs::path& file, int error) {
  if (error == EACCES) return kShellAccessDenied;
  if (error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP) return kShellPathNotFound;
  return IsExistingDirectory(file.parent_path()) ? kShellFileNotFound : kShellPathNotFound;
}

bool MayDo(const fs::path& file, int mode) {
  return ::faccessat(AT_FDCWD, file.c_str(), mode, AT_EACCESS) == 0;
}

// An ELF binary, a script or a Windows program that lost its execute bit (copied from a FAT
// drive or unpacked by a tool that drops modes): the user meant to run it, so a refusal to open
// it as a document is reported as "access denied", not as "no application".
bool LooksLikeProgram(const fs::path& file) {
  std::string head;
  try {
    head = ReadRegularFile(file, 4);
  } catch (const EFileOpenError&) {
    return false;
  }
  const std::string_view start(head);
  return start.starts_with(
             "\x7f"
             "ELF") ||
         start.starts_with("#!") || start.starts_with("MZ");
}

fs::path FindOnPath(std::string_view name) {
  const char* env = std::getenv("PATH");
  const std::string_view path = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= path.size()) {
    const std::size_t end = std::min(path.find(':', begin), path.size());
    const fs::path folder(path.substr(begin, end - begin));
    const fs::path candidate = (folder.empty() ? fs::path(".") : folder) / name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && MayDo(candidate, X_OK)) {
      std::error_code ec;
      const fs::path absolute = fs::absolute(candidate, ec);
      return ec ? candidate : absolute;
    }
    begin = end + 1;
  }
  return {};
}

fs::path ResolveFile(const std::string& file, const std::string& directory) {
  fs::path path(file);
  if (path.is_relative() && !directory.empty()) path = fs::path(directory) / path;
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute;
}

std::string AbsoluteDirectory(const std::string& directory) {
  if (directory.empty()) return directory;
  std::error_code ec;
  const fs::path absolute = fs::absolute(directory, ec);
  return ec ? directory : absolute.string();
}

std::mutex& OpenerMutex() {
  static std::mutex mutex;
  return mutex;
}

TDocumentOpener& InstalledOpener() {
  static TDocumentOpener opener;
  return opener;
}

// kShellSuccess, kShellNoAssociation when nothing takes the target, or why xdg-open failed.
int OpenDocument(const TDocumentOpener& opener, const std::string& target,
                 const std::string& directory) {
  if (opener) {
    try {
      return opener(target) ? kShellSuccess : kShellNoAssociation;
    } catch (...) {
      return kShellNoAssociation;
    }
  }
  const fs::path xdgOpen = FindOnPath("xdg-open");
  if (xdgOpen.empty()) return kShellNoAssociation;
  return StartDetached(xdgOpen, {xdgOpen.string(), target}, directory);
}

// Starts a program with its arguments (the path first, as argv[0]).
using TProgramStarter = std::function<int(const fs::path& program, std::vector<std::string> args,
                                          const std::string& workDir)>;

int Open(const TDocumentOpener& opener, const std::string& file,
         const std::function<std::vector<std::string>()>& arguments, const std::string& directory,
         const TProgramStarter& start) {
  if (IsAddress(file)) return OpenDocument(opener, file, {});
  if (file.empty()) return kShellFileNotFound;
  if (const int bad = CheckWorkingDirectory(directory); bad != 0) return bad;

  const fs::path path = ResolveFile(file, directory);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return CodeForMissingFile(path, errno);
  const std::string workDir = AbsoluteDirectory(directory);

  const bool regular = S_ISREG(st.st_mode);
  if (regular && MayDo(path, X_OK)) {
    std::vector<std::string> args = arguments();
    args.insert(args.begin(), path.string());
    return start(path, std::move(args), workDir);
  }
  if (regular && !MayDo(path, R_OK)) return kShellAccessDenied;
  const int result = OpenDocument(opener, path.string(), workDir);
  if (result == kShellNoAssociation && regular && LooksLikeProgram(path)) return kShellAccessDenied;
  return result;
}

}  // namespace

void SetDocumentOpener(TDocumentOpener opener) {
  const std::lock_guard lock(OpenerMutex());
  InstalledOpener() = std::move(opener);
}

TShell::TShell(TDocumentOpener opener) : FOpener(std::move(opener)) {}

int TShell::Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& directory) const {
  try {
    if (!IsOpenVerb(verb)) return kShellNoAssociation;
    return Open(
        FOpener, file, [&parameters] { return SplitCommandLine(parameters); }, directory,
        [](const fs::path& program, std::vector<std::string> args, const std::string& workDir) {
          return StartDetached(program, std::move(args), workDir);
        });
  } catch (const std::bad_alloc&) {
    return kShellOutOfMemory;
  } catch (...) {
    return kShellNoAssociation;
  }
}

namespace {

TDocumentOpener CurrentOpener() {
  const std::lock_guard lock(OpenerMutex());
  return InstalledOpener();
}

}  // namespace

int ShellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                 const std::string& directory) {
  try {
    return TShell(CurrentOpener()).Execute(verb, file, parameters, directory);
  } catch (...) {
    return kShellOutOfMemory;
  }
}

namespace {

// Our environment with `changes` set on top, as "NAME=value" texts. Made before the fork,
// since the child may not allocate.
std::vector<std::string> EnvironmentWith(const TEnvironment& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    if (std::none_of(changes.begin(), changes.end(),
                     [name](const auto& change) { return change.first == name; }))
      entries.emplace_back(text);
  }
  for (auto change = changes.begin(); change != changes.end(); ++change) {
    const auto later = std::find_if(
        change + 1, changes.end(), [&](const auto& other) { return other.first == change->first; });
    if (later == changes.end()) entries.push_back(change->first + "=" + change->second);
  }
  return entries;
}

// The start of a program with output file, watch and environment; the descriptors live
// until it returns.
int StartWithExtras(const fs::path& program, std::vector<std::string> args,
                    const std::string& workDir, const TProgramStartOptions& options,
                    TProgramWatch& watch) {
  TStartExtras extras;
  std::vector<std::string> environment;
  std::vector<char*> envp;
  if (!options.Environment.empty()) {
    environment = EnvironmentWith(options.Environment);
    for (std::string& entry : environment)
      envp.push_back(entry.data());
    envp.push_back(nullptr);
    extras.Environment = envp.data();
  }
  int outputFd = -1;
  if (!options.OutputFile.empty()) {
    try {
      outputFd = OpenRegularFile(options.OutputFile, O_WRONLY | O_CREAT | O_TRUNC).Release();
    } catch (const EFileOpenError&) {
      // The program still starts, writing where we do.
    }
  }
  extras.OutputFd = outputFd >= 0 ? MoveAboveStandardStreams(outputFd) : -1;
  TPipe status;
  const bool watched = options.Watch.count() > 0 && status.Open();
  if (watched) {
    extras.StatusFd = status.WriteEnd();
    extras.WatchMs = static_cast<int>(options.Watch.count());
  }
  const int result =
      StartDetached(program, std::move(args), workDir, extras, watched ? &status : nullptr);
  if (extras.OutputFd >= 0) ::close(extras.OutputFd);
  if (watched && ShellSucceeded(result)) {
    const int readEnd = ::fcntl(status.ReadEnd(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (readEnd >= 0) {
      ::fcntl(readEnd, F_SETFL, ::fcntl(readEnd, F_GETFL) | O_NONBLOCK);
      watch = TProgramWatch(readEnd);
    }
  }
  return result;
}

}  // namespace

TProgramStart StartProgram(const std::string& file, const std::vector<std::string>& arguments,
                           const std::string& directory, const TProgramStartOptions& options) {
  TProgramStart started;
  try {
    started.Result = Open(
        CurrentOpener(), file, [&arguments] { return arguments; }, directory,
        [&](const fs::path& program, std::vector<std::string> args, const std::string& workDir) {
          return StartWithExtras(program, std::move(args), workDir, options, started.Watch);
        });
  } catch (const std::bad_alloc&) {
    started.Result = kShellOutOfMemory;
  } catch (...) {
    started.Result = kShellNoAssociation;
  }
  return started;
}

}  // namespace fx
