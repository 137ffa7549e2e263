#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fx {

// Variables set for a started program, NAME and value, on top of our own environment.
using TEnvironment = std::vector<std::pair<std::string, std::string>>;

// Splits a parameter string into arguments the way a Windows program's C runtime does for
// everything after the program name, so that command lines written for the Windows build reach
// the game with the same arguments:
//   - blanks and tabs separate arguments; runs of them count once; nothing else separates;
//   - a double quote starts or ends a quoted part and is removed; inside it blanks are kept;
//   - inside a quoted part, "" gives one literal quote and the part goes on (the rule of the
//     C runtime since 2008; CommandLineToArgvW ends the part instead);
//   - 2n backslashes before a quote give n backslashes, and the quote acts as above;
//   - 2n+1 backslashes before a quote give n backslashes and a literal quote;
//   - backslashes not before a quote are kept as they are (Windows paths pass unchanged);
//   - "" on its own is an empty argument; an unterminated quote runs to the end.
// No other character is special: ; $ ` | & < > * ? ' and % arrive literally.
std::vector<std::string> SplitCommandLine(std::string_view parameters);

// One argument as a POSIX shell user would type it: as it stands when it holds only
// letters, digits and "%+,-./:=@_", else in single quotes, a quote inside written '\''.
std::string ShellQuoted(std::string_view argument);
// The program and its arguments, each ShellQuoted, separated by blanks; variables of
// `environment` go in front as NAME=value assignments, the value ShellQuoted.
std::string ShellCommandText(const std::string& program, const std::vector<std::string>& arguments,
                             const TEnvironment& environment = {});

}  // namespace fx
