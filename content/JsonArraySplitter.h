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
  void FeedElement(std::string_view& bytes);
  void FeedString(std::string_view& bytes);
  void Emit();

  TElement FElement;
  TState FState = TState::Start;
  std::string FBytes;  // of the element so far
  std::uint64_t FDepth = 0;
  bool FInString = false;
  std::size_t FBackslashes = 0;  // in a string, those just before what comes next
};

}  // namespace fx
