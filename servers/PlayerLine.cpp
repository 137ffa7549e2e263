#include "servers/PlayerLine.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "servers/InfoString.h"

namespace fx {

namespace {

// Reads blank-separated words off the front of a line.
class TWords {
 public:
  explicit TWords(std::string_view line) : FRest(line) {}
  std::string_view Next() {
    SkipBlanks();
    const std::size_t end = std::min(FRest.find(' '), FRest.size());
    const std::string_view word = FRest.substr(0, end);
    FRest.remove_prefix(end);
    return word;
  }
  // Text between the opening quote and the next quote, which is consumed.
  std::optional<std::string_view> Quoted() {
    SkipBlanks();
    if (!FRest.starts_with('"')) return std::nullopt;
    const std::size_t close = FRest.find('"', 1);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view text = FRest.substr(1, close - 1);
    FRest.remove_prefix(close + 1);
    return text;
  }
  std::string_view Rest() {
    SkipBlanks();
    return FRest;
  }
  void Drop(std::size_t count) { FRest.remove_prefix(std::min(count, FRest.size())); }

 private:
  void SkipBlanks() {
    while (!FRest.empty() && (FRest.front() == ' ' || FRest.front() == '\t'))
      FRest.remove_prefix(1);
  }
  std::string_view FRest;
};

// The name's span in `rest`, which starts with its opening quote: up to the quote that
// `closer` begins with (the separator to the next quoted field), else up to the last quote.
std::optional<std::string_view> NameSpan(std::string_view rest, std::string_view closer) {
  if (!rest.starts_with('"')) return std::nullopt;
  std::size_t close = closer.empty() ? std::string_view::npos : rest.find(closer, 1);
  if (close == std::string_view::npos) close = rest.rfind('"');
  if (close == 0) return std::nullopt;
  return rest.substr(1, close - 1);
}

bool StripPrefix(std::string& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.erase(0, prefix.size());
  return true;
}

bool IsColourPair(std::string_view word, int& bottom, int& top) {
  const std::size_t bar = word.find('_');
  if (bar == std::string_view::npos) return false;
  const auto first = LeadingInt(word.substr(0, bar));
  const auto second = LeadingInt(word.substr(bar + 1));
  if (!first || !second) return false;
  bottom = *first;
  top = *second;
  return true;
}

}  // namespace

std::optional<TServerPlayer> ParseQuakeWorldPlayer(std::string_view line) {
  TWords words(line);
  const auto userid = LeadingInt(words.Next());
  const std::string_view frags = words.Next();
  const auto minutes = LeadingInt(words.Next());
  const auto ping = LeadingInt(words.Next());
  const std::string_view rest = words.Rest();
  const auto name = NameSpan(rest, "\" \"");
  if (!userid || !minutes || !ping || !name) return std::nullopt;
  TServerPlayer player;
  player.Name = std::string(*name);
  player.Ping = std::abs(*ping);
  player.Seconds = *minutes > INT_MAX / 60 || *minutes < 0 ? -1 : *minutes * 60;
  player.Spectator = frags == "S" || frags == "-9999" || *ping < 0;
  player.Frags = player.Spectator ? 0 : LeadingInt(frags).value_or(0);
  if (StripPrefix(player.Name, "\\s\\")) player.Spectator = true;
  player.Bot = StripPrefix(player.Name, "BOT:");
  words.Drop(name->size() + 2);
  (void)words.Quoted();  // the skin
  player.Top = LeadingInt(words.Next()).value_or(0);
  player.Bottom = LeadingInt(words.Next()).value_or(0);
  if (const auto team = words.Quoted()) player.Team = std::string(*team);
  return player;
}

std::optional<TServerPlayer> ParseDarkPlacesPlayer(std::string_view line) {
  TWords words(line);
  const std::string_view frags = words.Next();
  const auto ping = LeadingInt(words.Next());
  if (frags.empty() || !ping) return std::nullopt;
  TServerPlayer player;
  player.Frags = LeadingInt(frags).value_or(0);
  player.Ping = *ping;
  std::string_view rest = words.Rest();
  if (!rest.starts_with('"')) {
    const std::string_view third = words.Next();
    int bottom = 0, top = 0;
    if (IsColourPair(third, bottom, top)) {
      player.Bottom = bottom;
      player.Top = top;
    } else if (!LeadingInt(third)) {
      return std::nullopt;
    } else {
      player.Team = std::string(third);
    }
    rest = words.Rest();
  } else if (std::count(rest.begin(), rest.end(), '"') >= 4) {
    const auto team = words.Quoted();  // FTE: the team comes first
    if (!team) return std::nullopt;
    player.Team = std::string(*team);
    rest = words.Rest();
  }
  const auto name = NameSpan(rest, "");
  if (!name) return std::nullopt;
  player.Name = std::string(*name);
  return player;
}

}  // namespace fx
