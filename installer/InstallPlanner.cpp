#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include "installer/Archive.h"
#include "installer/EntryNames.h"
#include "installer/Hashers.h"
#include "installer/Installer.h"
#include "installer/LayoutRules.h"
#include "platform/InstallFiles.h"

namespace fx {

namespace {

std::string Extension(const std::string& file) {
  return LowerAscii(std::filesystem::path(file).extension().string());
}

std::string Stem(const std::string& file) {
  return std::filesystem::path(file).stem().string();
}

std::string FirstBytes(const std::string& file, std::size_t n) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(n, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(n));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

// A map file's header: BSP29 (29), Half-Life's 30, BSP2 and its 2PSB variant.
bool LooksLikeBsp(const std::string& file) {
  const std::string head = FirstBytes(file, 4);
  if (head == "BSP2" || head == "2PSB") return true;
  return head.size() == 4 &&
         (head == std::string("\x1d\0\0\0", 4) || head == std::string("\x1e\0\0\0", 4));
}

std::string Bytes(std::uint64_t n) {
  if (n >= (10ull << 20)) return std::to_string(n >> 20) + " MiB";
  if (n >= (10ull << 10)) return std::to_string(n >> 10) + " KiB";
  return std::to_string(n) + " bytes";
}

// The spelling each folder of a target takes on the disk: the first level and the folders
// the engines look for are matched to an existing folder in any case, else written in
// lower case; other folders and the file keep the archive's spelling.
class TCaseMatcher {
 public:
  explicit TCaseMatcher(TInstallFiles& files) : Files_(files) {}

  std::string Match(const std::string& path) {
    std::string out;
    std::size_t start = 0;
    int level = 0;
    while (true) {
      const std::size_t slash = path.find('/', start);
      std::string part =
          path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      const bool last = slash == std::string::npos;
      if (!last && (level == 0 || IsEngineFolder(part))) part = Existing(out, part);
      out += (out.empty() ? "" : "/") + part;
      if (last) return out;
      start = slash + 1;
      ++level;
    }
  }

  // The names in a folder, listed once.
  const std::vector<std::string>& Names(const std::string& folder) {
    auto it = Listings_.find(folder);
    if (it == Listings_.end()) it = Listings_.emplace(folder, Files_.List(folder)).first;
    return it->second;
  }

 private:
  std::string Existing(const std::string& parent, const std::string& part) {
    const std::string lower = LowerAscii(part);
    for (const std::string& name : Names(parent))
      if (LowerAscii(name) == lower && Files_.Kind(Join(parent, name)) == TFileKind::Folder)
        return name;
    return lower;
  }
  static std::string Join(const std::string& a, const std::string& b) {
    return a.empty() ? b : a + "/" + b;
  }

  TInstallFiles& Files_;
  std::unordered_map<std::string, std::vector<std::string>> Listings_;
};

struct TSource {
  std::size_t Index;
  std::string Entry;
  std::string Path;  // the checked path
  std::uint64_t Size;
};

void CheckArchiveFile(const TInstallRequest& request, TInstallPlan& plan) {
  std::error_code error;
  plan.ArchiveSize = std::filesystem::file_size(request.Archive, error);
  if (error) {
    plan.Refusals.push_back({"", "cannot read " + request.Archive});
    return;
  }
  if (request.ExpectSize && *request.ExpectSize != plan.ArchiveSize)
    plan.Refusals.push_back({"", "its size is " + std::to_string(plan.ArchiveSize) +
                                     " bytes, not " + std::to_string(*request.ExpectSize)});
  if (request.ExpectSha256) {
    plan.ArchiveSha256 = FileHashHex(request.Archive, THashKind::Sha256);
    if (LowerAscii(*request.ExpectSha256) != plan.ArchiveSha256)
      plan.Refusals.push_back({"", "its SHA-256 is " + plan.ArchiveSha256 + ", not " +
                                       LowerAscii(*request.ExpectSha256)});
  }
}

// The entries that can be installed; refusals for the others.
std::vector<TSource> CheckEntries(const TArchive& archive, const TInstallRequest& request,
                                  TInstallPlan& plan) {
  const auto& entries = archive.Entries();
  const TInstallLimits& limits = request.Limits;
  std::vector<TSource> sources;
  if (entries.size() > limits.MaxEntries) {
    plan.Refusals.push_back({"", "holds " + std::to_string(entries.size()) +
                                     " entries, more than " + std::to_string(limits.MaxEntries)});
    return sources;
  }
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TArchiveEntry& e = entries[i];
    const TCheckedName name = CheckEntryName(e.Name);
    std::string why = name.Refusal;
    if (why.empty()) why = RefusedFileType(e.UnixType);
    if (why.empty() && (name.Folder || e.IsFolder)) continue;  // folders come with their files
    if (why.empty() && e.Encrypted) why = "encrypted, which is not supported";
    if (why.empty() && archive.Kind() == TArchiveKind::Zip && !ZipMethodSupported(e.Method)) {
      why = "compressed with method " + std::to_string(e.Method);
      if (const std::string m = ZipMethodName(e.Method); !m.empty()) why += " (" + m + ")";
      why += ", which is not supported";
    }
    if (why.empty() && e.Size > limits.RatioFloor &&
        e.Size / std::max<std::uint64_t>(e.CompressedSize, 1) > limits.MaxRatio)
      why = "expands " + std::to_string(e.Size / std::max<std::uint64_t>(e.CompressedSize, 1)) +
            " times its size in the archive, more than " + std::to_string(limits.MaxRatio) +
            " (an archive bomb)";
    if (!why.empty()) {
      plan.Refusals.push_back({e.Name, why});
      continue;
    }
    total += e.Size;
    sources.push_back({i, e.Name, name.Path, e.Size});
  }
  if (total > limits.MaxTotalBytes)
    plan.Refusals.push_back({"", "unpacks to " + Bytes(total) + ", more than the limit of " +
                                     Bytes(limits.MaxTotalBytes)});
  return sources;
}

// The next free "pakN.pak" of a folder (any case of the names there).
std::string NextPak(TCaseMatcher& matcher, const std::string& folder) {
  std::set<std::string> taken;
  for (const std::string& n : matcher.Names(folder))
    taken.insert(LowerAscii(n));
  for (int n = 0;; ++n)
    if (taken.count("pak" + std::to_string(n) + ".pak") == 0)
      return "pak" + std::to_string(n) + ".pak";
}

}  // namespace

