#include "platform/Shortcuts.h"

#include "platform/RegularFile.h"

#include <system_error>

#include <unistd.h>

namespace fx {

namespace {

// Escapes of the .desktop file format for string values.
std::string EscapeValue(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  // A leading blank would be dropped by readers of the format.
  if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
  return out;
}

bool IsReservedInExec(char c) {
  constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
  return reserved.find(c) != std::string_view::npos;
}

// In the Exec key a lone '%' starts a field code; a literal one is doubled.
std::string EscapePercent(std::string_view text) {
  std::string out;
  for (const char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  bool needsQuotes = argument.empty();
  for (const char c : argument)
    needsQuotes = needsQuotes || IsReservedInExec(c);
  if (!needsQuotes) return std::string(argument);
  std::string out = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string DesktopEntryText(const TShortcut& shortcut, const std::vector<std::string>& arguments) {
  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.0\n";
  text += "Name=" + EscapeValue(shortcut.Name) + "\n";
  if (!shortcut.Comment.empty()) text += "Comment=" + EscapeValue(shortcut.Comment) + "\n";
  std::string exec = QuoteExecArgument(shortcut.Target.string());
  for (const std::string& argument : arguments)
    exec += " " + QuoteExecArgument(argument);
  text += "Exec=" + EscapeValue(EscapePercent(exec)) + "\n";
  if (!shortcut.Icon.empty()) text += "Icon=" + EscapeValue(shortcut.Icon) + "\n";
  text += "Terminal=false\n";
  text += "Categories=Game;\n";
  return text;
}

bool CreateShortcut(const TShortcut& shortcut, const std::filesystem::path& linkFile,
                    const std::vector<std::string>& arguments) {
  std::error_code ec;
  if (linkFile.has_parent_path()) std::filesystem::create_directories(linkFile.parent_path(), ec);
  std::filesystem::path temp = linkFile;
  temp += ".tmp-" + std::to_string(::getpid());
  try {
    WriteRegularFile(temp, DesktopEntryText(shortcut, arguments));
  } catch (const EFileOpenError& e) {
    // A FIFO or device of that name is not ours to remove.
    if (!e.NotRegular()) std::filesystem::remove(temp, ec);
    return false;
  }
  using std::filesystem::perms;
  std::filesystem::permissions(temp,
                               perms::owner_all | perms::group_read | perms::group_exec |
                                   perms::others_read | perms::others_exec,
                               ec);
  std::filesystem::rename(temp, linkFile, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  }
  return true;
}

}  // namespace fx
