#pragma once

// The elements of a JSON array, each handed on whole as its bytes come in: a page of tens of
// megabytes is parsed an element at a time, never as one document (whose parse would hold
// more than the page's size again beside the records made from it). Only the array's own
// punctuation is checked here; each element is the parser's to check.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fx {

class TJsonArraySplitter {
 public:
  using TElement = std::function<void(std::string_view element)>;
  explicit TJsonArraySplitter(TElement element) : FElement(std::move(element)) {}

  // Throws ECatalogue when the bytes cannot be a JSON array.
  void Feed(std::string_view bytes);
  // Throws ECatalogue when the array has not ended.
  void Finish() const;

 private:
  enum class TState : std::uint8_t { Start, First, AfterComma, Element, End };
  // Scans the element from `at` (its bytes began at `start` of this piece); returns where
  // it stopped: the piece's end, or past the element's end with the element handed on.
  std::size_t ScanElement(std::string_view piece, std::size_t at, std::size_t start);
  void Emit(std::string_view tail);

  TElement FElement;
  TState FState = TState::Start;
  std::string FBytes;  // of an element begun in an earlier piece
  std::uint64_t FDepth = 0;
  bool FInString = false;
  std::size_t FBackslashes = 0;  // in a string, those just before what comes next
};

}  // namespace fx
