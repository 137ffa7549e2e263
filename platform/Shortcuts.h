#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fx {

// What a desktop shortcut to a program holds.
struct TShortcut {
  std::filesystem::path Target;  // the program the shortcut starts
  std::string Name;              // the caption shown under the icon
  std::string Comment;           // the longer description (tool tip)
  std::string Icon;              // an icon file path or an icon theme name; may be empty
};

// The text of a freedesktop .desktop file for the shortcut.
// `arguments` are passed to the program, each as one argument.
std::string DesktopEntryText(const TShortcut& shortcut,
                             const std::vector<std::string>& arguments = {});

// Quotes one argument for the Exec key of a .desktop file (before the file's
// own escaping of backslashes) where it holds characters the key reserves.
std::string QuoteExecArgument(std::string_view argument);

// Writes the shortcut as `linkFile` (normally "<Name>.desktop"), replacing the file
// whole, and marks it executable as desktops require of launchers they trust.
// Returns whether the file was written; never throws.
bool CreateShortcut(const TShortcut& shortcut, const std::filesystem::path& linkFile,
                    const std::vector<std::string>& arguments = {});

}  // namespace fx
