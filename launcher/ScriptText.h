#pragma once

// The pieces of the console scripts a launch writes: safe values, rules, highlighted
// lines, the date line and the file form (8-bit text, CR LF after every line).

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AsciiCase.h"

namespace fx {

using TScriptLines = std::vector<std::string>;

// A value for use between double quotes in a console command: a double quote becomes a
// single one and CR or LF a blank, so a map title or host name can neither close the quotes
// nor start a new command.
std::string QuotedValue(std::string_view text);
// QuotedValue(text) appended to `out`, for lines built in one piece.
void AppendQuotedValue(std::string& out, std::string_view text);
// A value written without quotes (map and demo names of "map", "record"): every blank,
// control character, semicolon and double quote becomes "_", so the value stays one
// argument of one command.
std::string BareValue(std::string_view text);

// `echo "<text>"` with the text made safe.
std::string EchoLine(std::string_view text);
// `echo "` + 0x02 (the console's highlight marker) + text + `"`.
std::string HighlightLine(std::string_view text);

enum class TRulePlace { Banner, MapListing, ServerSummary };
// `echo "<rule>"`: equals signs for the dedicated server's text console, otherwise the
// game's line-drawing characters (0x1D, a run of 0x1E, 0x1F).
std::string RuleLine(TRulePlace place, bool dedicated);

// Case-blind ASCII comparison, as the script lists sort.
bool LessIgnoringCase(std::string_view a, std::string_view b);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

struct TDate {
  int Year = 2000;
  int Month = 1;
  int Day = 1;
};
// The date in a short date picture: d, dd, m, mm, yy, yyyy; every other character is copied.
std::string FormatShortDate(const TDate& date, std::string_view picture);

// The common head of every script: "// created by Fraxinel", an empty line, "// <date>".
TScriptLines ScriptHeader(std::string_view dateText);

// The lines as the file holds them: each one followed by CR LF.
std::string ScriptBytes(const TScriptLines& lines);
// Replaces the file whole; throws EScriptWriteError when it cannot be written.
void WriteScript(const std::filesystem::path& file, const TScriptLines& lines);

class EScriptWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace fx
