#include "platform/RegFileStore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/RegFile.h"
#include "platform/RegularFile.h"

namespace fx {

namespace fs = std::filesystem;

namespace {

constexpr auto kLockPollInterval = std::chrono::milliseconds(10);

std::string SystemError(int error) {
  return std::strerror(error);
}

[[noreturn]] void Throw(const std::string& what, const fs::path& path, int error) {
  throw ERegistryException(what + " " + path.string() + ": " + SystemError(error));
}

// A file descriptor that closes itself.
class TFd {
 public:
  explicit TFd(int fd) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  // Closes now, reporting the error that close() may have to tell.
  int Close() {
    const int rc = ::close(FFd);
    FFd = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int FFd;
};

// The file's bytes; nullopt when there is no such file (nor could be: a
// part of its folder path is a file). Any other failure throws: a file we
// cannot read must not be mistaken for an empty one.
// A FIFO, device or socket in the file's place holds no settings: it is refused without
// waiting on it and reported as a broken file, which is then moved aside like one.
std::optional<std::string> ReadFileIfExists(const fs::path& file) {
  try {
    return ReadRegularFile(file);
  } catch (const EFileOpenError& e) {
    if (e.Error() == ENOENT || e.Error() == ENOTDIR) return std::nullopt;
    // A folder is no settings file either, but it is not ours to move: it stays an error.
    std::error_code ec;
    if (fs::is_directory(file, ec)) Throw("Cannot read the settings file", file, EISDIR);
    if (e.NotRegular()) throw ERegFileParseError(file.string(), 1, e.Reason());
    Throw("Cannot read the settings file", file, e.Error());
  }
}

std::string DurationText(std::chrono::milliseconds d) {
  if (d.count() % 1000 == 0) return std::to_string(d.count() / 1000) + " s";
  return std::to_string(d.count()) + " ms";
}

int OpenLockFile(const fs::path& lockFile) {
  try {
    return OpenRegularFile(lockFile, O_RDWR | O_CREAT, 0600).Release();
  } catch (const EFileOpenError& e) {
    throw ERegistryException("Cannot open the lock file " + lockFile.string() + ": " + e.Reason());
  }
}

// An exclusive flock() on a lock file beside the settings file. flock rather
// than fcntl: its locks belong to the open file, so two stores in one process
// exclude each other as two processes do.
class TFileLock {
 public:
  TFileLock(const fs::path& lockFile, std::chrono::milliseconds timeout)
      : FFd(OpenLockFile(lockFile)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (::flock(FFd.Get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) Throw("Cannot lock", lockFile, errno);
      if (std::chrono::steady_clock::now() >= deadline)
        throw ERegistryException("Cannot lock " + lockFile.string() + ": it is still held after " +
                                 DurationText(timeout) + " by another process saving the settings");
      std::this_thread::sleep_for(kLockPollInterval);
    }
  }

