#include "launcher/ConfigShortcut.h"

namespace fx {

TShortcut ConfigShortcut(const std::filesystem::path& program, const std::string& configName,
                         const std::string& icon) {
  TShortcut shortcut;
  shortcut.Target = program;
  shortcut.Name = configName;
  shortcut.Comment = "Start Quake with the Fraxinel configuration \"" + configName + "\"";
  shortcut.Icon = icon;
  return shortcut;
}

std::vector<std::string> ConfigShortcutArguments(const std::string& configName) {
  return {kLaunchOption, configName};
}

std::filesystem::path ConfigShortcutFile(const std::filesystem::path& folder,
                                         const std::string& configName) {
  std::string name = "Fraxinel - " + configName;
  for (char& c : name)
    if (c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
  return folder / (name + ".desktop");
}

}  // namespace fx
