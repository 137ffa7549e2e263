#include "OldCParser.h"

#include <cstring>

namespace fx::test {

namespace {

// The program's own texts (UTF-8, the 8-bit encoding on Linux).
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

}  // namespace

TOldCParser::TOldCParser(TStream& stream)
    : FStream(stream), FBuffer(std::make_unique<char[]>(kBufferSize + 1)) {
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

TOldCParser::~TOldCParser() {
  try {
    FStream.Seek(FTokenPtr - FBufPtr, TSeekOrigin::Current);
  } catch (const std::exception&) {
    // A destructor must not throw; the source is given up anyway.
  }
}

void TOldCParser::ReadBuffer() {
  char* const buffer = FBuffer.get();
  FOrigin += FSourcePtr - buffer;
  *FSourceEnd = FSaveChar;
  const std::int64_t rest = FBufPtr - FSourcePtr;
  if (rest != 0) std::memmove(buffer, FSourcePtr, static_cast<size_t>(rest));
  FBufPtr = buffer + rest;
  FBufPtr += FStream.Read(FBufPtr, FBufEnd - FBufPtr);
  FSourcePtr = buffer;
  FSourceEnd = FBufPtr;
  if (FSourceEnd == FBufEnd) {
    // Cut back behind the last line feed so no token is split by a refill.
    char* p = FSourceEnd - 1;
    while (p >= buffer && *p != '\n')
      --p;
    FSourceEnd = p + 1;
  }
  // The terminator goes in before any error, so a caller that goes on after
  // the error still finds the valid data ended.
  FSaveChar = *FSourceEnd;
  *FSourceEnd = 0;
  if (FSourceEnd == buffer && FBufPtr == FBufEnd) Error(kLineTooLong);
}

void TOldCParser::SkipBlanks() {
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

char TOldCParser::ReadString() {
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

char TOldCParser::NextToken() {
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

std::string TOldCParser::TokenString() const {
  const char* end = FToken == toString ? FStringPtr : FSourcePtr;
  return std::string(static_cast<const char*>(FTokenPtr), end);
}

void TOldCParser::Error(const std::string& message) const {
  throw ECParserError(message + " in Zeile " + std::to_string(FSourceLine));
}

}  // namespace fx::test
