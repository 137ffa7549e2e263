#include "platform/InstallFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fx {

namespace {

class TFd {
 public:
  TFd() = default;
  explicit TFd(int fd) : Fd_(fd) {}
  ~TFd() { Reset(); }
  TFd(TFd&& other) noexcept : Fd_(other.Fd_) { other.Fd_ = -1; }
  TFd& operator=(TFd&& other) noexcept {
    if (this != &other) {
      Reset();
      Fd_ = other.Fd_;
      other.Fd_ = -1;
    }
    return *this;
  }
  int Get() const { return Fd_; }
  int Release() {
    const int fd = Fd_;
    Fd_ = -1;
    return fd;
  }
  void Reset() {
    if (Fd_ >= 0) ::close(Fd_);
    Fd_ = -1;
  }

 private:
  int Fd_ = -1;
};

[[noreturn]] void Fail(const std::string& call, std::string_view path, int error) {
  throw EInstallFiles(call + " " + std::string(path) + ": " + std::strerror(error), error);
}

std::vector<std::string> Parts(std::string_view path) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") throw EInstallFiles("a path may not climb out: " + std::string(path), EINVAL);
    parts.emplace_back(part);
  }
  return parts;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class TPosixFile final : public TFileSink {
 public:
  TPosixFile(int fd, std::string path) : Fd_(fd), Path_(std::move(path)) {}
  void Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::write(Fd_.Get(), bytes.data(), bytes.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail("write", Path_, errno);
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  // The data reaches the disk at the next SyncFolder: one syncfs for all the files of an
  // install instead of an fsync each (which on a busy disk costs milliseconds a file).
  void Finish() override {
    if (::close(Fd_.Release()) != 0) Fail("close", Path_, errno);
  }

 private:
  TFd Fd_;
  std::string Path_;
};

class TPosixInstallFiles final : public TInstallFiles {
 public:
  explicit TPosixInstallFiles(const std::filesystem::path& root)
      : Root_(::open(root.c_str(), kFolderFlags)), RootName_(root.string()) {
    if (Root_.Get() < 0) Fail("open", RootName_, errno);
  }

  TFileKind Kind(std::string_view path) const override {
    std::string leaf;
    int error = 0;
    const TFd parent = Parent(path, false, leaf, &error);
    if (parent.Get() < 0)
      return error == ELOOP     ? TFileKind::Symlink
             : error == ENOTDIR ? TFileKind::Other
                                : TFileKind::None;
    if (leaf.empty()) return TFileKind::Folder;
    struct stat st {};
    if (::fstatat(parent.Get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      return TFileKind::None;
    if (S_ISREG(st.st_mode)) return TFileKind::File;
    if (S_ISDIR(st.st_mode)) return TFileKind::Folder;
    if (S_ISLNK(st.st_mode)) return TFileKind::Symlink;
    return TFileKind::Other;
  }

  std::uint64_t Size(std::string_view path) const override {
    std::string leaf;
    const TFd parent = Parent(path, false, leaf);
    struct stat st {};
    if (::fstatat(parent.Get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      Fail("stat", path, errno);
    return static_cast<std::uint64_t>(st.st_size);
  }

  std::vector<std::string> List(std::string_view folder) const override {
    std::vector<std::string> names;
    int error = 0;
    TFd fd = Folder(folder, false, &error);
    if (fd.Get() < 0) return names;
    DIR* dir = ::fdopendir(fd.Get());
    if (dir == nullptr) return names;
    fd.Release();
    while (const dirent* item = ::readdir(dir)) {
      const std::string_view name = item->d_name;
      if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
  }

  void MakeFolders(std::string_view path) override { Folder(path, true); }

  std::unique_ptr<TFileSink> Create(std::string_view path) override {
    std::string leaf;
    const TFd parent = Parent(path, false, leaf);
    const int fd = ::openat(parent.Get(), leaf.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) Fail("create", path, errno);
    return std::make_unique<TPosixFile>(fd, std::string(path));
  }

  void Read(std::string_view path,
            const std::function<void(std::string_view)>& piece) const override {
    std::string leaf;
    const TFd parent = Parent(path, false, leaf);
    const TFd fd(::openat(parent.Get(), leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.Get() < 0) Fail("open", path, errno);
    std::string buffer(1 << 16, '\0');
    for (;;) {
      const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail("read", path, errno);
      }
      if (n == 0) return;
      piece(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
  }

  void Rename(std::string_view from, std::string_view to, bool replace) override {
    std::string fromLeaf, toLeaf;
    const TFd fromParent = Parent(from, false, fromLeaf);
    const TFd toParent = Parent(to, false, toLeaf);
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    if (::renameat2(fromParent.Get(), fromLeaf.c_str(), toParent.Get(), toLeaf.c_str(), flags) == 0)
      return;
    if (errno != EINVAL || replace)
      Fail("rename", std::string(from) + " to " + std::string(to), errno);
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::linkat(fromParent.Get(), fromLeaf.c_str(), toParent.Get(), toLeaf.c_str(), 0) != 0)
      Fail("rename", std::string(from) + " to " + std::string(to), errno);
    ::unlinkat(fromParent.Get(), fromLeaf.c_str(), 0);
  }

  void RemoveFile(std::string_view path) override {
    std::string leaf;
    int error = 0;
    const TFd parent = Parent(path, false, leaf, &error);
    if (parent.Get() < 0) return;
    if (::unlinkat(parent.Get(), leaf.c_str(), 0) != 0 && errno != ENOENT)
      Fail("remove", path, errno);
  }

  bool RemoveFolder(std::string_view path) override {
    std::string leaf;
    int error = 0;
    const TFd parent = Parent(path, false, leaf, &error);
    if (parent.Get() < 0 || leaf.empty()) return false;
    return ::unlinkat(parent.Get(), leaf.c_str(), AT_REMOVEDIR) == 0;
  }

  void RemoveTree(std::string_view path) override {
    std::string leaf;
    int error = 0;
    const TFd parent = Parent(path, false, leaf, &error);
    if (parent.Get() < 0 || leaf.empty()) return;
    RemoveBelow(parent.Get(), leaf, 0);
  }

  void SyncFolder(std::string_view path) override {
    const TFd fd = Folder(path, false);
    if (::syncfs(fd.Get()) != 0) Fail("syncfs", path, errno);
  }

  std::uint64_t FreeBytes(std::string_view path) const override {
    const TFd fd = Folder(path, false);
    struct statvfs st {};
    if (::fstatvfs(fd.Get(), &st) != 0) Fail("statvfs", path, errno);
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
  }

  bool Writable() const override { return ::faccessat(Root_.Get(), ".", W_OK, 0) == 0; }

 private:
  // The folder `path` itself, opened component by component without following links;
  // made where missing when `create`. With `error` a failure returns an invalid fd.
  TFd Folder(std::string_view path, bool create, int* error = nullptr) const {
    // A fresh open of the root, not a dup: a dup shares the read position of the folder, so
    // a second listing of the root would find nothing.
    TFd current(::openat(Root_.Get(), ".", kFolderFlags));
    for (const std::string& part : Parts(path)) {
      if (create && ::mkdirat(current.Get(), part.c_str(), 0755) != 0 && errno != EEXIST) {
        if (error != nullptr) return *error = errno, TFd();
        Fail("mkdir", path, errno);
      }
      TFd next(::openat(current.Get(), part.c_str(), kFolderFlags));
      if (next.Get() < 0) {
        if (error != nullptr) return *error = errno, TFd();
        Fail("open", path, errno);
      }
      current = std::move(next);
    }
    return current;
  }

  // The folder holding the last component of `path`, and that component in `leaf` ("" for
  // the root itself).
  TFd Parent(std::string_view path, bool create, std::string& leaf, int* error = nullptr) const {
    const std::vector<std::string> parts = Parts(path);
    if (parts.empty()) {
      leaf.clear();
      return TFd(::dup(Root_.Get()));
    }
    leaf = parts.back();
    const std::string_view folder =
        path.substr(0, path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/'));
    return Folder(folder, create, error);
  }

  void RemoveBelow(int parent, const std::string& name, int depth) {
    if (depth > 64) Fail("remove", name, ELOOP);
    TFd fd(::openat(parent, name.c_str(), kFolderFlags));
    if (fd.Get() < 0) {
      if (::unlinkat(parent, name.c_str(), 0) != 0 && errno != ENOENT) Fail("remove", name, errno);
      return;
    }
    const int listFd = ::dup(fd.Get());
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
      ::close(listFd);
      Fail("list", name, errno);
    }
    std::vector<std::string> names;
    while (const dirent* item = ::readdir(dir)) {
      const std::string_view n = item->d_name;
      if (n != "." && n != "..") names.emplace_back(n);
    }
    ::closedir(dir);
    for (const std::string& n : names)
      RemoveBelow(fd.Get(), n, depth + 1);
    if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
      Fail("remove", name, errno);
  }

  TFd Root_;
  std::string RootName_;
};

}  // namespace

EInstallFiles::EInstallFiles(const std::string& what, int error)
    : std::runtime_error(what), Error_(error) {}

bool EInstallFiles::NoSpace() const {
  return Error_ == ENOSPC || Error_ == EDQUOT;
}

std::unique_ptr<TInstallFiles> OpenInstallFiles(const std::filesystem::path& root) {
  return std::make_unique<TPosixInstallFiles>(root);
}

}  // namespace fx
