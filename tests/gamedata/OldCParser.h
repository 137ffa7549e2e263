#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gamedata/CParser.h"
#include "gamedata/Stream.h"

namespace fx::test {

// The entity parser as it was when every refill filled the whole 40960-byte
// buffer in one read. It is the oracle of the differential test of TCParser,
// whose refill reads in steps: keep it as it stands, it is the behaviour the
// program's parser must not drift from. Only the differential test uses it.
class TOldCParser {
 public:
  static constexpr std::int64_t kBufferSize = 40960;

  explicit TOldCParser(TStream& stream);
  ~TOldCParser();
  TOldCParser(const TOldCParser&) = delete;
  TOldCParser& operator=(const TOldCParser&) = delete;

  char NextToken();
  std::string TokenString() const;

  char Token() const { return FToken; }
  int SourceLine() const { return FSourceLine; }
  std::int64_t SourcePos() const { return FOrigin + (FTokenPtr - FBuffer.get()); }

 private:
  void ReadBuffer();
  void SkipBlanks();
  char ReadString();
  [[noreturn]] void Error(const std::string& message) const;

  TStream& FStream;
  std::unique_ptr<char[]> FBuffer;
  char* FBufPtr = nullptr;
  char* FBufEnd = nullptr;
  char* FSourceEnd = nullptr;
  std::int64_t FOrigin = 0;
  char* FSourcePtr = nullptr;
  char* FTokenPtr = nullptr;
  char* FStringPtr = nullptr;
  char FSaveChar = 0;
  char FToken = toEOF;
  int FSourceLine = 1;
};

}  // namespace fx::test
