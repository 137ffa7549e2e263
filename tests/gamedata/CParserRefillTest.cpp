// The parser's refill reads its source in steps; the parser that filled the
// whole buffer at every refill (OldCParser) is the oracle. Both run over the
// same generated entity texts and must give the same tokens, texts, lines,
// positions and errors, and leave the stream at the same place.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "OldCParser.h"
#include "gamedata/CParser.h"
#include "gamedata/FrameStream.h"
#include "gamedata/Stream.h"

namespace fx {
namespace {

constexpr std::int64_t kBuffer = TCParser::kBufferSize;
constexpr std::int64_t kStep = TCParser::kFirstReadSize;
constexpr const char* kLineTooLong = "Zeile zu lang";

// What a parser made of a text, token by token, and where it left the stream.
struct TRun {
  std::vector<std::string> Tokens;  // kind, line, position and text of each token
  std::string Error;
  bool Constructed = false;
  std::int64_t StreamPos = 0;
};

template <typename TParser>
TRun Parse(TStream& stream) {
  TRun run;
  try {
    TParser parser(stream);
    run.Constructed = true;
    auto record = [&] {
      run.Tokens.push_back(std::to_string(static_cast<int>(parser.Token())) + " " +
                           std::to_string(parser.SourceLine()) + " " +
                           std::to_string(parser.SourcePos()) + " " + parser.TokenString());
    };
    try {
      record();
      while (parser.Token() != toEOF) {
        parser.NextToken();
        record();
      }
      // End of data stays the end, however often it is asked for.
      parser.NextToken();
      record();
    } catch (const ECParserError& e) {
      run.Error = e.what();
    }
  } catch (const ECParserError& e) {
    run.Error = e.what();
  }
  run.StreamPos = stream.Position();
  return run;
}

// Where line `line` (counted from 1) of the text begins.
std::int64_t LineStart(const std::string& text, int line) {
  std::size_t at = 0;
  for (int i = 1; i < line; ++i)
    at = text.find('\n', at) + 1;
  return static_cast<std::int64_t>(at);
}

int ErrorLine(const std::string& error) {
  return std::stoi(error.substr(error.rfind(' ') + 1));
}

// The text read directly, and as a lump window inside a larger file whose next
// bytes would go on with the text if the window let them.
void ExpectSameAsOracle(const std::string& text, const std::string& what) {
  const std::string trailer = "\"more\" \"pairs\"\n}\n{\n";
  for (const bool windowed : {false, true}) {
    SCOPED_TRACE(what + (windowed ? ", in a window" : ""));
    TMemoryStream oldFile(std::string(37, 'x') + text + trailer);
    TMemoryStream newFile(std::string(37, 'x') + text + trailer);
    TMemoryStream oldBare(text);
    TMemoryStream newBare(text);
    TFrameStream oldWindow(oldFile, 37, static_cast<std::int64_t>(text.size()));
    TFrameStream newWindow(newFile, 37, static_cast<std::int64_t>(text.size()));
    TStream& oldStream = windowed ? static_cast<TStream&>(oldWindow) : oldBare;
    TStream& newStream = windowed ? static_cast<TStream&>(newWindow) : newBare;
    const TRun expected = Parse<test::TOldCParser>(oldStream);
    const TRun actual = Parse<TCParser>(newStream);
    ASSERT_EQ(actual.Tokens.size(), expected.Tokens.size());
    for (std::size_t i = 0; i < expected.Tokens.size(); ++i)
      ASSERT_EQ(actual.Tokens[i], expected.Tokens[i]) << "token " << i;
    EXPECT_EQ(actual.Error, expected.Error);
    if (actual.Constructed && actual.Error.starts_with(kLineTooLong)) {
      // Here the old parser left the stream wherever its stale token pointer
      // said; the new one stands at the start of the line it could not take.
      EXPECT_EQ(actual.StreamPos, LineStart(text, ErrorLine(actual.Error)));
    } else {
      EXPECT_EQ(actual.StreamPos, expected.StreamPos);
    }
  }
}

// Random entity-like text: quoted strings with doubled quotes, escapes and
// high bytes, symbols, integers, floats, "$" numbers, single characters,
// blanks and control characters, lines ended by LF or CR LF.
class TTextMaker {
 public:
  explicit TTextMaker(unsigned seed) : FRandom(seed) {}

  std::string Token() {
    switch (Pick(9)) {
      case 0:
      case 1:
      case 2: {
        std::string text = "\"";
        for (int n = Pick(40); n > 0; --n) {
          const int c = Pick(10);
          if (c == 0)
            text += "\"\"";
          else if (c == 1)
            text += "\\" + std::string(1, static_cast<char>('!' + Pick(90)));
          else if (c == 2)
            text += static_cast<char>(0x80 + Pick(128));
          else
            text += Printable();
        }
        return text + "\"";
      }
      case 3:
        return std::string(1, static_cast<char>('a' + Pick(26))) + "_x" + std::to_string(Pick(999));
      case 4:
        return std::to_string(Pick(100000) - 50000);
      case 5:
        return std::to_string(Pick(1000)) + "." + std::to_string(Pick(1000)) + "e-" +
               std::to_string(Pick(9));
      case 6:
        return "$" + std::string("1aF0") + std::to_string(Pick(99));
      case 7:
        return std::string(1, "{}();,="[Pick(7)]);
      default:
        return std::string(1, "\t\x01\x1f "[Pick(4)]);
    }
  }