 private:
  TFd FFd;  // closing it releases the lock
};

void SyncFolder(const fs::path& folder) {
  TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0 || ::fsync(fd.Get()) != 0) Throw("Cannot sync the folder", folder, errno);
}

void WriteAll(int fd, std::string_view bytes, const fs::path& file) {
  if (const int error = WriteAllTo(fd, bytes)) Throw("Cannot write", file, error);
}

int CreateTemp(const fs::path& temp) {
  try {
    return OpenRegularFile(temp, O_WRONLY | O_CREAT | O_EXCL, 0600).Release();
  } catch (const EFileOpenError& e) {
    throw ERegistryException("Cannot create " + temp.string() + ": " + e.Reason());
  }
}

std::string TempPrefix(const fs::path& file) {
  return file.filename().string() + ".tmp-";
}

// Writes the whole text beside the file, makes it durable, then puts it in
// the file's place in one step: a crash leaves either file whole.
void ReplaceFile(const fs::path& file, std::string_view text) {
  static unsigned counter = 0;
  const fs::path temp = file.parent_path() / (TempPrefix(file) + std::to_string(::getpid()) + "-" +
                                              std::to_string(++counter));
  try {
    TFd fd(CreateTemp(temp));
    WriteAll(fd.Get(), text, temp);
    if (::fsync(fd.Get()) != 0) Throw("Cannot write", temp, errno);
    if (const int error = fd.Close()) Throw("Cannot write", temp, error);
    if (::rename(temp.c_str(), file.c_str()) != 0) Throw("Cannot replace", file, errno);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(file.parent_path());
}

// Temporary files of saves that were killed before their rename. Only called
// under the lock, when no save of this file can be under way.
void RemoveStrayTemps(const fs::path& file) {
  std::error_code ec;
  const std::string prefix = TempPrefix(file);
  for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().starts_with(prefix)) fs::remove(it->path(), ec);
  }
}

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

fs::path FreeBrokenName(const fs::path& file) {
  const std::string base = file.string() + ".broken-" + Timestamp();
  fs::path candidate = base;
  for (int n = 2; fs::exists(candidate); ++n)
    candidate = base + "-" + std::to_string(n);
  return candidate;
}

fs::path LockFileFor(const fs::path& file) {
  return file.string() + ".lock";
}

void ApplyChange(TRegTree& tree, const auto& change) {
  using TKind = std::decay_t<decltype(change.Kind)>;
  switch (change.Kind) {
    case TKind::CreateKey:
      tree.CreateKey(change.Path);
      break;
    case TKind::DeleteKey:
      tree.DeleteKey(change.Path);
      break;
    case TKind::SetValue:
      tree.SetValue(change.Path, change.Name, change.Value);
      break;
    case TKind::DeleteValue:
      tree.DeleteValue(change.Path, change.Name);
      break;
  }
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path HomeFolder() {
  const std::string home = EnvOrEmpty("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  throw ERegistryException("Cannot find the home folder for the settings (HOME is not set)");
}

}  // namespace

TRegFileStore::TRegFileStore(fs::path folder) : FFolder(std::move(folder)) {}

TRegFileStore::~TRegFileStore() {
  for (auto& [root, state] : FRoots) {
    if (state.Journal.empty()) continue;
    try {
      Flush(root);
    } catch (const std::exception& e) {
      std::cerr << "fraxinel: settings could not be saved: " << e.what() << '\n';
    }
  }
}

fs::path TRegFileStore::FolderFromEnvironment() {
  if (const std::string dir = EnvOrEmpty("FRAXINEL_CONFIG_DIR"); !dir.empty()) return dir;
  // The XDG rules say a relative XDG_CONFIG_HOME is to be ignored.
  if (const fs::path xdg = EnvOrEmpty("XDG_CONFIG_HOME"); xdg.is_absolute())
    return xdg / "fraxinel";
  return HomeFolder() / ".config" / "fraxinel";
}

std::optional<fs::path> TRegFileStore::FileFor(HKEY root) const {
  if (root == HKEY_CURRENT_USER) return FFolder / "user.reg";
  if (root == HKEY_LOCAL_MACHINE) return FFolder / "machine.reg";
  return std::nullopt;
}

std::vector<std::string> TRegFileStore::TakeWarnings() {
  return std::exchange(FWarnings, {});
}

bool TRegFileStore::HasPendingChanges(HKEY root) const {
  const auto it = FRoots.find(root);
  return it != FRoots.end() && !it->second.Journal.empty();
}

void TRegFileStore::Warn(const std::string& message) {
  FWarnings.push_back(message);
  if (FWarningSink) FWarningSink(message);
}

TRegFileStore::TRoot& TRegFileStore::Use(HKEY root) {
  TRoot& state = FRoots[root];
  if (!state.Loaded) {
    if (const auto file = FileFor(root)) state.Tree = Load(root, *file);
    state.Loaded = true;
  }
  return state;
}

TRegTree TRegFileStore::Load(HKEY root, const fs::path& file) {
  try {
    const auto bytes = ReadFileIfExists(file);
    if (!bytes) return {};
    std::vector<std::string> warnings;
    TRegTree tree = ParseRegFile(*bytes, root, file.string(), &warnings);
    for (const auto& w : warnings)
      Warn(w + " (it will not be kept when the settings are saved)");
    return tree;
  } catch (const ERegFileParseError& e) {
    return RecoverBroken(root, file, e.what());
  }
}

// Another process may be replacing the file right now, so look again under
// the lock before deciding that it is broken.
TRegTree TRegFileStore::RecoverBroken(HKEY root, const fs::path& file, const std::string& error) {
  try {
    TFileLock lock(LockFileFor(file), FLockTimeout);
    try {
      if (const auto bytes = ReadFileIfExists(file))
        return ParseRegFile(*bytes, root, file.string(), nullptr);
    } catch (const ERegFileParseError& again) {
      MoveAside(file, again.what(), "the settings start empty");
    }
  } catch (const ERegistryException& e) {
    // It stays where it is; Flush will find it broken and refuse to overwrite it.
    Warn(error + ". The settings start empty; the file could not be moved aside (" + e.what() +
         ") and will not be overwritten.");
  }
  return {};
}

void TRegFileStore::MoveAside(const fs::path& file, const std::string& error,
                              const std::string& outcome) {
  const fs::path aside = FreeBrokenName(file);
  if (::rename(file.c_str(), aside.c_str()) != 0) {
    const int code = errno;
    throw ERegistryException(error + ". It cannot be moved aside to " + aside.string() + ": " +
                             SystemError(code));
  }
  SyncFolder(file.parent_path());
  Warn(error + ". The file was moved aside to " + aside.string() + " and " + outcome + ".");
}

void TRegFileStore::Record(HKEY root, TChange change) {
  if (FileFor(root)) FRoots[root].Journal.push_back(std::move(change));
}

bool TRegFileStore::KeyExists(HKEY root, const std::string& keyPath) {
  return Use(root).Tree.KeyExists(keyPath);
}

bool TRegFileStore::CreateKey(HKEY root, const std::string& keyPath) {
  if (!Use(root).Tree.CreateKey(keyPath)) return false;
  Record(root, {TChange::TKind::CreateKey, keyPath, {}, {}});
  return true;
}

bool TRegFileStore::DeleteKey(HKEY root, const std::string& keyPath) {
  if (!Use(root).Tree.DeleteKey(keyPath)) return false;
  Record(root, {TChange::TKind::DeleteKey, keyPath, {}, {}});
  return true;
}

std::vector<std::string> TRegFileStore::SubKeyNames(HKEY root, const std::string& keyPath) {
  return Use(root).Tree.SubKeyNames(keyPath);
}

std::vector<std::string> TRegFileStore::ValueNames(HKEY root, const std::string& keyPath) {
  return Use(root).Tree.ValueNames(keyPath);
}

std::optional<TRegValue> TRegFileStore::GetValue(HKEY root, const std::string& keyPath,
                                                 const std::string& name) {
  const TRegValue* value = Use(root).Tree.FindValue(keyPath, name);
  if (!value) return std::nullopt;
  return *value;
}

void TRegFileStore::SetValue(HKEY root, const std::string& keyPath, const std::string& name,
                             const TRegValue& value) {
  Use(root).Tree.SetValue(keyPath, name, value);
  // Recorded even when the value did not change: another process may have
  // changed it in the file since, and this is the newer word.
  Record(root, {TChange::TKind::SetValue, keyPath, name, value});
}

bool TRegFileStore::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) {
  if (!Use(root).Tree.DeleteValue(keyPath, name)) return false;
  Record(root, {TChange::TKind::DeleteValue, keyPath, name, {}});
  return true;
}

void TRegFileStore::EnsureFolder() const {
  fs::path partial;
  std::error_code ec;
  for (const auto& part : FFolder) {
    partial /= part;
    // Only what is missing: some file systems refuse mkdir on an existing
    // folder with EACCES or EROFS rather than EEXIST.
    if (fs::is_directory(partial, ec)) continue;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
      Throw("Cannot create the settings folder", partial, errno);
  }
  if (!fs::is_directory(FFolder, ec))
    Throw("Cannot use the settings folder", FFolder, ec ? ec.value() : ENOTDIR);
}

// The file as it is on disk now, with our changes on top. When the file on
// disk has become unreadable as a registry file, it is moved aside and our
// own tree (which holds our changes already) takes its place.
TRegTree TRegFileStore::MergeWithDisk(HKEY root, const fs::path& file, const TRoot& state) {
  TRegTree merged;
  try {
    if (const auto bytes = ReadFileIfExists(file)) {
      std::vector<std::string> warnings;
      merged = ParseRegFile(*bytes, root, file.string(), &warnings);
      for (const auto& w : warnings)
        Warn(w + " (it was not kept when the settings were saved)");
    }
  } catch (const ERegFileParseError& e) {
    MoveAside(file, e.what(), "the settings in memory were saved in its place");
    return state.Tree;
  }
  for (const auto& change : state.Journal)
    ApplyChange(merged, change);
  return merged;
}

void TRegFileStore::Flush(HKEY root) {
  const auto it = FRoots.find(root);
  const auto file = FileFor(root);
  if (it == FRoots.end() || it->second.Journal.empty() || !file) return;
  TRoot& state = it->second;
  EnsureFolder();
  TFileLock lock(LockFileFor(*file), FLockTimeout);
  RemoveStrayTemps(*file);
  TRegTree merged = MergeWithDisk(root, *file, state);
  ReplaceFile(*file, FormatRegFile(merged, root));
  state.Tree = std::move(merged);
  state.Journal.clear();
}

namespace {

std::mutex& DefaultStoreMutex() {
  static std::mutex mutex;
  return mutex;
}

std::unique_ptr<TRegFileStore>& DefaultStoreSlot() {
  static std::unique_ptr<TRegFileStore> store;
  return store;
}

}  // namespace

TRegFileStore& DefaultRegistryStore() {
  const std::lock_guard guard(DefaultStoreMutex());
  auto& store = DefaultStoreSlot();
  if (!store) store = std::make_unique<TRegFileStore>(TRegFileStore::FolderFromEnvironment());
  return *store;
}

void ResetDefaultRegistryStore() {
  const std::lock_guard guard(DefaultStoreMutex());
  DefaultStoreSlot().reset();
}

}  // namespace fx
