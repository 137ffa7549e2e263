#include "content/ContentInstallWork.h"

#include "content/ContentInstall.h"
#include "content/InstalledStateCheck.h"
#include "installer/Installer.h"

namespace fx {

namespace {

TContentInstallResult Failed(const TContentPackage& p, const std::string& reason) {
  return {TInstallPhase::Failed, p.Id + ": " + reason, TInstallState::NotInstalled};
}

}  // namespace

TContentInstallResult InstallDownloaded(const TContentInstallJob& job, TInstallProgress& progress) {
  const TContentPackage& p = job.Package;
  try {
    TInstallRequest request;
    request.Archive = job.Archive.string();
    request.GameFolder = job.GameFolder.string();
    request.Target = InstallTargetOf(p);
    // An add-on's lone .pak becomes pak0.pak of its own folder, where the engines' add-on
    // menus put it (ironwail Quake/host_cmd.c: "<gamedir>/pak0.pak").
    request.Into = p.GameDir;
    request.Name = p.Id;
    request.SourceUrl = job.SourceUrl;
    request.AsDependency = job.AsDependency;
    TPackageStore store(job.PackageFolder);
    const auto files = job.Open ? job.Open(job.GameFolder) : OpenInstallFiles(job.GameFolder);
    const TInstallPlan plan = PlanInstall(request, store, *files);
    if (!plan.Installable()) return Failed(p, RefusalLine(plan.Refusals.front()));
    const TInstallOutcome outcome = InstallPackage(plan, request, store, *files, progress);
    if (outcome.Phase == TInstallPhase::Cancelled) return {TInstallPhase::Cancelled, "", {}};
    if (outcome.Phase != TInstallPhase::Done)
      return Failed(p, outcome.Refusals.empty() ? std::string("not installed")
                                                : RefusalLine(outcome.Refusals.front()));
    return {TInstallPhase::Done, "", StateOf(p, *files, {{p.Id, outcome.Manifest}})};
  } catch (const std::exception& e) {
    return Failed(p, e.what());
  }
}

}  // namespace fx
