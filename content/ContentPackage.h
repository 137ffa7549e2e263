#pragma once

// One package of the community's catalogues as plain data: what the readers make of the XML
// database, the JSON records and the add-on list, and what search, dependencies and the play
// plan work on. No field is trusted for a path or a command line: the play plan checks.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fx {

// A refused catalogue as a whole (too large, a DOCTYPE, too deep, not the format).
class ECatalogue : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A release date as far as it is known: 0 for an unknown month or day (or year).
struct TContentDate {
  int Year = 0;
  int Month = 0;
  int Day = 0;
  friend auto operator<=>(const TContentDate&, const TContentDate&) = default;
};

// One file of a package's archive; an inner .pak or .zip lists its own files.
struct TContentFile {
  std::string Path{};
  std::uint64_t Bytes = 0;
  std::string Sha256{};
  std::vector<TContentFile> Inner{};
};

// Which catalogue a package came from (bits: a merged package has several).
enum TCatalogueBits : std::uint8_t {
  kFromXml = 1,
  kFromJson = 2,
  kFromAddons = 4,
};

struct TContentPackage {
  std::string Id{};  // the archive's name without ".zip" (the XML id); an add-on's id
  std::string Title{};
  std::string Author{};
  std::string Description{};  // HTML in the XML database, mostly plain text elsewhere
  TContentDate Date{};
  std::vector<std::string> Types{};  // "map", "mod", "speedmap", "episode", ...
  int Rating = 0;                    // the editors' 1..5, 0 for none
  std::optional<double> UsersRating{};
  std::uint64_t Bytes = 0;  // the archive's size (the XML gives KiB: multiplied out)
  std::string Md5{};        // of the archive, lower-case hex
  std::string Sha256{};     // of the archive, lower-case hex
  // Where the archive goes: the XML's and the tags' zipbasedir, the JSON's
  // install.extract (with "{base}") and install.extractmapping (null: not installed).
  std::string ZipBaseDir{};
  std::string Extract{};
  std::vector<std::pair<std::string, std::optional<std::string>>> ExtractMapping{};
  std::string CommandLine{};                // as the catalogue says it: see CheckCommandLine
  std::vector<std::string> StartMaps{};     // in catalogue order
  std::vector<std::string> Requirements{};  // ids of packages it needs (requirements, dependency=)
  std::vector<std::string> Depends{};       // constraints such as "quoth>=2.0"
  std::vector<std::string> Provides{};      // "quoth=2.2"
  std::string Version{};
  std::string Mod{};  // the mod it is made for ("quoth", "ad", ...)
  bool ExceedsLimits = false;
  bool Bsp2 = false;
  bool SinglePlayer = false;
  bool Deathmatch = false;
  bool Coop = false;
  std::vector<std::string> Tags{};   // the XML's tags and the JSON's free tags (theme, ...)
  std::vector<std::string> Urls{};   // download addresses, the usual one first
  std::vector<std::string> Links{};  // review and home pages
  std::vector<TContentFile> Files{};
  std::string GameDir{};                   // an add-on's folder
  std::vector<std::string> Screenshots{};  // addresses, relative to the catalogue for add-ons
  std::uint8_t Sources = 0;                // TCatalogueBits
};

// A record a reader left out, and why ("file 'x' (line 12): date '31.02.99' ...").
struct TCatalogueSkip {
  std::string Record;
  std::string Reason;
};

struct TCatalogue {
  std::vector<TContentPackage> Packages{};
  std::vector<TCatalogueSkip> Skipped{};
};

// Limits every reader keeps, against hostile catalogues.
inline constexpr std::size_t kMaxCatalogueBytes = 64u << 20;
inline constexpr std::size_t kMaxCatalogueString = 1u << 20;
inline constexpr int kMaxCatalogueDepth = 32;

}  // namespace fx