std::unique_ptr<TArchive> OpenRequestArchive(const TInstallRequest& request) {
  const std::string head = FirstBytes(request.Archive, 4);
  const std::string ext = Extension(request.Archive);
  if (head.starts_with("PK")) return OpenZipArchive(request.Archive, request.Limits.MaxEntries);
  if (head == "PACK" || ext == ".pak") {
    OpenPackArchive(request.Archive);  // a damaged PACK is refused here
    return OpenLooseFile(request.Archive,
                         std::filesystem::path(request.Archive).filename().string());
  }
  if (ext == ".bsp") {
    if (!LooksLikeBsp(request.Archive)) throw EArchive("", "not a map (.bsp) file");
    return OpenLooseFile(request.Archive,
                         std::filesystem::path(request.Archive).filename().string());
  }
  if (ext == ".zip" || ext == ".pk3")
    return OpenZipArchive(request.Archive, request.Limits.MaxEntries);
  throw EArchive("", "not a .zip, .pk3, .pak or .bsp file");
}

std::unique_ptr<TArchive> OpenPlanArchive(const TInstallPlan& plan,
                                          const TInstallRequest& request) {
  if (plan.Layout == TLayout::Pk3File)
    return OpenLooseFile(request.Archive,
                         std::filesystem::path(request.Archive).filename().string());
  return OpenRequestArchive(request);
}