  std::string LineEnd(bool crlf) { return crlf && Pick(4) != 0 ? "\r\n" : "\n"; }

  // Lines of tokens, each line at most maxLine bytes, until the text has size bytes.
  std::string Lines(std::size_t size, std::size_t maxLine, bool crlf) {
    std::string text;
    while (text.size() < size) {
      std::string line;
      const std::size_t target = 1 + static_cast<std::size_t>(Pick(static_cast<int>(maxLine)));
      while (line.size() < target)
        line += Token() + " ";
      text += line + LineEnd(crlf);
    }
    return text;
  }

  // One line of exactly `length` bytes with its line feed: tokens, then blanks.
  std::string LineOfLength(std::size_t length, bool crlf) {
    const std::string end = crlf ? "\r\n" : "\n";
    std::string line;
    for (std::string token = Token(); line.size() + token.size() + end.size() < length;
         token = Token())
      line += token + " ";
    line.resize(length - end.size(), ' ');
    return line + end;
  }

  char Printable() {
    const char c = static_cast<char>(' ' + Pick(95));
    return c == '"' || c == '\\' ? 'q' : c;
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

 private:
  std::mt19937 FRandom;
};

const std::string kZero(1, '\0');

TEST(CParserRefillTest, TokensAcrossEveryReadBoundary) {
  // Short lines over several steps of reading; shifting the text by one byte at
  // a time moves every token near a read boundary across it.
  for (const bool crlf : {false, true}) {
    TTextMaker maker(crlf ? 7 : 3);
    const std::string body = maker.Lines(45000, 300, crlf);
    for (int shift = 0; shift < 160; ++shift) {
      const std::string text = std::string(static_cast<std::size_t>(shift), ' ') + body;
      ExpectSameAsOracle(text + kZero + "{ \"after\" \"zero\" }\n",
                         "shift " + std::to_string(shift) + (crlf ? " crlf" : ""));
      if (shift % 8 == 0) ExpectSameAsOracle(text, "no zero byte, shift " + std::to_string(shift));
    }
  }
}

TEST(CParserRefillTest, LinesNearTheFirstStepAndNearTheBuffer) {
  TTextMaker maker(11);
  struct TCase {
    std::int64_t Around;
    std::int64_t Spread;
  };
  // Lines around one step, two steps and the whole buffer long.
  const TCase cases[] = {{kStep, 3}, {2 * kStep, 2}, {kBuffer, 3}};
  const std::string prefixes[] = {"", "{\n", maker.Lines(3000, 80, false),
                                  maker.LineOfLength(static_cast<std::size_t>(kStep - 1), false)};
  for (const TCase& c : cases) {
    for (std::int64_t length = c.Around - c.Spread; length <= c.Around + c.Spread; ++length) {
      for (const std::string& prefix : prefixes) {
        for (const bool crlf : {false, true}) {
          const std::string line = maker.LineOfLength(static_cast<std::size_t>(length), crlf);
          const std::string what = "line of " + std::to_string(length) + " after " +
                                   std::to_string(prefix.size()) + (crlf ? " crlf" : "");
          const std::string tail = maker.Lines(5000, 100, crlf);
          ExpectSameAsOracle(prefix + line + tail + kZero, what);
          ExpectSameAsOracle(prefix + line + tail, what + ", no zero byte");
          // The long line is the last, without its line feed.
          ExpectSameAsOracle(prefix + line.substr(0, line.size() - 1), what + ", last line");
        }
      }
    }
  }
}

TEST(CParserRefillTest, ZeroByteFollowedByLongTextWithoutLineFeeds) {
  // At a zero byte every further token is a refill; what comes behind it
  // decides whether that refill finds a line feed or reports a line too long.
  TTextMaker maker(5);
  const std::string head = "{\n\"classname\" \"worldspawn\"\n}\n";
  for (const std::int64_t behind : {kStep - 1, kStep + 1, kBuffer - 40, kBuffer + 10}) {
    const std::string noLineFeed(static_cast<std::size_t>(behind), 'x');
    ExpectSameAsOracle(head + kZero + noLineFeed, std::to_string(behind) + " bytes behind");
    ExpectSameAsOracle(head + kZero + noLineFeed + "\n" + maker.Lines(2000, 50, false),
                       std::to_string(behind) + " bytes and a line feed behind");
    ExpectSameAsOracle(head + "abc" + kZero + noLineFeed, "a symbol before the zero byte");
  }
}

TEST(CParserRefillTest, BrokenStringsAtAndAcrossReadBoundaries) {
  // Unterminated strings, escaped line ends and zero bytes inside strings,
  // placed around the first read boundary.
  TTextMaker maker(9);
  const std::string breaks[] = {"\"open\n", "\"esc\\\n\"", std::string("\"zero", 5) + kZero + "\"",
                                "\"cr\r\"", "\"end\\"};
  for (const std::string& broken : breaks) {
    for (std::int64_t at = kStep - 8; at <= kStep + 2; ++at) {
      std::string text = maker.LineOfLength(static_cast<std::size_t>(at), false);
      text.pop_back();
      text += " " + broken + maker.Lines(3000, 60, false);
      ExpectSameAsOracle(text, "broken string at " + std::to_string(at));
    }
  }
}

}  // namespace
}  // namespace fx
