#include "installer/InstallPlan.h"

#include <sstream>

namespace fx {

const char* LayoutName(TLayout layout) {
  switch (layout) {
    case TLayout::ModFolder:
      return "mod folder";
    case TLayout::GameTree:
      return "game tree";
    case TLayout::BareMaps:
      return "bare maps";
    case TLayout::NamedMod:
      return "new mod named after the archive";
    case TLayout::Explicit:
      return "the catalogue's target";
    case TLayout::LoosePak:
      return "loose .pak";
    case TLayout::LooseBsp:
      return "loose .bsp";
    case TLayout::Pk3File:
      return ".pk3 file";
  }
  return "";
}

std::string RefusalLine(const TRefusal& refusal) {
  return refusal.Entry.empty() ? "package: " + refusal.Reason
                               : "entry " + refusal.Entry + ": " + refusal.Reason;
}

std::vector<const TPlannedFile*> TInstallPlan::Replacing() const {
  std::vector<const TPlannedFile*> out;
  for (const TPlannedFile& f : Files)
    if (f.Exists || f.CaseClash) out.push_back(&f);
  return out;
}

std::vector<const TPlannedFile*> TInstallPlan::Unanswered() const {
  std::vector<const TPlannedFile*> out;
  for (const TPlannedFile* f : Replacing())
    if (f->Answer == TReplaceAnswer::Ask) out.push_back(f);
  return out;
}

std::string PlanText(const TInstallPlan& plan) {
  std::ostringstream out;
  out << "package " << plan.Name << ": " << LayoutName(plan.Layout) << ", into " << plan.Folder
      << (plan.MakesFolder ? " (a new folder)" : "") << "\n";
  std::size_t count = 0;
  for (const TPlannedFile& f : plan.Files) {
    if (f.Answer == TReplaceAnswer::Keep) {
      out << "  keep   " << f.Target << "\n";
      continue;
    }
    ++count;
    out << (f.Exists ? "  replace " : "  write  ") << f.Target << " (" << f.Size << " bytes)";
    if (!f.Owner.empty()) out << ", now from package " << f.Owner;
    out << "\n";
  }
  for (const std::string& s : plan.Skipped)
    out << "  skip   " << s << "\n";
  out << count << " files, " << plan.BytesNeeded << " bytes; " << plan.BytesFree << " bytes free\n";
  return out.str();
}

}  // namespace fx
