#include "gamedata/CParser.h"

#include <algorithm>
#include <cstring>

namespace fx {

namespace {

// The program's own texts (UTF-8, the 8-bit encoding on Linux).
constexpr const char* kIdentifierExpected = "Bezeichner erwartet";
constexpr const char* kStringExpected = "String erwartet";
constexpr const char* kNumberExpected = "Zahl erwartet";
constexpr const char* kInvalidString = "Ung\xC3\xBCltige Stringkonstante";
constexpr const char* kLineTooLong = "Zeile zu lang";

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsFloatChar(char c) {
  return IsDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}
bool IsLineBreakOrEnd(char c) {
  return c == 0 || c == '\r' || c == '\n';
}

// A title scan creates one parser per map; the buffer of the last one that
// ended on this thread is kept for the next, instead of a fresh 40 KB each.
thread_local std::unique_ptr<char[]> tSpareBuffer;

std::unique_ptr<char[]> TakeBuffer() {
  if (tSpareBuffer) return std::move(tSpareBuffer);
  // Not zeroed: the scan never looks beyond the terminator it writes.
  return std::make_unique_for_overwrite<char[]>(TCParser::kBufferSize + 1);
}

}  // namespace

TCParser::TCParser(TStream& stream) : FStream(stream), FBuffer(TakeBuffer()) {
  FBuffer[0] = 0;
  FBufPtr = FBuffer.get();
  // One byte beyond the data's room for the terminator: a full buffer whose
  // last byte is a line feed is cut back to its very end.
  FBufEnd = FBuffer.get() + kBufferSize;
  FSourcePtr = FBuffer.get();
  FSourceEnd = FBuffer.get();
  FTokenPtr = FBuffer.get();
  NextToken();
}

TCParser::~TCParser() {
  try {
    FStream.Seek(FTokenPtr - FBufPtr, TSeekOrigin::Current);
  } catch (const std::exception&) {
    // A destructor must not throw; the source is given up anyway.
  }
  if (!tSpareBuffer) tSpareBuffer = std::move(FBuffer);
}

void TCParser::ReadBuffer() {
  char* const buffer = FBuffer.get();
  FOrigin += FSourcePtr - buffer;
  *FSourceEnd = FSaveChar;
  const std::int64_t rest = FBufPtr - FSourcePtr;
  if (rest != 0) std::memmove(buffer, FSourcePtr, static_cast<size_t>(rest));
  FBufPtr = buffer + rest;
  FSourcePtr = buffer;
  // The token being looked for starts here at the earliest; should the refill
  // fail, the destructor leaves the source at the text it could not take.
  FTokenPtr = buffer;
  FSourceEnd = FillToLineEnd();
  // The terminator goes in before any error, so a caller that goes on after
  // the error still finds the valid data ended.
  FSaveChar = *FSourceEnd;
  *FSourceEnd = 0;
  if (FSourceEnd == buffer && FBufPtr == FBufEnd) Error(kLineTooLong);
}

// Reads on behind FBufPtr until the data holds a line feed, the source ends or
// the buffer is full, and returns the end of the valid data: behind the last
// line feed, so that no token is split by a refill, or everything when the
// source has ended. A full buffer without a line feed gives the buffer's start.
// Since the valid data always ends behind a line feed or at the source's end,
// as it did when every refill read the whole room, the tokens, line numbers
// and errors do not depend on the read sizes.
char* TCParser::FillToLineEnd() {
  char* const buffer = FBuffer.get();
  char* searched = buffer;  // no line feed before this
  for (;;) {
    const std::int64_t wanted = std::min(FReadSize, FBufEnd - FBufPtr);
    const std::int64_t got = wanted > 0 ? FStream.Read(FBufPtr, wanted) : 0;
    FBufPtr += got;
    if (got < wanted) return FBufPtr;
    FReadSize = std::min(FReadSize * 2, kBufferSize);
    const auto lastLineFeed =
        std::find(std::make_reverse_iterator(FBufPtr), std::make_reverse_iterator(searched), '\n');
    if (lastLineFeed.base() != searched) return lastLineFeed.base();
    if (FBufPtr == FBufEnd) return buffer;
    searched = FBufPtr;
  }
}

void TCParser::SkipBlanks() {
  for (;;) {
    const auto c = static_cast<unsigned char>(*FSourcePtr);
    if (c == 0) {
      ReadBuffer();
      if (*FSourcePtr == 0) return;
      continue;
    }
    if (c == '\n') ++FSourceLine;
    if (c > ' ') return;
    ++FSourcePtr;
  }
}

char TCParser::ReadString() {
  // The text is copied in place over the token, behind the opening quote's
  // position; FStringPtr marks its end.
  char* p = FSourcePtr + 1;
  char* s = FTokenPtr;
  for (;;) {
    if (IsLineBreakOrEnd(*p)) Error(kInvalidString);
    if (*p == '"') {
      ++p;
      if (*p != '"') break;
    } else if (*p == '\\') {
      // An escaped zero byte would step over the terminator, out of the
      // valid data; an escaped line break would let a string span lines.
      ++p;
      if (IsLineBreakOrEnd(*p)) Error(kInvalidString);
    }
    *s++ = *p++;
  }
  FStringPtr = s;
  FSourcePtr = p;
  return toString;
}

char TCParser::NextToken() {
  SkipBlanks();
  char* p = FSourcePtr;
  FTokenPtr = p;
  char result = toEOF;
  if (*p == '"') {
    FToken = ReadString();
    return FToken;
  }
  if (IsLetter(*p)) {
    ++p;
    while (IsLetter(*p) || IsDigit(*p))
      ++p;
    result = toSymbol;
  } else if (*p == '$') {
    ++p;
    while (IsHexDigit(*p))
      ++p;
    result = toInteger;
  } else if (*p == '-' || IsDigit(*p)) {
    ++p;
    while (IsDigit(*p))
      ++p;
    result = toInteger;
    while (IsFloatChar(*p)) {
      ++p;
      result = toFloat;
    }
  } else {
    result = *p;
    if (result != toEOF) ++p;
  }
  FSourcePtr = p;
  FToken = result;
  return FToken;
}

void TCParser::CheckToken(char kind) const {
  if (FToken == kind) return;
  switch (kind) {
    case toSymbol:
      Error(kIdentifierExpected);
    case toString:
      Error(kStringExpected);
    case toInteger:
    case toFloat:
      Error(kNumberExpected);
    default:
      Error("''" + std::string(1, kind) + "'' erwartet");
  }
}

std::string TCParser::TokenString() const {
  return std::string(TokenText());
}

std::string_view TCParser::TokenText() const {
  const char* end = FToken == toString ? FStringPtr : FSourcePtr;
  return {FTokenPtr, static_cast<std::size_t>(end - FTokenPtr)};
}

void TCParser::Error(const std::string& message) const {
  throw ECParserError(message + " in Zeile " + std::to_string(FSourceLine));
}

}  // namespace fx
