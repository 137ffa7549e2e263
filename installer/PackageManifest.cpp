#include "installer/PackageManifest.h"

#include <charconv>
#include <sstream>

namespace fx {

namespace {

constexpr std::string_view kHeader = "fraxinel-package 1";

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    parts.push_back(
        line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return parts;
    start = tab + 1;
  }
}

std::uint64_t Number(std::string_view text, std::size_t line) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    throw EManifest("line " + std::to_string(line) + ": \"" + std::string(text) + "\" is no size");
  return value;
}

// No field may hold what would break a line apart.
void CheckField(const std::string& field, const char* what) {
  for (const char c : field)
    if (static_cast<unsigned char>(c) < 0x20)
      throw EManifest(std::string(what) + " holds a control character");
}

}  // namespace

std::uint64_t TPackageManifest::TotalBytes() const {
  std::uint64_t total = 0;
  for (const TManifestFile& f : Files)
    total += f.Size;
  return total;
}

std::string ManifestText(const TPackageManifest& m) {
  std::ostringstream out;
  out << kHeader << "\n";
  auto field = [&](const char* key, const std::string& value) {
    CheckField(value, key);
    if (!value.empty()) out << key << "\t" << value << "\n";
  };
  field("name", m.Name);
  field("game", m.GameFolder);
  field("folder", m.Folder);
  for (const std::string& f : m.MadeFolders)
    field("made", f);
  field("source-file", m.SourceFile);
  field("source-url", m.SourceUrl);
  field("source-sha256", m.SourceSha256);
  field("date", m.Date);
  if (m.Found) out << "found\t1\n";
  if (m.AsDependency) out << "dependency\t1\n";
  for (const TManifestFile& f : m.Files) {
    CheckField(f.Path, "a path");
    out << "file\t" << f.Size << "\t" << f.Sha256 << "\t" << f.Path << "\n";
  }
  for (const TManifestBackup& b : m.Backups) {
    CheckField(b.Original.Path, "a path");
    CheckField(b.BackupPath, "a path");
    out << "backup\t" << b.Original.Size << "\t" << b.Original.Sha256 << "\t" << b.Original.Path
        << "\t" << b.BackupPath << "\n";
  }
  out << "end\n";
  return out.str();
}

TPackageManifest ParseManifest(std::string_view text) {
  TPackageManifest m;
  std::size_t lineNo = 0;
  bool ended = false;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string_view line = text.substr(start, nl - start);
    start = nl + 1;
    ++lineNo;
    if (lineNo == 1) {
      if (line != kHeader) throw EManifest("line 1: not a package record");
      continue;
    }
    if (line == "end") {
      ended = true;
      break;
    }
    const auto parts = SplitTabs(line);
    const std::string_view key = parts[0];
    auto value = [&](std::size_t i) -> std::string {
      if (i >= parts.size())
        throw EManifest("line " + std::to_string(lineNo) + ": " + std::string(key) +
                        " is cut short");
      return std::string(parts[i]);
    };
    if (key == "name")
      m.Name = value(1);
    else if (key == "game")
      m.GameFolder = value(1);
    else if (key == "folder")
      m.Folder = value(1);
    else if (key == "made")
      m.MadeFolders.push_back(value(1));
    else if (key == "source-file")
      m.SourceFile = value(1);
    else if (key == "source-url")
      m.SourceUrl = value(1);
    else if (key == "source-sha256")
      m.SourceSha256 = value(1);
    else if (key == "date")
      m.Date = value(1);
    else if (key == "found")
      m.Found = value(1) == "1";
    else if (key == "dependency")
      m.AsDependency = value(1) == "1";
    else if (key == "file")
      m.Files.push_back({value(3), Number(value(1), lineNo), value(2)});
    else if (key == "backup")
      m.Backups.push_back({{value(3), Number(value(1), lineNo), value(2)}, value(4)});
    // Other keys are a later version's: skipped.
  }
  if (lineNo == 0) throw EManifest("line 1: not a package record");
  if (!ended) throw EManifest("line " + std::to_string(lineNo) + ": the record is cut short");
  if (!ValidPackageName(m.Name)) throw EManifest("the record names no valid package");
  return m;
}

bool ValidPackageName(std::string_view name) {
  if (name.empty() || name.size() > 100 || name.front() == '.') return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-' || c == '+';
    if (!ok) return false;
  }
  return true;
}

std::string PackageNameFrom(std::string_view archiveFileName) {
  std::string_view stem = archiveFileName;
  if (const auto dot = stem.rfind('.'); dot != std::string_view::npos && dot > 0)
    stem = stem.substr(0, dot);
  std::string name;
  for (const char c : stem) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '_' || c == '-' || c == '+';
    if (ok)
      name += c;
    else if (!name.empty() && name.back() != '_')
      name += '_';
  }
  while (!name.empty() && (name.back() == '_' || name.back() == '.'))
    name.pop_back();
  while (!name.empty() && name.front() == '.')
    name.erase(0, 1);
  if (name.size() > 100) name.resize(100);
  return name.empty() ? "package" : name;
}

const char* PackageStateName(TPackageState state) {
  switch (state) {
    case TPackageState::Installed:
      return "installed";
    case TPackageState::Modified:
      return "modified";
    case TPackageState::Partial:
      return "partial";
    case TPackageState::Missing:
      return "missing";
  }
  return "";
}

TPackageState CombinedState(const std::vector<TFileState>& files) {
  std::size_t missing = 0, modified = 0;
  for (const TFileState s : files) {
    missing += s == TFileState::Missing;
    modified += s == TFileState::Modified;
  }
  if (files.empty() || missing == files.size())
    return files.empty() ? TPackageState::Installed : TPackageState::Missing;
  if (missing > 0) return TPackageState::Partial;
  return modified > 0 ? TPackageState::Modified : TPackageState::Installed;
}

}  // namespace fx
