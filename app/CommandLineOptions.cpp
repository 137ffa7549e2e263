#include "app/CommandLineOptions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>

#include "launcher/ConfigShortcut.h"
#include "platform/Version.h"

namespace fx {

namespace {

// Qt's options that take a value, and those that do not (QGuiApplication, QApplication).
constexpr std::array<std::string_view, 12> kQtOptionsWithValue{
    "-platform",        "-platformpluginpath",
    "-platformtheme",   "-plugin",
    "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle",    "-style",
    "-stylesheet",      "-session",
    "-display",         "-geometry"};
constexpr std::array<std::string_view, 6> kQtFlags{"-reverse", "-widgetcount", "-nograb",
                                                   "-dograb",  "-sync",        "-qmljsdebugger"};

template <std::size_t N>
bool IsOneOf(std::string_view option, const std::array<std::string_view, N>& list) {
  return std::find(list.begin(), list.end(), option) != list.end();
}

TProgramOptions Refuse(std::string error) {
  TProgramOptions options;
  options.Action = TProgramAction::Refuse;
  options.Error = std::move(error);
  return options;
}

// The package options: an action with its subject, and what modifies --install.
// Returns false when `argument` is none of them; `error` is set for a bad one.
bool ParsePackageOption(const std::vector<std::string>& arguments, std::size_t& i,
                        TProgramOptions& options, std::string& error) {
  const std::string& argument = arguments[i];
  const std::string name = argument.substr(0, argument.find('='));
  const bool inlineValue = name.size() < argument.size();
  const auto value = [&]() -> std::optional<std::string> {
    if (inlineValue) return argument.substr(name.size() + 1);
    if (i + 1 == arguments.size()) return std::nullopt;
    return arguments[++i];
  };
  struct TAction {
    const char* Name;
    TProgramAction Action;
    bool TakesSubject;
  };
  static constexpr TAction kActions[] = {{"--install", TProgramAction::Install, true},
                                         {"--uninstall", TProgramAction::Uninstall, true},
                                         {"--verify", TProgramAction::Verify, true},
                                         {"--packages", TProgramAction::Packages, false}};
  for (const TAction& a : kActions) {
    if (name != a.Name) continue;
    if (options.Action != TProgramAction::Run) {
      error = std::string(a.Name) + " cannot be combined with another action";
      return true;
    }
    options.Action = a.Action;
    if (!a.TakesSubject) {
      if (inlineValue) error = std::string(a.Name) + " takes no value";
      return true;
    }
    const auto subject = value();
    if (!subject || subject->empty()) error = std::string(a.Name) + " needs a value";
    if (subject) options.Package.Subject = *subject;
    return true;
  }
  TPackageOptions& p = options.Package;
  if (name == "--replace" || name == "--yes") {
    if (inlineValue) error = name + " takes no value";
    (name == "--replace" ? p.Replace : p.Yes) = true;
    return true;
  }
  if (name != "--into" && name != "--sha256" && name != "--size") return false;
  const auto given = value();
  if (!given || given->empty()) {
    error = name + " needs a value";
    return true;
  }
  if (name == "--into") {
    p.Into = *given;
  } else if (name == "--sha256") {
    const bool hex = given->size() == 64 && std::all_of(given->begin(), given->end(), [](char c) {
                       return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                     });
    if (!hex) error = "--sha256 needs 64 hexadecimal digits";
    p.Sha256 = *given;
  } else {
    std::uint64_t size = 0;
    const auto [end, bad] = std::from_chars(given->data(), given->data() + given->size(), size);
    if (bad != std::errc() || end != given->data() + given->size())
      error = "--size needs a number of bytes";
    p.Size = size;
  }
  return true;
}

}  // namespace

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  TProgramOptions options;
  const std::string launchEquals = std::string(kLaunchOption) + "=";
  bool modifiers = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.starts_with("--") && argument != "--help" && argument != "--version") {
      std::string error;
      const TProgramAction before = options.Action;
      if (ParsePackageOption(arguments, i, options, error)) {
        if (!error.empty()) return Refuse(error);
        modifiers = modifiers || options.Action == before;
        continue;
      }
    }
    if (argument == "--help" || argument == "-h") {
      options.Action = TProgramAction::Help;
      return options;
    }
    if (argument == "--version") {
      options.Action = TProgramAction::Version;
      return options;
    }
    if (argument == kLaunchOption || argument.starts_with(launchEquals)) {
      if (options.Action == TProgramAction::Launch)
        return Refuse("--launch may be given only once");
      if (options.Action != TProgramAction::Run)
        return Refuse("--launch cannot be combined with another action");
      if (argument == kLaunchOption) {
        if (i + 1 == arguments.size()) return Refuse("--launch needs the name of a configuration");
        options.LaunchName = arguments[++i];
      } else {
        options.LaunchName = argument.substr(launchEquals.size());
      }
      options.Action = TProgramAction::Launch;
      continue;
    }
    const std::string_view name = std::string_view(argument).substr(0, argument.find('='));
    if (IsOneOf(name, kQtFlags)) continue;
    if (IsOneOf(name, kQtOptionsWithValue)) {
      if (name.size() == argument.size() && ++i == arguments.size())
        return Refuse(argument + " needs a value");
      continue;
    }
    if (argument.starts_with('-')) return Refuse("unknown option " + argument);
    return Refuse("unexpected argument " + argument);
  }
  if (modifiers && options.Action != TProgramAction::Install)
    return Refuse("--into, --replace, --sha256, --size and --yes go with --install");
  return options;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " [--launch NAME]\n"
         "       " +
         program +
         " --install FILE|URL [--into FOLDER] [--replace] [--sha256 HEX]\n"
         "                [--size BYTES] [--yes]\n"
         "       " +
         program +
         " --uninstall NAME | --verify NAME | --packages\n"
         "A front end for Quake and its modifications: choose the engine, game type, map and\n"
         "rules, and Fraxinel writes the game script and starts the game.\n"
         "\n"
         "  --launch NAME  start the saved configuration NAME as the launch button would,\n"
         "                 without showing the main window\n"
         "  --install FILE|URL  install a package (.zip, .pk3, .pak or .bsp): the plan is\n"
         "                 shown and nothing is written unless you answer \"y\" (or give\n"
         "                 --yes); --into names id1 or a mod folder where the package leaves\n"
         "                 the choice, --replace lets it replace files (kept as backups),\n"
         "                 --sha256 and --size are checked against the archive\n"
         "  --uninstall NAME  remove an installed package, putting back what it replaced\n"
         "  --verify NAME  compare a package's files with its record\n"
         "  --packages     list the installed packages: name, state, folder, files\n"
         "                 (exit codes: 0 done, 1 refused or failed, 2 bad arguments)\n"
         "  -h, --help     show this help and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "Settings are kept in $FRAXINEL_CONFIG_DIR, else $XDG_CONFIG_HOME/fraxinel\n"
         "(~/.config/fraxinel); the game's output in $XDG_STATE_HOME/fraxinel\n"
         "(~/.local/state/fraxinel); the records of installed packages in\n"
         "$XDG_DATA_HOME/fraxinel/packages (~/.local/share/fraxinel/packages).\n";
}

std::string VersionText() {
  return "fraxinel " + ProgramVersion().ToString() + "\n";
}

}  // namespace fx
