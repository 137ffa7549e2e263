#include <gtest/gtest.h>

#include <string>

#include "gamedata/CParser.h"
#include "gamedata/Stream.h"

namespace fx {
namespace {

std::string ErrorText(const std::string& text, int tokensToRead = 100) {
  TMemoryStream stream(text);
  try {
    TCParser parser(stream);
    for (int i = 0; i < tokensToRead && parser.Token() != toEOF; ++i)
      parser.NextToken();
  } catch (const ECParserError& e) {
    return e.what();
  }
  return "";
}

TEST(CParserTest, TokenKindsAndTexts) {
  TMemoryStream stream("{ _sym1 \"a b\" 42 -7 3.5e+2 $1aF } ;");
  TCParser parser(stream);
  EXPECT_EQ(parser.Token(), '{');
  EXPECT_EQ(parser.NextToken(), toSymbol);
  EXPECT_EQ(parser.TokenString(), "_sym1");
  EXPECT_EQ(parser.NextToken(), toString);
  EXPECT_EQ(parser.TokenString(), "a b");
  EXPECT_EQ(parser.NextToken(), toInteger);
  EXPECT_EQ(parser.TokenString(), "42");
  EXPECT_EQ(parser.NextToken(), toInteger);
  EXPECT_EQ(parser.TokenString(), "-7");
  EXPECT_EQ(parser.NextToken(), toFloat);
  EXPECT_EQ(parser.TokenString(), "3.5e+2");
  EXPECT_EQ(parser.NextToken(), toInteger);
  EXPECT_EQ(parser.TokenString(), "$1aF");
  EXPECT_EQ(parser.NextToken(), '}');
  EXPECT_EQ(parser.NextToken(), ';');
  EXPECT_EQ(parser.NextToken(), toEOF);
  EXPECT_EQ(parser.NextToken(), toEOF);
}

TEST(CParserTest, StringsWithDoubledQuotesAndEscapes) {
  TMemoryStream stream(R"("say ""hi""" "a\"b\\c\x" "")");
  TCParser parser(stream);
  EXPECT_EQ(parser.TokenString(), "say \"hi\"");
  parser.NextToken();
  EXPECT_EQ(parser.TokenString(), "a\"b\\cx");
  parser.NextToken();
  EXPECT_EQ(parser.Token(), toString);
  EXPECT_EQ(parser.TokenString(), "");
}

TEST(CParserTest, ZeroByteEndsTheTokens) {
  TMemoryStream stream(std::string("{ \"a\" }\0{ \"b\" }", 15));
  TCParser parser(stream);
  parser.NextToken();
  parser.NextToken();
  EXPECT_EQ(parser.NextToken(), toEOF);
  EXPECT_EQ(parser.NextToken(), toEOF);
}

TEST(CParserTest, CountsLinesAndNamesThemInErrors) {
  TMemoryStream stream("{\n\"a\"\r\n\n x");
  TCParser parser(stream);
  EXPECT_EQ(parser.SourceLine(), 1);
  parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 2);
  parser.NextToken();
  EXPECT_EQ(parser.SourceLine(), 4);
  try {
    parser.CheckToken(toString);
    FAIL() << "no error";
  } catch (const ECParserError& e) {
    EXPECT_STREQ(e.what(), "String erwartet in Zeile 4");
  }
}

TEST(CParserTest, CheckTokenMessages) {
  TMemoryStream stream("\"s\"");
  TCParser parser(stream);
  EXPECT_NO_THROW(parser.CheckToken(toString));
  auto message = [&](char kind) {
    try {
      parser.CheckToken(kind);
    } catch (const ECParserError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(message(toSymbol), "Bezeichner erwartet in Zeile 1");
  EXPECT_EQ(message(toInteger), "Zahl erwartet in Zeile 1");
  EXPECT_EQ(message(toFloat), "Zahl erwartet in Zeile 1");
  EXPECT_EQ(message('{'), "''{'' erwartet in Zeile 1");
}

TEST(CParserTest, UnterminatedStringsAreInvalid) {
  const std::string invalid = "Ung\xC3\xBCltige Stringkonstante in Zeile ";
  EXPECT_EQ(ErrorText("\"abc"), invalid + "1");
  EXPECT_EQ(ErrorText("\n\"ab\ncd\""), invalid + "2");
  EXPECT_EQ(ErrorText("\"ab\rcd\""), invalid + "1");
  EXPECT_EQ(ErrorText(std::string("\"ab\0cd\"", 7)), invalid + "1");
  // A backslash cannot carry a string over a line end or the end of the data.
  EXPECT_EQ(ErrorText("\"ab\\\ncd\""), invalid + "1");
  EXPECT_EQ(ErrorText("\"ab\\"), invalid + "1");
}

TEST(CParserTest, EscapeNeverReachesBytesLeftFromAnEarlierFill) {
  // The first fill is full and cut back behind the line feed at 30000; the
  // second ends with a backslash at 12001. Behind its terminator the buffer
  // still holds the first fill's 'x"y"', which an escaped terminator would
  // read as the rest of the string.
  std::string text(30000, ' ');
  text.replace(12002, 4, "x\"y\"");
  text += '\n';
  text += '"' + std::string(12000, 'S') + '\\';
  ASSERT_EQ(text.size(), 42003u);
  EXPECT_EQ(ErrorText(text), "Ung\xC3\xBCltige Stringkonstante in Zeile 2");
}

TEST(CParserTest, FullBufferEndingInALineFeed) {
  // The cut behind the last line feed lands on the buffer's very end.
  std::string text = "\"" + std::string(TCParser::kBufferSize - 3, 'a') + "\"\n";
  ASSERT_EQ(text.size(), static_cast<std::size_t>(TCParser::kBufferSize));
  text += "\"next\"";
  TMemoryStream stream(text);
  TCParser parser(stream);
  EXPECT_EQ(parser.TokenString().size(), static_cast<std::size_t>(TCParser::kBufferSize - 3));
  EXPECT_EQ(parser.NextToken(), toString);
  EXPECT_EQ(parser.TokenString(), "next");
  EXPECT_EQ(parser.SourceLine(), 2);
}

TEST(CParserTest, LongTextIsRefilledAtLineBoundaries) {
  // Many short lines across several buffer fills: every token survives.
  std::string text;
  const int pairs = 10000;
  for (int i = 0; i < pairs; ++i)
    text += "\"key" + std::to_string(i) + "\" \"value\"\n";
  ASSERT_GT(text.size(), 4 * static_cast<std::size_t>(TCParser::kBufferSize));
  TMemoryStream stream(text);
  TCParser parser(stream);
  int strings = 0;
  std::string last;
  while (parser.Token() != toEOF) {
    if (parser.Token() == toString) {
      ++strings;
      if (strings % 2 == 1) last = parser.TokenString();
    }
    parser.NextToken();
  }
  EXPECT_EQ(strings, 2 * pairs);
  EXPECT_EQ(last, "key" + std::to_string(pairs - 1));
  EXPECT_EQ(parser.SourceLine(), pairs + 1);
}

TEST(CParserTest, LineLongerThanTheBufferIsTooLong) {
  const std::string line(TCParser::kBufferSize + 10, 'a');
  EXPECT_EQ(ErrorText(line), "Zeile zu lang in Zeile 1");
  // A line that just fits is fine when a line feed follows within the buffer.
  const std::string fits = "\"" + std::string(TCParser::kBufferSize - 100, 'b') + "\"\n";
  EXPECT_EQ(ErrorText(fits + fits), "");
}

TEST(CParserTest, DestructorLeavesStreamAtCurrentToken) {
  TMemoryStream stream("{ \"classname\" \"x\" }");
  {
    TCParser parser(stream);
    parser.NextToken();
    EXPECT_EQ(parser.SourcePos(), 2);
  }
  EXPECT_EQ(stream.Position(), 2);
}

}  // namespace
}  // namespace fx
