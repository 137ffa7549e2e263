#include "settings/SteamLibraries.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

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

// Reads an object's entries up to its closing brace; returns its "path" value, if any.
// Nested objects are read and dropped.
std::optional<std::string> ReadObject(TVdfLexer& lexer, bool top,
                                      std::vector<fs::path>* libraries) {
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
      const auto inner = ReadObject(lexer, false, nullptr);
      if (top && inner && libraries != nullptr) libraries->emplace_back(*inner);
    } else {
      lexer.Fail("a value was expected after \"" + key.Text + "\"");
    }
  }
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
          home / ".var/app/com.valvesoftware.Steam/.local/share/Steam" / file};
}

std::vector<fs::path> SteamLibraryFolders(const fs::path& home) {
  std::vector<fs::path> folders;
  std::vector<fs::path> seenFiles;
  for (const fs::path& file : SteamLibraryFiles(home)) {
    std::error_code ec;
    const fs::path identity = fs::canonical(file, ec);
    if (ec) continue;  // no such file
    if (std::find(seenFiles.begin(), seenFiles.end(), identity) != seenFiles.end()) continue;
    seenFiles.push_back(identity);
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) continue;
    try {
      for (const fs::path& folder : ParseSteamLibraryFolders(text))
        AddOnce(folders, folder);
    } catch (const EVdfError&) {
      // A damaged file only means no game is proposed from Steam.
    }
  }
  return folders;
}

}  // namespace fx
