#pragma once

// The file-system port of the package installer. Every path it takes is relative to one
// root folder (the game folder) and written with "/"; each component is opened with
// openat(..., O_NOFOLLOW) from the folder above it, so no symbolic link anywhere below the
// root is ever followed, and nothing outside the root can be named. Model code sees only
// this interface; tests wrap it to fail a write part-way (a full disk) or to stop the
// process at a chosen step.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// A file-system call failed; what() names the call, the path and the system's reason.
// NoSpace is set for ENOSPC and EDQUOT so the installer can say the disk is full.
class EInstallFiles : public std::runtime_error {
 public:
  EInstallFiles(const std::string& what, int error);
  int Error() const { return Error_; }
  bool NoSpace() const;

 private:
  int Error_;
};

enum class TFileKind { None, File, Folder, Symlink, Other };

// A file being written: created exclusively, written in order, then Finish closes it (a
// write error that shows only at close is reported there). Its data is on the disk after
// the next SyncFolder. Destroyed without Finish, it is closed and left as it is (the
// installer removes its staging folder).
class TFileSink {
 public:
  virtual ~TFileSink() = default;
  virtual void Write(std::string_view bytes) = 0;
  virtual void Finish() = 0;
};

class TInstallFiles {
 public:
  virtual ~TInstallFiles() = default;

  // What `path` is, without following a link at its last (or any) component.
  virtual TFileKind Kind(std::string_view path) const = 0;
  virtual std::uint64_t Size(std::string_view path) const = 0;
  // The names in a folder (no "." or ".."), unsorted; none when it is missing.
  virtual std::vector<std::string> List(std::string_view folder) const = 0;
  // Makes each missing folder of `path`; an existing link among them is an error.
  virtual void MakeFolders(std::string_view path) = 0;
  // O_CREAT | O_EXCL | O_NOFOLLOW: an existing file or link of that name is an error.
  virtual std::unique_ptr<TFileSink> Create(std::string_view path) = 0;
  // Reads a regular file in pieces (not through a link).
  virtual void Read(std::string_view path,
                    const std::function<void(std::string_view)>& piece) const = 0;
  // renameat within the root; replaces a file at `to` only when `replace` (else EEXIST).
  virtual void Rename(std::string_view from, std::string_view to, bool replace) = 0;
  // Removes a file or link (never what it points to); a missing one is no error.
  virtual void RemoveFile(std::string_view path) = 0;
  // Removes an empty folder; returns false when it is not empty or missing.
  virtual bool RemoveFolder(std::string_view path) = 0;
  // Removes a folder and everything below it, not following links; missing is no error.
  virtual void RemoveTree(std::string_view path) = 0;
  // Flushes the file system holding `path` to the disk: every file written, every rename
  // (syncfs), so the journal's commit point never comes before the data it names.
  virtual void SyncFolder(std::string_view path) = 0;
  // Bytes free to an unprivileged user on the file system holding `path` (statvfs).
  virtual std::uint64_t FreeBytes(std::string_view path) const = 0;
  // Whether the user may write into the root.
  virtual bool Writable() const = 0;
};

// The real file system below `root`, which must exist and be a folder (not a link).
std::unique_ptr<TInstallFiles> OpenInstallFiles(const std::filesystem::path& root);

}  // namespace fx
