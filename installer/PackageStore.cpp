#include "installer/PackageStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/RegularFile.h"

namespace fx {

namespace {

constexpr const char* kSuffix = ".package";

// A manifest lists every file of its package: a mod of 100,000 files stays well below this.
constexpr std::size_t kMaxManifestBytes = 64u << 20;

std::string ReadAll(const std::filesystem::path& file) {
  std::string text;
  try {
    text = ReadRegularFile(file, kMaxManifestBytes + 1);
  } catch (const EFileOpenError& e) {
    throw EManifest("cannot read " + file.string() + ": " + e.Reason());
  }
  if (text.size() > kMaxManifestBytes) throw EManifest(file.string() + " is larger than 64 MB");
  return text;
}

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& file, std::string_view text) {
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  const std::filesystem::path temporary = file.string() + ".tmp";
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) throw EManifest("cannot write " + file.string() + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      throw EManifest("cannot write " + file.string() + ": " + std::strerror(e));
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    ::unlink(temporary.c_str());
    throw EManifest("cannot write " + file.string() + ": " + std::strerror(errno));
  }
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    const int e = errno;
    ::unlink(temporary.c_str());
    throw EManifest("cannot write " + file.string() + ": " + std::strerror(e));
  }
  SyncFolder(file.parent_path());
}

TPackageStore::TPackageStore(std::filesystem::path folder) : Folder_(std::move(folder)) {}

std::filesystem::path TPackageStore::DefaultFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home != nullptr ? home : "") / ".local" / "share";
  }
  return base / "fraxinel" / "packages";
}

std::vector<TPackageManifest> TPackageStore::List(std::vector<std::string>* errors) const {
  std::vector<TPackageManifest> out;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(Folder_, error)) {
    if (item.path().extension() != kSuffix || !item.is_regular_file(error)) continue;
    try {
      out.push_back(ParseManifest(ReadAll(item.path())));
    } catch (const EManifest& bad) {
      if (errors != nullptr) errors->push_back(item.path().string() + ": " + bad.what());
    }
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
  return out;
}

std::optional<TPackageManifest> TPackageStore::Find(std::string_view name) const {
  if (!ValidPackageName(name)) return std::nullopt;
  const auto file = Folder_ / (std::string(name) + kSuffix);
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  return ParseManifest(ReadAll(file));
}

void TPackageStore::Save(const TPackageManifest& manifest) const {
  if (!ValidPackageName(manifest.Name))
    throw EManifest("\"" + manifest.Name + "\" cannot be a package's name");
  WriteFileAtomically(Folder_ / (manifest.Name + kSuffix), ManifestText(manifest));
  Owners_.reset();
}

void TPackageStore::Remove(std::string_view name) const {
  if (!ValidPackageName(name)) return;
  std::error_code error;
  std::filesystem::remove(Folder_ / (std::string(name) + kSuffix), error);
  SyncFolder(Folder_);
  Owners_.reset();
}

std::string TPackageStore::Owner(std::string_view gameFolder, std::string_view path) const {
  if (!Owners_) {
    auto owners = std::make_shared<std::unordered_map<std::string, std::string>>();
    for (const TPackageManifest& m : List())
      for (const TManifestFile& f : m.Files)
        owners->emplace(m.GameFolder + "\n" + f.Path, m.Name);
    Owners_ = std::move(owners);
  }
  const auto it = Owners_->find(std::string(gameFolder) + "\n" + std::string(path));
  return it == Owners_->end() ? "" : it->second;
}

}  // namespace fx
