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

void TJsonArraySplitter::Feed(std::string_view piece) {
  std::size_t at = 0;
  std::size_t start = 0;  // where the element's bytes begin in this piece
  while (at < piece.size()) {
    if (FState == TState::Element) {
      at = ScanElement(piece, at, start);
      continue;
    }
    const char c = piece[at];
    if (IsBlank(c)) {
      ++at;
      continue;
    }
    switch (FState) {
      case TState::Start:
        if (c != '[') throw ECatalogue("the page is not a list of records");
        FState = TState::First;
        ++at;
        break;
      case TState::First:
      case TState::AfterComma:
        if (c == ']' && FState == TState::First) {
          FState = TState::End;
          ++at;
        } else if (c == ',' || c == ']') {
          Refuse("a record is missing in its list");
        } else {
          FState = TState::Element;  // this byte is the element's first
          start = at;
        }
        break;
      case TState::End:
        Refuse("something follows its list");
      case TState::Element:
        break;
    }
  }
  // An element the piece ends in goes on in the next one.
  if (FState == TState::Element) FBytes.append(piece.substr(start));
}

std::size_t TJsonArraySplitter::ScanElement(std::string_view piece, std::size_t at,
                                            std::size_t start) {
  while (at < piece.size()) {
    if (FInString) {
      const std::size_t from = at;
      const void* found = std::memchr(piece.data() + at, '"', piece.size() - at);
      const std::size_t quote =
          found ? static_cast<std::size_t>(static_cast<const char*>(found) - piece.data())
                : piece.size();
      // The backslashes just before the quote (or the piece's end), with those the last
      // piece ended in when there is nothing else between.
      std::size_t run = 0;
      while (quote - run > from && piece[quote - 1 - run] == '\\')
        ++run;
      if (quote - run == from) run += FBackslashes;
      if (!found) {
        FBackslashes = run;
        return piece.size();
      }
      FBackslashes = 0;
      at = quote + 1;
      FInString = run % 2 != 0;  // an escaped quote does not end the string
      continue;
    }
    while (at < piece.size() && !kPunctuation[static_cast<unsigned char>(piece[at])])
      ++at;
    if (at == piece.size()) return at;
    const char c = piece[at];
    if (FDepth == 0 && (c == ',' || c == ']')) {
      Emit(piece.substr(start, at - start));
      FState = c == ',' ? TState::AfterComma : TState::End;
      return at + 1;
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
    ++at;
  }
  return at;
}

void TJsonArraySplitter::Emit(std::string_view tail) {
  FDepth = 0;
  // Most elements lie in one piece: handed on where they lie.
  if (FBytes.empty()) return FElement(tail);
  FBytes.append(tail);
  FElement(FBytes);
  FBytes.clear();
}

void TJsonArraySplitter::Finish() const {
  if (FState == TState::Start) Refuse("it is empty");
  if (FState != TState::End) Refuse("it ends before its list does");
}

}  // namespace fx
