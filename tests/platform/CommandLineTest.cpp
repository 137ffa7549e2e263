#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fx {
namespace {

using TArgs = std::vector<std::string>;

struct TSplitCase {
  std::string Parameters;
  TArgs Expected;
};

void ExpectSplits(const std::vector<TSplitCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE("parameters: [" + c.Parameters + "]");
    EXPECT_EQ(SplitCommandLine(c.Parameters), c.Expected);
  }
}

TEST(SplitCommandLineTest, BlanksAndTabsSeparate) {
  ExpectSplits({
      {"", {}},
      {"   \t  ", {}},
      {"a", {"a"}},
      {"a b  c", {"a", "b", "c"}},
      {" \ta\t b ", {"a", "b"}},
      {"+map e1m1 -game mymod +skill 3", {"+map", "e1m1", "-game", "mymod", "+skill", "3"}},
      // Only blanks and tabs separate: a line break stays inside its argument.
      {"a\nb c\rd", {"a\nb", "c\rd"}},
  });
}

TEST(SplitCommandLineTest, QuotesGroupAndAreRemoved) {
  ExpectSplits({
      {R"("a b" c)", {"a b", "c"}},
      {R"(a"b c"d)", {"ab cd"}},
      {"\"a\tb\"", {"a\tb"}},
      {R"(-game "My Mod" +exec "auto exec.cfg")", {"-game", "My Mod", "+exec", "auto exec.cfg"}},
      {R"("unterminated arg)", {"unterminated arg"}},
      {R"(a"b)", {"ab"}},
      {R"(a""b)", {"ab"}},
  });
}

TEST(SplitCommandLineTest, EmptyQuotesAreAnEmptyArgument) {
  ExpectSplits({
      {R"("")", {""}},
      {R"(a "" b)", {"a", "", "b"}},
      {R"("" "")", {"", ""}},
      {R"(")", {""}},
  });
}

TEST(SplitCommandLineTest, DoubledQuoteInsideQuotesIsALiteralQuote) {
  ExpectSplits({
      {R"("a""b")", {R"(a"b)"}},
      {R"("a"" b")", {R"(a" b)"}},
      {R"("""a b""")", {R"("a b")"}},
      {R"("""")", {R"(")"}},
      {R"(a"b"" c d)", {R"(ab" c d)"}},
  });
}

TEST(SplitCommandLineTest, BackslashesCountOnlyBeforeAQuote) {
  ExpectSplits({
      // Not before a quote: kept as they are, so Windows paths pass unchanged.
      {R"(C:\Quake\id1\pak0.pak)", {R"(C:\Quake\id1\pak0.pak)"}},
      {R"(a\\b \\server\share)", {R"(a\\b)", R"(\\server\share)"}},
      {R"(trailing\\ x\)", {R"(trailing\\)", R"(x\)"}},
      {R"(a\\b d"e f"g h)", {R"(a\\b)", "de fg", "h"}},
      // 2n+1 backslashes and a quote: n backslashes and a literal quote.
      {R"(\")", {R"(")"}},
      {R"(a\\\"b c d)", {R"(a\"b)", "c", "d"}},
      {R"(a\\\\\"b)", {R"(a\\"b)"}},
      // 2n backslashes and a quote: n backslashes, and the quote groups.
      {R"(\\")", {R"(\)"}},
      {R"(a\\\\"b c" d e)", {R"(a\\b c)", "d", "e"}},
      {R"("a\\" b)", {R"(a\)", "b"}},
      // The classic trap: a quoted folder ending in one backslash swallows the closing quote.
      {R"("C:\Quake\" -game x)", {R"(C:\Quake" -game x)"}},
  });
}

TEST(SplitCommandLineTest, ShellCharactersArriveLiterally) {
  ExpectSplits({
      {R"(; $HOME `id` | & > < * ? ~ %PATH% $(id))",
       {";", "$HOME", "`id`", "|", "&", ">", "<", "*", "?", "~", "%PATH%", "$(id)"}},
      {"'single quoted'", {"'single", "quoted'"}},
      {R"(+name "a;b|c&d")", {"+name", "a;b|c&d"}},
  });
}

}  // namespace
}  // namespace fx
