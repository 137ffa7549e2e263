#include "platform/CommandLine.h"

#include <cstddef>

namespace fx {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads one argument starting at `pos` (which is not a blank) and leaves `pos` after it.
std::string ReadArgument(std::string_view text, std::size_t& pos) {
  std::string arg;
  bool quoted = false;
  while (pos < text.size()) {
    std::size_t backslashes = 0;
    while (pos < text.size() && text[pos] == '\\') {
      ++backslashes;
      ++pos;
    }
    const bool atQuote = pos < text.size() && text[pos] == '"';
    if (!atQuote) {
      arg.append(backslashes, '\\');
      if (pos == text.size() || (!quoted && IsBlank(text[pos]))) break;
      arg += text[pos++];
      continue;
    }
    arg.append(backslashes / 2, '\\');
    if (backslashes % 2 == 1) {
      arg += '"';
    } else if (quoted && pos + 1 < text.size() && text[pos + 1] == '"') {
      arg += '"';
      ++pos;
    } else {
      quoted = !quoted;
    }
    ++pos;
  }
  return arg;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view parameters) {
  std::vector<std::string> args;
  std::size_t pos = 0;
  for (;;) {
    while (pos < parameters.size() && IsBlank(parameters[pos]))
      ++pos;
    if (pos == parameters.size()) break;
    args.push_back(ReadArgument(parameters, pos));
  }
  return args;
}

std::string ShellQuoted(std::string_view argument) {
  constexpr std::string_view kPlain =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789%+,-./:=@_";
  if (!argument.empty() && argument.find_first_not_of(kPlain) == std::string_view::npos)
    return std::string(argument);
  std::string quoted = "'";
  for (const char c : argument) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ShellCommandText(const std::string& program, const std::vector<std::string>& arguments,
                             const TEnvironment& environment) {
  std::string text;
  for (const auto& [name, value] : environment)
    text += name + "=" + ShellQuoted(value) + " ";
  text += ShellQuoted(program);
  for (const std::string& argument : arguments)
    text += " " + ShellQuoted(argument);
  return text;
}

}  // namespace fx
