#pragma once

// The program's own command-line options, read before anything else starts.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fx {

enum class TProgramAction {
  Run,        // no option of ours: the program starts as always
  Help,       // print the usage and end with 0
  Version,    // print the version and end with 0
  Launch,     // start the saved configuration LaunchName and end
  Refuse,     // an unknown option or a missing value: Error, the usage, exit code 2
  Install,    // --install FILE|URL: install a package (PackageCommand.h)
  Uninstall,  // --uninstall NAME
  Verify,     // --verify NAME
  Packages,   // --packages: list what is installed
};

// The package options: --install's FILE or URL, or the NAME of --uninstall/--verify, and
// what modifies --install.
struct TPackageOptions {
  std::string Subject;
  std::string Into;  // --into FOLDER
  bool Replace = false;
  bool Yes = false;
  std::optional<std::string> Sha256;  // --sha256 HEX (64 hex digits)
  std::optional<std::uint64_t> Size;  // --size BYTES
};

struct TProgramOptions {
  TProgramAction Action = TProgramAction::Run;
  std::string LaunchName;
  std::string Error;
  TPackageOptions Package;
};

// The exit code of a refused command line, and of --launch with an unknown name.
inline constexpr int kExitUsage = 2;

// Reads the arguments after the program name. "--launch NAME" and "--launch=NAME" take the
// name as it stands (it may begin with "-"); Qt's own options ("-style fusion",
// "-platform offscreen", ...) are left to Qt. The first --help or --version wins over
// everything after it.
TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

// The texts printed for --help and --version; `program` is the name the program was
// started by.
std::string UsageText(const std::string& program);
std::string VersionText();

}  // namespace fx
