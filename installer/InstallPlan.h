#pragma once

// What an install asks for and what it would do. The planner reads only the archive's
// directory and the target folder; nothing is written before the user has seen the plan.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fx {

// How the archive's directory was read into folders below the game folder.
enum class TLayout {
  ModFolder,  // "czg07/progs.dat", "czg07/maps/..." at the root: the mod czg07
  GameTree,   // "maps/x.bsp", "sound/..." at the root: into id1 or the folder chosen
  BareMaps,   // "x.bsp" at the root: into id1/maps (or the chosen folder's maps/)
  NamedMod,   // "pak0.pak" / "progs.dat" at the root: a new mod named after the archive
  Explicit,   // the caller's TExplicitTarget
  LoosePak,   // a .pak file: pak0.pak of a new mod, or the next pakN.pak of --into
  LooseBsp,   // a .bsp file: id1/maps/ or the chosen folder's maps/
  Pk3File,    // a .pk3 installed as the file itself into the mod folder
};
// "mod folder", "game tree", ... as the plan prints it.
const char* LayoutName(TLayout layout);

// Where an archive from a catalogue goes, as the catalogue says it. Paths are relative to
// the game folder; "{base}" in Extract is the game folder itself.
struct TExplicitTarget {
  std::optional<std::string> ZipBaseDir;  // "id1/maps/": the archive's root lands there
  std::optional<std::string> Extract;     // "{base}/id1/maps/": the same, written as a path
  // Keys are archive paths with a leading "/": a key ending in "/" remaps a prefix, any
  // other key one file. A null target means "do not install". The exact file key wins over
  // a prefix, the longest prefix over a shorter one; entries no key matches land below
  // Extract (or ZipBaseDir, else the game folder).
  std::vector<std::pair<std::string, std::optional<std::string>>> ExtractMapping;
};

// What the user said about a file that is already there.
enum class TReplaceAnswer { Ask, Replace, Keep };

// The bounds an archive must keep; the defaults are the program's.
struct TInstallLimits {
  std::uint64_t MaxEntries = 65536;
  std::uint64_t MaxTotalBytes = 8ull << 30;  // a ceiling setting, besides the free space
  std::uint64_t MaxRatio = 1000;             // uncompressed : compressed of one entry ...
  std::uint64_t RatioFloor = 1ull << 20;     // ... once it is past this size
  std::uint64_t FreeMargin = 16ull << 20;    // kept free beyond what the package needs
};

struct TInstallRequest {
  std::string Archive;     // the file on disk: .zip, .pk3, .pak or .bsp
  std::string GameFolder;  // absolute; where it installs (see InstallRoot.h)
  // "id1" or a mod folder where the layout leaves the choice (--into); "" = the default.
  std::string Into;
  std::optional<TExplicitTarget> Target;
  // Files already there: ReplaceAll answers Replace for every one (--replace); otherwise
  // Answers (keyed by the plan's Target path) or Ask, which refuses the install.
  bool ReplaceAll = false;
  std::map<std::string, TReplaceAnswer> Answers;
  // Where the archive came from, for the record; the archive's own hash is computed.
  std::string SourceUrl;
  // Checked against the archive before anything is planned (--sha256, --size).
  std::optional<std::string> ExpectSha256;
  std::optional<std::uint64_t> ExpectSize;
  // Whether the engine the package is for reads .pk3 files: a .pk3 is then installed as the
  // file itself into the mod folder, else unpacked.
  bool EngineReadsPk3 = false;
  // When the install happens, ISO 8601 in UTC ("2026-12-09T20:21:00Z"), for the record; the
  // caller's clock gives it.
  std::string Date;
  // A name for the package; "" = from the archive's file name ("czg07.zip" -> "czg07").
  std::string Name;
  // Installed only because another package needs it (recorded in the manifest).
  bool AsDependency = false;
  TInstallLimits Limits;
};

// One refusal: of an entry (Entry set) or of the whole package (Entry empty). Printed as
// "entry NAME: reason" and "package: reason".
struct TRefusal {
  std::string Entry;
  std::string Reason;
};
std::string RefusalLine(const TRefusal& refusal);

struct TPlannedFile {
  std::uint64_t Index = 0;  // in the archive's directory (0 for a loose file)
  std::string Entry;        // the archive's own name ("" for a loose file)
  std::string Target;       // below the game folder, "/"-separated, folders case-matched
  std::uint64_t Size = 0;   // declared; the writer stops there
  bool Exists = false;      // a file of that name is already there
  std::string Owner;        // the installed package that owns the existing file, if any
  TReplaceAnswer Answer = TReplaceAnswer::Ask;  // for an existing file
  // An earlier entry of the plan has the same target but for case: it is not written over
  // the earlier one unless Answer is Replace.
  bool CaseClash = false;
};

struct TInstallPlan {
  std::string Name;  // the package's name (what --uninstall takes)
  TLayout Layout = TLayout::GameTree;
  std::string Folder;  // the folder below the game folder it makes or uses: "czg07", "id1"
  bool MakesFolder = false;
  std::vector<TPlannedFile> Files;
  std::vector<std::string> Skipped;    // entries not installed (folders, null mappings)
  std::vector<std::string> Documents;  // targets of the documents it carries
  std::vector<TRefusal> Refusals;      // any: the package cannot be installed as planned
  std::uint64_t BytesNeeded = 0;
  std::uint64_t BytesFree = 0;
  std::string ArchiveSha256;
  std::uint64_t ArchiveSize = 0;

  bool Installable() const { return Refusals.empty(); }
  // Files that would replace something, and those still waiting for the user's word.
  std::vector<const TPlannedFile*> Replacing() const;
  std::vector<const TPlannedFile*> Unanswered() const;
};

// The plan as the command line prints it before asking "y": one line a file and a summary.
std::string PlanText(const TInstallPlan& plan);

}  // namespace fx