TInstallPlan PlanInstall(const TInstallRequest& request, const TPackageStore& store,
                         TInstallFiles& files) {
  TInstallPlan plan;
  plan.Name = request.Name.empty()
                  ? PackageNameFrom(std::filesystem::path(request.Archive).filename().string())
                  : request.Name;
  if (!ValidPackageName(plan.Name)) {
    plan.Refusals.push_back({"", "\"" + plan.Name + "\" cannot be a package's name"});
    return plan;
  }
  if (store.Find(plan.Name)) {
    plan.Refusals.push_back({"", "a package named " + plan.Name + " is installed already"});
    return plan;
  }
  CheckArchiveFile(request, plan);
  if (!plan.Installable()) return plan;
  std::unique_ptr<TArchive> archive;
  try {
    archive = OpenRequestArchive(request);
  } catch (const EArchive& bad) {
    plan.Refusals.push_back({bad.Entry(), bad.what()});
    return plan;
  }
  const std::vector<TSource> sources = CheckEntries(*archive, request, plan);
  if (!plan.Installable()) return plan;

  TCaseMatcher matcher(files);
  const std::string ext = Extension(request.Archive);
  const std::string stem = Stem(request.Archive);
  std::vector<std::optional<std::string>> targets;
  if (archive->Kind() == TArchiveKind::LooseFile) {
    // The folder chosen (matched to the disk's spelling), else id1 for a map and a new mod
    // folder named after the file for a .pak.
    const std::string chosen =
        request.Into.empty() ? ""
                             : matcher.Match(request.Into + "/x").substr(0, request.Into.size());
    if (ext == ".bsp") {
      plan.Layout = TLayout::LooseBsp;
      plan.Folder = chosen.empty() ? "id1" : chosen;
      targets.emplace_back(plan.Folder + "/maps/" + sources.front().Path);
    } else {
      plan.Layout = TLayout::LoosePak;
      plan.Folder = chosen.empty() ? matcher.Match(stem + "/x").substr(0, stem.size()) : chosen;
      targets.emplace_back(plan.Folder + "/" +
                           (chosen.empty() ? "pak0.pak" : NextPak(matcher, chosen)));
    }
  } else if (request.Target) {
    std::vector<std::string> paths;
    for (const TSource& s : sources)
      paths.push_back(s.Path);
    TLayoutResult r = ApplyExplicitTarget(paths, *request.Target);
    if (!r.Refusal.empty()) plan.Refusals.push_back({"", r.Refusal});
    plan.Layout = r.Layout;
    plan.Folder = r.Folder;
    targets = std::move(r.Targets);
  } else if (ext == ".pk3" && request.EngineReadsPk3) {
    plan.Layout = TLayout::Pk3File;
    plan.Folder = request.Into.empty() ? "id1" : request.Into;
    // The whole file goes in: one source, the archive itself.
    TPlannedFile file;
    file.Target = plan.Folder + "/" + std::filesystem::path(request.Archive).filename().string();
    file.Size = plan.ArchiveSize;
    plan.Files.push_back(std::move(file));
    targets.clear();
  } else {
    TLayoutInput input;
    for (const TSource& s : sources)
      input.Paths.push_back(s.Path);
    input.ArchiveStem = stem;
    input.Into = request.Into;
    TLayoutResult r = DecideLayout(input);
    if (!r.Refusal.empty()) plan.Refusals.push_back({"", r.Refusal});
    plan.Layout = r.Layout;
    plan.Folder = r.Folder;
    targets = std::move(r.Targets);
  }
  if (!plan.Installable()) return plan;

  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (!targets[i]) {
      plan.Skipped.push_back(sources[i].Entry);
      continue;
    }
    TPlannedFile file;
    file.Index = sources[i].Index;
    file.Entry = sources[i].Entry;
    file.Target = *targets[i];
    file.Size = sources[i].Size;
    plan.Files.push_back(std::move(file));
  }

  // Case, what is there already, clashes and answers.
  std::unordered_map<std::string, std::size_t> seen;  // lower-case target -> first file
  std::set<std::string> folders;
  std::vector<TPlannedFile> kept;
  for (TPlannedFile& f : plan.Files) {
    f.Target = matcher.Match(f.Target);
    const std::string lower = LowerAscii(f.Target);
    const auto answer = request.Answers.find(f.Target);
    const TReplaceAnswer given = request.ReplaceAll                ? TReplaceAnswer::Replace
                                 : answer != request.Answers.end() ? answer->second
                                                                   : TReplaceAnswer::Ask;
    if (const auto earlier = seen.find(lower); earlier != seen.end()) {
      f.CaseClash = true;
      f.Answer = given;
      if (given == TReplaceAnswer::Ask)
        plan.Refusals.push_back(
            {f.Entry, "differs only in case from " + plan.Files[earlier->second].Entry});
      if (given != TReplaceAnswer::Replace) continue;
      f.Target = plan.Files[earlier->second].Target;
      plan.Files[earlier->second].Answer = TReplaceAnswer::Keep;  // the later one wins
    } else {
      seen.emplace(lower, static_cast<std::size_t>(&f - plan.Files.data()));
    }
    // Every folder on the way and the file itself: links are refused, files checked.
    for (std::size_t slash = f.Target.find('/'); slash != std::string::npos;
         slash = f.Target.find('/', slash + 1))
      folders.insert(f.Target.substr(0, slash));
    const std::string parent = f.Target.substr(0, f.Target.rfind('/'));
    const std::string leaf = f.Target.substr(f.Target.rfind('/') + 1);
    const auto& names = matcher.Names(parent);
    if (std::find(names.begin(), names.end(), leaf) != names.end()) {
      const TFileKind kind = files.Kind(f.Target);
      if (kind == TFileKind::Symlink) {
        plan.Refusals.push_back({"", f.Target + " is a symbolic link"});
        continue;
      }
      if (kind != TFileKind::File) {
        plan.Refusals.push_back({f.Entry, "would replace " + f.Target + ", which is not a file"});
        continue;
      }
      f.Exists = true;
      f.Owner = store.Owner(request.GameFolder, f.Target);
      if (!f.CaseClash) f.Answer = given;
      if (f.Answer == TReplaceAnswer::Ask)
        plan.Refusals.push_back(
            {f.Entry, "would replace " + f.Target + ", which is there already" +
                          (f.Owner.empty() ? "" : " (from package " + f.Owner + ")")});
    }
  }
  for (const std::string& folder : folders) {
    const TFileKind kind = files.Kind(folder);
    if (kind == TFileKind::Symlink) plan.Refusals.push_back({"", folder + " is a symbolic link"});
    if (kind == TFileKind::File || kind == TFileKind::Other)
      plan.Refusals.push_back({"", folder + " is in the way: it is not a folder"});
  }
  plan.MakesFolder = files.Kind(plan.Folder) == TFileKind::None;
  for (const TPlannedFile& f : plan.Files) {
    if (f.Answer == TReplaceAnswer::Keep) continue;
    plan.BytesNeeded += f.Size;
    const std::string leaf = f.Target.substr(f.Target.rfind('/') + 1);
    if (IsDocumentName(leaf)) plan.Documents.push_back(f.Target);
  }
  plan.BytesFree = files.FreeBytes("");
  if (plan.BytesNeeded + request.Limits.FreeMargin > plan.BytesFree)
    plan.Refusals.push_back(
        {"", "needs " + Bytes(plan.BytesNeeded) + ", only " + Bytes(plan.BytesFree) + " are free"});
  return plan;
}

}  // namespace fx
