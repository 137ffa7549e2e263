#include "content/JsonArraySplitter.h"

#include <array>
#include <cstring>

#include "content/ContentPackage.h"

namespace fx {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The bytes that matter outside a string within an element.
constexpr std::array<bool, 256> kPunctuation = [] {
  std::array<bool, 256> marks{};
  for (const char c : std::string_view("\"[]{},"))
    marks[static_cast<unsigned char>(c)] = true;
  return marks;
}();

[[noreturn]] void Refuse(const std::string& why) {
  throw ECatalogue("the page is refused: " + why);
}

}  // namespace

void TJsonArraySplitter::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    if (FState == TState::Element) {
      FeedElement(bytes);
      continue;
    }
    const char c = bytes.front();
    if (IsBlank(c)) {
      bytes.remove_prefix(1);
      continue;
    }
    switch (FState) {
      case TState::Start:
        if (c != '[') throw ECatalogue("the page is not a list of records");
        FState = TState::First;
        bytes.remove_prefix(1);
        break;
      case TState::First:
      case TState::AfterComma:
        if (c == ']' && FState == TState::First) {
          FState = TState::End;
          bytes.remove_prefix(1);
        } else if (c == ',' || c == ']') {
          Refuse("a record is missing in its list");
        } else {
          FState = TState::Element;  // this byte is the element's first
        }
        break;
      case TState::End:
        Refuse("something follows its list");
      case TState::Element:
        break;
    }
  }
}

void TJsonArraySplitter::FeedString(std::string_view& bytes) {
  while (!bytes.empty()) {
    const void* found = std::memchr(bytes.data(), '"', bytes.size());
    const std::size_t quote =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
              : bytes.size();
    // The backslashes just before the quote (or the end), with those the last bytes left.
    std::size_t run = 0;
    while (run < quote && bytes[quote - 1 - run] == '\\')
      ++run;
    if (run == quote) run += FBackslashes;
    FBytes.append(bytes.substr(0, found ? quote + 1 : quote));
    bytes.remove_prefix(found ? quote + 1 : quote);
    if (!found) {
      FBackslashes = run;
      return;
    }
    FBackslashes = 0;
    if (run % 2 == 0) {  // not escaped: the string ends
      FInString = false;
      return;
    }
  }
}

void TJsonArraySplitter::FeedElement(std::string_view& bytes) {
  while (!bytes.empty()) {
    if (FInString) {
      FeedString(bytes);
      continue;
    }
    std::size_t at = 0;
    while (at < bytes.size() && !kPunctuation[static_cast<unsigned char>(bytes[at])])
      ++at;
    FBytes.append(bytes.substr(0, at));
    bytes.remove_prefix(at);
    if (bytes.empty()) return;
    const char c = bytes.front();
    if (FDepth == 0 && (c == ',' || c == ']')) {
      bytes.remove_prefix(1);
      Emit();
      FState = c == ',' ? TState::AfterComma : TState::End;
      return;
    }
    if (c == '"') {
      FInString = true;
      FBackslashes = 0;
    } else if (c == '[' || c == '{') {
      ++FDepth;
    } else if (c == ']' || c == '}') {
      if (FDepth == 0) Refuse("a '}' closes what was not opened");
      --FDepth;
    }
    FBytes.push_back(c);
    bytes.remove_prefix(1);
  }
}

void TJsonArraySplitter::Emit() {
  FElement(FBytes);
  FBytes.clear();
  FDepth = 0;
}

void TJsonArraySplitter::Finish() const {
  if (FState == TState::Start) Refuse("it is empty");
  if (FState != TState::End) Refuse("it ends before its list does");
}

}  // namespace fx
