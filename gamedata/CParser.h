#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "gamedata/Stream.h"

namespace fx {

// A syntax error in the entity text, with the line it was met on.
class ECParserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Token kinds; any other kind is a single character that is its own token.
inline constexpr char toEOF = 0;
inline constexpr char toSymbol = 1;
inline constexpr char toString = 2;
inline constexpr char toInteger = 3;
inline constexpr char toFloat = 4;

// Tokenizer for the entity text of map files: double-quoted strings (a
// doubled quote is one quote, a backslash takes the next character), numbers,
// "$" hexadecimal numbers, symbols and single characters. It reads its source
// through a fixed buffer that is refilled at line boundaries, so a single
// line must fit into the buffer.
//
// A refill reads only as much as it needs to end behind a line feed: first
// kFirstReadSize bytes, each further read of the same parser twice as many,
// up to the buffer's room. A map's title stands in its first few hundred
// bytes, so a title scan reads one small block instead of the whole buffer.
class TCParser {
 public:
  static constexpr std::int64_t kBufferSize = 40960;
  static constexpr std::int64_t kFirstReadSize = 4096;

  // Reads the first token.
  explicit TCParser(TStream& stream);
  // Seeks the source back so that it stands at the current token.
  ~TCParser();
  TCParser(const TCParser&) = delete;
  TCParser& operator=(const TCParser&) = delete;

  char NextToken();
  void CheckToken(char kind) const;
  // A string token without its quotes and with its escapes resolved.
  std::string TokenString() const;
  // The same text in place, valid until the next token is read.
  std::string_view TokenText() const;

  char Token() const { return FToken; }
  int SourceLine() const { return FSourceLine; }
  // Offset of the current token from where the parser started reading.
  std::int64_t SourcePos() const { return FOrigin + (FTokenPtr - FBuffer.get()); }

 private:
  void ReadBuffer();
  char* FillToLineEnd();
  void SkipBlanks();
  char ReadString();
  [[noreturn]] void Error(const std::string& message) const;

  TStream& FStream;
  std::unique_ptr<char[]> FBuffer;
  char* FBufPtr = nullptr;  // end of the valid data
  char* FBufEnd = nullptr;
  char* FSourceEnd = nullptr;  // where the zero terminator stands
  std::int64_t FOrigin = 0;
  char* FSourcePtr = nullptr;
  char* FTokenPtr = nullptr;
  char* FStringPtr = nullptr;
  char FSaveChar = 0;
  char FToken = toEOF;
  int FSourceLine = 1;
  std::int64_t FReadSize = kFirstReadSize;
};

}  // namespace fx
