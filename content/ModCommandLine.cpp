#include "content/ModCommandLine.h"

#include "content/ContentText.h"

namespace fx {

namespace {

// The value of a switch that takes one, or a refusal.
std::optional<std::string_view> Value(std::vector<std::string_view>& tokens, std::size_t& i,
                                      TModCommandLine& out) {
  if (i + 1 >= tokens.size()) {
    out.Refusals.push_back("'" + std::string(tokens[i]) + "' needs a value");
    return std::nullopt;
  }
  return tokens[++i];
}

}  // namespace

TModCommandLine CheckCommandLine(std::string_view commandLine) {
  TModCommandLine out;
  std::vector<std::string_view> tokens = SplitAtBlanks(commandLine);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string_view token = tokens[i];
    const std::string lower = LowerAscii(token);
    if (lower == "-hipnotic") {
      out.Hipnotic = true;
    } else if (lower == "-rogue") {
      out.Rogue = true;
    } else if (lower == "-quoth") {
      out.Quoth = true;
    } else if (lower == "-game" || lower == "+map") {
      const auto name = Value(tokens, i, out);
      if (!name) continue;
      if (!IsSafeName(*name)) {
        out.Refusals.push_back("'" + std::string(*name) + "' is not one plain folder or map name");
      } else if (lower == "-game") {
        out.Games.emplace_back(*name);
      } else {
        out.StartMap = *name;
      }
    } else if (lower == "-heapsize") {
      const auto size = Value(tokens, i, out);
      if (!size) continue;
      const auto kib = ParseUnsigned(*size);
      if (!kib || *kib < 1024 || *kib > (4u << 20))
        out.Refusals.push_back("'-heapsize " + std::string(*size) + "' is not 1024 to 4194304 KiB");
      else
        out.HeapSize = static_cast<unsigned>(*kib);
    } else {
      out.Refusals.push_back("'" + std::string(token) + "' is not a switch this program knows");
    }
  }
  return out;
}

}  // namespace fx
