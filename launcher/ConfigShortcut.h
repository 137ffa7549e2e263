#pragma once

// A desktop shortcut that starts one saved configuration: "fraxinel --launch NAME".

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Shortcuts.h"

namespace fx {

inline constexpr const char* kLaunchOption = "--launch";

// The shortcut: the program, captioned with the name; it passes ConfigShortcutArguments.
TShortcut ConfigShortcut(const std::filesystem::path& program, const std::string& configName,
                         const std::string& icon);
// --launch and the name.
std::vector<std::string> ConfigShortcutArguments(const std::string& configName);

// "Fraxinel - NAME.desktop" in `folder`; characters a file name cannot hold ("/", control
// characters) become "_".
std::filesystem::path ConfigShortcutFile(const std::filesystem::path& folder,
                                         const std::string& configName);

}  // namespace fx
