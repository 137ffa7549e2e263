#include "settings/SteamLibraries.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "platform/RegularFile.h"

namespace fx {

namespace {

namespace fs = std::filesystem;

enum class TTokenKind { String, Open, Close, End };

struct TToken {
  TTokenKind Kind;
  std::string Text;
};

// The tokens of the KeyValues text format Steam writes: quoted strings with backslash
// escapes, braces, and // comments to the end of the line.
class TVdfLexer {
 public:
  explicit TVdfLexer(std::string_view text) : FText(text) {}

  TToken Next() {
    SkipBlanksAndComments();
    if (FPos >= FText.size()) return {TTokenKind::End, {}};
    const char c = FText[FPos++];
    if (c == '{') return {TTokenKind::Open, {}};
    if (c == '}') return {TTokenKind::Close, {}};
    if (c == '"') return {TTokenKind::String, QuotedRest()};
    Fail("unexpected character '" + std::string(1, c) + "'");
  }

  [[noreturn]] void Fail(const std::string& what) const {
    const auto line = 1 + std::count(FText.begin(), FText.begin() + static_cast<long>(FPos), '\n');
    throw EVdfError("libraryfolders.vdf, line " + std::to_string(line) + ": " + what);
  }

 private:
  void SkipBlanksAndComments() {
    while (FPos < FText.size()) {
      if (std::isspace(static_cast<unsigned char>(FText[FPos]))) {
        ++FPos;
      } else if (FText.substr(FPos, 2) == "//") {
        FPos = std::min(FText.find('\n', FPos), FText.size());
      } else {
        return;
      }
    }
  }

  std::string QuotedRest() {
    std::string text;
    while (FPos < FText.size()) {
      const char c = FText[FPos++];
      if (c == '"') return text;
      if (c == '\\' && FPos < FText.size()) {
        const char escaped = FText[FPos++];
        text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
      } else {
        text += c;
      }
    }
    Fail("a string is not closed");
  }

  std::string_view FText;
  std::size_t FPos = 0;
};

bool IsNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Steam's library file nests three deep (the list, a library, its apps); a much deeper
// text is no library list, and reading it by recursion must not run out of stack.
constexpr int kMaxVdfDepth = 32;
// libraryfolders.vdf lists a few folders and the app ids in each: a few kilobytes.
constexpr std::size_t kLibraryFileLimit = 4 * 1024 * 1024;

constexpr const char* kFlatpakSteamId = "com.valvesoftware.Steam";

// Reads an object's entries up to its closing brace; returns its "path" value, if any.
// Nested objects are read and dropped.
std::optional<std::string> ReadObject(TVdfLexer& lexer, bool top, std::vector<fs::path>* libraries,
                                      int depth = 1) {
  if (depth > kMaxVdfDepth)
    lexer.Fail("objects nest more than " + std::to_string(kMaxVdfDepth) + " deep");
  std::optional<std::string> path;
  for (;;) {
    TToken key = lexer.Next();
    if (key.Kind == TTokenKind::Close) return path;
    if (key.Kind == TTokenKind::End) lexer.Fail("an object is not closed");
    if (key.Kind != TTokenKind::String) lexer.Fail("a name was expected");
    TToken value = lexer.Next();
    if (value.Kind == TTokenKind::String) {
      if (top && IsNumber(key.Text) && libraries != nullptr) libraries->emplace_back(value.Text);
      if (key.Text == "path") path = value.Text;
    } else if (value.Kind == TTokenKind::Open) {
      const auto inner = ReadObject(lexer, false, nullptr, depth + 1);
      if (top && inner && libraries != nullptr) libraries->emplace_back(*inner);
    } else {
      lexer.Fail("a value was expected after \"" + key.Text + "\"");
    }
  }
}

bool IsBelow(const fs::path& file, const fs::path& folder) {
  const fs::path relative = file.lexically_normal().lexically_relative(folder.lexically_normal());
  return !relative.empty() && *relative.begin() != "..";
}

void AddOnce(std::vector<fs::path>& list, const fs::path& path) {
  if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
}

}  // namespace

std::vector<fs::path> ParseSteamLibraryFolders(std::string_view vdf) {
  TVdfLexer lexer(vdf);
  const TToken name = lexer.Next();
  if (name.Kind != TTokenKind::String) lexer.Fail("the file does not start with a name");
  if (lexer.Next().Kind != TTokenKind::Open) lexer.Fail("\"{\" was expected");
  std::vector<fs::path> libraries;
  ReadObject(lexer, true, &libraries);
  if (lexer.Next().Kind != TTokenKind::End) lexer.Fail("text follows the closing brace");
  return libraries;
}

std::vector<fs::path> SteamLibraryFiles(const fs::path& home) {
  const fs::path file = fs::path("steamapps") / "libraryfolders.vdf";
  return {home / ".local/share/Steam" / file, home / ".steam/steam" / file,
          FlatpakSteamFolder(home) / ".local/share/Steam" / file};
}

fs::path FlatpakSteamFolder(const fs::path& home) {
  return home / ".var/app" / kFlatpakSteamId;
}

std::vector<fs::path> FlatpakSteamPaths(const fs::path& inside, const fs::path& home) {
  if (!IsBelow(inside, home)) return {inside};
  const fs::path relative = inside.lexically_normal().lexically_relative(home.lexically_normal());
  return {(FlatpakSteamFolder(home) / relative).lexically_normal(), inside};
}

std::vector<fs::path> SteamLibraryFolders(const fs::path& home) {
  std::vector<fs::path> folders;
  std::vector<fs::path> seenFiles;
  const fs::path flatpak = FlatpakSteamFolder(home);
  for (const fs::path& file : SteamLibraryFiles(home)) {
    std::error_code ec;
    const fs::path identity = fs::canonical(file, ec);
    if (ec) continue;  // no such file
    if (std::find(seenFiles.begin(), seenFiles.end(), identity) != seenFiles.end()) continue;
    seenFiles.push_back(identity);
    std::string text;
    try {
      text = ReadRegularFile(file, kLibraryFileLimit);
    } catch (const EFileOpenError&) {
      continue;
    }
    try {
      const bool sandboxed = IsBelow(file, flatpak);
      for (const fs::path& folder : ParseSteamLibraryFolders(text))
        for (const fs::path& place :
             sandboxed ? FlatpakSteamPaths(folder, home) : std::vector<fs::path>{folder})
          AddOnce(folders, place);
    } catch (const EVdfError&) {
      // A damaged file only means no game is proposed from Steam.
    }
  }
  return folders;
}

}  // namespace fx
