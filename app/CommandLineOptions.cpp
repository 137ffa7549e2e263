#include "app/CommandLineOptions.h"

#include <algorithm>
#include <array>
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

}  // namespace

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  TProgramOptions options;
  const std::string launchEquals = std::string(kLaunchOption) + "=";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
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
  return options;
}

std::string UsageText(const std::string& program) {
  return "Usage: " + program +
         " [--launch NAME]\n"
         "A front end for Quake and its modifications: choose the engine, game type, map and\n"
         "rules, and Fraxinel writes the game script and starts the game.\n"
         "\n"
         "  --launch NAME  start the saved configuration NAME as the launch button would,\n"
         "                 without showing the main window\n"
         "  -h, --help     show this help and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "Settings are kept in $FRAXINEL_CONFIG_DIR, else $XDG_CONFIG_HOME/fraxinel\n"
         "(~/.config/fraxinel); the game's output in $XDG_STATE_HOME/fraxinel\n"
         "(~/.local/state/fraxinel).\n";
}

std::string VersionText() {
  return "fraxinel " + ProgramVersion().ToString() + "\n";
}

}  // namespace fx
