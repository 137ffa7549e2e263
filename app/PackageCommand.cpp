#include "app/PackageCommand.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "app/CommandLineOptions.h"
#include "app/Startup.h"
#include "installer/Archive.h"
#include "installer/InstallRoot.h"
#include "platform/InstallFiles.h"

namespace fx {

namespace {

void PrintRefusals(const std::vector<TRefusal>& refusals, std::ostream& err) {
  for (const TRefusal& r : refusals)
    err << RefusalLine(r) << "\n";
}

int Refused(std::ostream& err, const std::string& reason) {
  err << "package: " << reason << "\n";
  return kExitPackageFailed;
}

bool Confirmed(std::istream& in) {
  std::string answer;
  std::getline(in, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

int Install(const TPackageOptions& options, TPackageCommandContext& c) {
  TInstallRequest request;
  request.Archive = options.Subject;
  if (IsPackageUrl(options.Subject)) {
    try {
      request.Archive = c.Download({options.Subject, options.Sha256, options.Size}, c.Err);
    } catch (const std::runtime_error& e) {
      return Refused(c.Err, e.what());
    }
    request.SourceUrl = options.Subject;
  }
  const TInstallRoot root = ChooseInstallRoot(c.GameFolder, c.GameWritable, c.UserFolder);
  if (root.Folder.empty())
    return Refused(c.Err, root.Message.empty() ? "no game folder is set" : root.Message);
  if (root.InUserFolder) c.Err << root.Message << "\n";
  request.GameFolder = root.Folder;
  request.Into = options.Into;
  request.ReplaceAll = options.Replace;
  request.ExpectSha256 = options.Sha256;
  request.ExpectSize = options.Size;
  try {
    const std::unique_ptr<TInstallFiles> files = c.Open(root.Folder);
    TInstallPlan plan = PlanInstall(request, c.Store, *files);
    // Every file there already with the archive's content: recorded, not unpacked again.
    bool allThere = !plan.Files.empty();
    for (const TRefusal& r : plan.Refusals)
      allThere = allThere && !r.Entry.empty();
    for (const TPlannedFile& f : plan.Files)
      allThere = allThere && f.Exists;
    if (allThere) {
      const auto archive = OpenPlanArchive(plan, request);
      if (auto found = FindInstalled(plan, request, *archive, *files)) {
        c.Store.Save(*found);
        c.Out << "package " << plan.Name << ": found installed already (" << found->Files.size()
              << " files), recorded\n";
        return kExitOk;
      }
    }
    if (!plan.Installable()) {
      PrintRefusals(plan.Refusals, c.Err);
      return kExitPackageFailed;
    }
    c.Out << PlanText(plan);
    if (!options.Yes) {
      c.Out << "Install " << plan.Name << "? [y/N] " << std::flush;
      if (!Confirmed(c.In)) return Refused(c.Err, "not installed: the plan was not confirmed");
    }
    TNoProgress none;
    const TInstallOutcome outcome = InstallPackage(plan, request, c.Store, *files, none);
    if (outcome.Phase != TInstallPhase::Done) {
      PrintRefusals(outcome.Refusals, c.Err);
      return kExitPackageFailed;
    }
    for (const TManifestBackup& b : outcome.Manifest.Backups)
      c.Out << "replaced " << b.Original.Path << " (kept as " << b.BackupPath << ")\n";
    c.Out << "installed " << plan.Name << ": " << outcome.Manifest.Files.size() << " files into "
          << plan.Folder << "\n";
    return kExitOk;
  } catch (const std::exception& e) {
    return Refused(c.Err, e.what());
  }
}

int Uninstall(const std::string& name, TPackageCommandContext& c) {
  try {
    const auto manifest = c.Store.Find(name);
    if (!manifest) return Refused(c.Err, "no package named " + name + " is installed");
    const std::unique_ptr<TInstallFiles> files = c.Open(manifest->GameFolder);
    const TUninstallOutcome out = UninstallPackage(name, c.Store, *files);
    for (const std::string& kept : out.Kept)
      c.Err << "entry " << kept << ": changed since it was installed, kept\n";
    for (const std::string& error : out.Errors)
      c.Err << "package: " << error << "\n";
    if (!out.Ok()) return kExitPackageFailed;
    c.Out << "uninstalled " << name << ": " << out.Removed.size() << " files removed, "
          << out.Restored.size() << " restored\n";
    return kExitOk;
  } catch (const std::exception& e) {
    return Refused(c.Err, e.what());
  }
}

TVerifyOutcome VerifyIn(const TPackageManifest& manifest, TPackageCommandContext& c) {
  try {
    return VerifyPackage(manifest, *c.Open(manifest.GameFolder));
  } catch (const EInstallFiles&) {
    TVerifyOutcome missing;  // the game folder itself is gone
    for (const TManifestFile& f : manifest.Files)
      missing.Files.emplace_back(f.Path, TFileState::Missing);
    return missing;
  }
}

int Verify(const std::string& name, TPackageCommandContext& c) {
  try {
    const auto manifest = c.Store.Find(name);
    if (!manifest) return Refused(c.Err, "no package named " + name + " is installed");
    const TVerifyOutcome out = VerifyIn(*manifest, c);
    static const char* const kNames[] = {"installed", "modified", "missing"};
    for (const auto& [path, state] : out.Files)
      c.Out << kNames[static_cast<int>(state)] << "\t" << path << "\n";
    c.Out << name << ": " << PackageStateName(out.State) << "\n";
    return out.State == TPackageState::Installed ? kExitOk : kExitPackageFailed;
  } catch (const std::exception& e) {
    return Refused(c.Err, e.what());
  }
}

int Packages(TPackageCommandContext& c) {
  std::vector<std::string> errors;
  for (const TPackageManifest& m : c.Store.List(&errors))
    c.Out << m.Name << "\t" << PackageStateName(VerifyIn(m, c).State) << "\t" << m.Folder << "\t"
          << m.Files.size() << "\n";
  for (const std::string& e : errors)
    c.Err << "package: " << e << "\n";
  return errors.empty() ? kExitOk : kExitPackageFailed;
}

}  // namespace

bool IsPackageUrl(std::string_view text) {
  auto starts = [&](std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
  };
  return starts("http://") || starts("https://");
}

std::string DownloadPackageArchive(const TUrlDownload&, std::ostream&) {
  throw std::runtime_error("downloads are not available in this build");
}

int RunPackageCommand(const TProgramOptions& options, TPackageCommandContext& context) {
  switch (options.Action) {
    case TProgramAction::Install:
      return Install(options.Package, context);
    case TProgramAction::Uninstall:
      return Uninstall(options.Package.Subject, context);
    case TProgramAction::Verify:
      return Verify(options.Package.Subject, context);
    case TProgramAction::Packages:
      return Packages(context);
    default:
      return kExitUsage;
  }
}

}  // namespace fx
