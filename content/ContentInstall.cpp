#include "content/ContentInstall.h"

#include "content/ContentText.h"
#include "installer/Hashers.h"

namespace fx {

namespace {

// "a//b/./c/" as "a/b/c/"; nothing when a component is "..".
std::optional<std::string> Normalised(std::string_view path) {
  std::string out;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view part = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    out += (out.empty() ? "" : "/") + std::string(part);
  }
  return out;
}

std::string_view BaseOf(const TContentPackage& p) {
  std::string_view base =
      p.Extract.empty() ? std::string_view(p.ZipBaseDir) : std::string_view(p.Extract);
  if (base.starts_with("{base}")) base.remove_prefix(6);
  return base;
}

std::optional<std::string> Join(std::string_view folder, std::string_view rest) {
  return Normalised(std::string(folder) + "/" + std::string(rest));
}

}  // namespace

TExplicitTarget InstallTargetOf(const TContentPackage& p) {
  TExplicitTarget target;
  if (!p.ZipBaseDir.empty()) target.ZipBaseDir = p.ZipBaseDir;
  if (!p.Extract.empty()) target.Extract = p.Extract;
  target.ExtractMapping = p.ExtractMapping;
  return target;
}

std::string DownloadFileNameOf(const TContentPackage& p) {
  std::string_view url = p.Urls.empty() ? std::string_view() : std::string_view(p.Urls.front());
  url = url.substr(0, url.find_first_of("?#"));
  const std::string name = LowerAscii(url.substr(url.rfind('/') + 1));
  for (const char* ext : {".zip", ".pk3", ".pak", ".bsp"})
    if (name.ends_with(ext) && name.size() > 4) return p.Id + ext;
  return p.Id + ".zip";
}

std::optional<std::string> InstalledPathOf(const TContentPackage& p, std::string_view archivePath) {
  const std::string key = "/" + std::string(archivePath);
  const std::pair<std::string, std::optional<std::string>>* prefix = nullptr;
  for (const auto& mapping : p.ExtractMapping) {
    if (mapping.first == key) return mapping.second ? Normalised(*mapping.second) : std::nullopt;
    if (mapping.first.ends_with('/') && key.starts_with(mapping.first) &&
        (!prefix || mapping.first.size() > prefix->first.size()))
      prefix = &mapping;
  }
  if (prefix) {
    if (!prefix->second) return std::nullopt;
    return Join(*prefix->second, key.substr(prefix->first.size()));
  }
  return Join(BaseOf(p), archivePath);
}

std::vector<TManifestFile> ExpectedFiles(const TContentPackage& p) {
  std::vector<TManifestFile> files;
  for (const TContentFile& file : p.Files) {
    if (file.Sha256.empty()) continue;
    if (const auto path = InstalledPathOf(p, file.Path); path && !path->empty())
      files.push_back({*path, file.Bytes, file.Sha256});
  }
  return files;
}

TInstallState CheckInstalled(const TContentPackage& p, const TInstallFiles& files) {
  const std::vector<TManifestFile> expected = ExpectedFiles(p);
  std::size_t present = 0, matching = 0;
  for (const TManifestFile& file : expected) {
    try {
      if (files.Kind(file.Path) != TFileKind::File) continue;
      ++present;
      if (files.Size(file.Path) != file.Size) continue;
      THasher hasher(THashKind::Sha256);
      files.Read(file.Path, [&](std::string_view piece) { hasher.Update(piece); });
      if (hasher.HexDigest() == file.Sha256) ++matching;
    } catch (const std::exception&) {
      // A file that cannot be read counts as changed.
    }
  }
  if (present == 0) return TInstallState::NotInstalled;
  if (present < expected.size()) return TInstallState::Partly;
  return matching == expected.size() ? TInstallState::Installed : TInstallState::Modified;
}

}  // namespace fx
