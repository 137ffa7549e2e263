#include "ui/FormatFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fixtures/ErrorOf.h"

namespace fx {
namespace {

TFormatSettings Settings(char decimal, std::string thousands) {
  TFormatSettings settings;
  settings.DecimalSeparator = decimal;
  settings.ThousandSeparator = std::move(thousands);
  return settings;
}

const TFormatSettings kEnglish = Settings('.', ",");
const TFormatSettings kGerman = Settings(',', ".");

std::string Fmt(std::string_view picture, long double value,
                const TFormatSettings& settings = kEnglish) {
  return FormatFloat(picture, value, settings);
}

// --- the program's own formats -----------------------------------------------------------
// A ',' anywhere in a section only switches on thousands grouping and is not shown, so the
// ", frags" of the frag-limit format leaves " frags" behind. A negative section carries its
// own sign (the parentheses) and shows the magnitude.

TEST(FormatFloatProgramFormats, FragLimit) {
  const char* const picture = "0, frags;(0)";
  EXPECT_EQ(Fmt(picture, 12), "12 frags");
  EXPECT_EQ(Fmt(picture, 1234), "1,234 frags");
  EXPECT_EQ(Fmt(picture, 1234567), "1,234,567 frags");
  EXPECT_EQ(Fmt(picture, 0), "0 frags");
  EXPECT_EQ(Fmt(picture, -5), "(5)");
  // The negative section has no ',', so no grouping there.
  EXPECT_EQ(Fmt(picture, -1234), "(1234)");
  EXPECT_EQ(Fmt(picture, 2.5L), "3 frags");
  EXPECT_EQ(Fmt(picture, -2.5L), "(3)");
  EXPECT_EQ(Fmt(picture, 0.4L), "0 frags");
  // Rounds to zero in the negative section; without a zero section the positive one shows
  // it, and never as "-0" or "(0)".
  EXPECT_EQ(Fmt(picture, -0.4L), "0 frags");
}

TEST(FormatFloatProgramFormats, TimeLimit) {
  const char* const picture = "0.0, minutes;(0.0)";
  EXPECT_EQ(Fmt(picture, 12.5L), "12.5 minutes");
  EXPECT_EQ(Fmt(picture, 20), "20.0 minutes");
  EXPECT_EQ(Fmt(picture, 0), "0.0 minutes");
  EXPECT_EQ(Fmt(picture, 0.05L), "0.1 minutes");
  EXPECT_EQ(Fmt(picture, 0.04L), "0.0 minutes");
  EXPECT_EQ(Fmt(picture, -0.05L), "(0.1)");
  EXPECT_EQ(Fmt(picture, -0.04L), "0.0 minutes");
  EXPECT_EQ(Fmt(picture, 1234.56L), "1,234.6 minutes");
  EXPECT_EQ(Fmt(picture, -1234.56L), "(1234.6)");
  EXPECT_EQ(Fmt(picture, 9.96L), "10.0 minutes");
}

TEST(FormatFloatProgramFormats, MemorySizeShowsNegativeValuesWithoutSign) {
  const char* const picture = "0 MB;0 MB";
  EXPECT_EQ(Fmt(picture, 16), "16 MB");
  EXPECT_EQ(Fmt(picture, 1536), "1536 MB");
  EXPECT_EQ(Fmt(picture, -16), "16 MB");
  EXPECT_EQ(Fmt(picture, 0), "0 MB");
  EXPECT_EQ(Fmt(picture, 15.5L), "16 MB");
}

TEST(FormatFloatProgramFormats, DefaultPercentFormat) {
  const char* const picture = "0.00, %;(0.00, %)";
  EXPECT_EQ(Fmt(picture, 0), "0.00 %");
  EXPECT_EQ(Fmt(picture, 12.345L), "12.35 %");
  EXPECT_EQ(Fmt(picture, 1234.5L), "1,234.50 %");
  EXPECT_EQ(Fmt(picture, -3.14159L), "(3.14 %)");
  EXPECT_EQ(Fmt(picture, -1234.5L), "(1,234.50 %)");
  EXPECT_EQ(Fmt(picture, -0.001L), "0.00 %");
}

// --- placeholders -------------------------------------------------------------------------

TEST(FormatFloatPlaceholders, GroupedWithTwoDecimals) {
  const char* const picture = "#,##0.00";
  EXPECT_EQ(Fmt(picture, 1234567.891L), "1,234,567.89");
  EXPECT_EQ(Fmt(picture, 12), "12.00");
  EXPECT_EQ(Fmt(picture, 0), "0.00");
  EXPECT_EQ(Fmt(picture, 0.5L), "0.50");
  EXPECT_EQ(Fmt(picture, -1234.5L), "-1,234.50");
  // The carry of the rounding runs through the groups.
  EXPECT_EQ(Fmt(picture, 999.995L), "1,000.00");
  EXPECT_EQ(Fmt(picture, 999999.999L), "1,000,000.00");
}

TEST(FormatFloatPlaceholders, OptionalDecimals) {
  const char* const picture = "0.###";
  EXPECT_EQ(Fmt(picture, 1.5L), "1.5");
  EXPECT_EQ(Fmt(picture, 2), "2");
  EXPECT_EQ(Fmt(picture, 0.1234L), "0.123");
  EXPECT_EQ(Fmt(picture, 0.0005L), "0.001");
  EXPECT_EQ(Fmt(picture, 1.9999L), "2");
  EXPECT_EQ(Fmt(picture, -0.0004L), "0");
  EXPECT_EQ(Fmt(picture, -1.25L), "-1.25");
}

TEST(FormatFloatPlaceholders, ForcedIntegerDigits) {
  EXPECT_EQ(Fmt("00", 5), "05");
  EXPECT_EQ(Fmt("00", 0), "00");
  EXPECT_EQ(Fmt("00", 123), "123");
  EXPECT_EQ(Fmt("00", -5), "-05");
  // From the leftmost '0' on, '#' places are filled too.
  EXPECT_EQ(Fmt("#0#", 5), "05");
  EXPECT_EQ(Fmt("000-00", 5), "000-05");
  EXPECT_EQ(Fmt("000-00", 12345), "123-45");
}

TEST(FormatFloatPlaceholders, OptionalDigitsShowNothingForZero) {
  EXPECT_EQ(Fmt("#", 0), "");
  EXPECT_EQ(Fmt("#", 5), "5");
  EXPECT_EQ(Fmt("#", 0.4L), "");
  EXPECT_EQ(Fmt("#", -0.4L), "");
  EXPECT_EQ(Fmt("#", -7), "-7");
  EXPECT_EQ(Fmt("#.##", 0), "");
  EXPECT_EQ(Fmt("#.##", 0.5L), ".5");
  EXPECT_EQ(Fmt("#.0", 5), "5.0");
}

TEST(FormatFloatPlaceholders, ExtraIntegerDigitsGoWhereTheFirstPlaceholderStands) {
  EXPECT_EQ(Fmt("x0y", 12345), "x12345y");
  EXPECT_EQ(Fmt(".00", 12.5L), "12.50");
  EXPECT_EQ(Fmt("0,0", 1234567), "1,234,567");
  // A section without placeholders shows only its text.
  EXPECT_EQ(Fmt("abc", 5), "abc");
}

TEST(FormatFloatPlaceholders, OnlyTheFirstPointCounts) {
  EXPECT_EQ(Fmt("0.0.0", 1.25L), "1.25");
  EXPECT_EQ(Fmt("0.0.0", 1), "1.00");
}

TEST(FormatFloatPlaceholders, DecimalsBeyondEighteenDigitsAreZero) {
  EXPECT_EQ(Fmt("0.000000000000000000000", 1.5L), "1.500000000000000000000");
  EXPECT_EQ(Fmt("0", 123456789012345678.0L), "123456789012345678");
}

// --- rounding -----------------------------------------------------------------------------

TEST(FormatFloatRounding, HalfAwayFromZeroAtTheShownDecimals) {
  EXPECT_EQ(Fmt("0", 0.5L), "1");
  EXPECT_EQ(Fmt("0", 1.5L), "2");
  EXPECT_EQ(Fmt("0", 2.5L), "3");
  EXPECT_EQ(Fmt("0", -2.5L), "-3");
  EXPECT_EQ(Fmt("0", 2.4999L), "2");
  EXPECT_EQ(Fmt("0.0", 0.05L), "0.1");
  EXPECT_EQ(Fmt("0.0", 0.15L), "0.2");
  EXPECT_EQ(Fmt("0.00", 1.005L), "1.01");
  EXPECT_EQ(Fmt("0.00", 9.995L), "10.00");
  EXPECT_EQ(Fmt("0.0", 99.96L), "100.0");
  EXPECT_EQ(Fmt("0.00", 0.004L), "0.00");
}

TEST(FormatFloatRounding, EighteenSignificantDigitsAreTakenFirst) {
  // A double's 0.15 is 0.1499999999999999944...; at the 18 digits of an extended float the
  // shortfall is still there, so it rounds down, as it did in the original.
  EXPECT_EQ(Fmt("0.0", static_cast<long double>(0.15)), "0.1");
  // Just below one half, but one half at 18 digits.
  EXPECT_EQ(Fmt("0", 0.49999999999999999995L), "1");
  EXPECT_EQ(Fmt("0", 0.4999999999999999L), "0");
}

// --- sections -----------------------------------------------------------------------------

TEST(FormatFloatSections, ZeroSectionShowsZeroAndWhatRoundsToZero) {
  const char* const picture = "+0.0;-0.0;nothing";
  EXPECT_EQ(Fmt(picture, 0), "nothing");
  EXPECT_EQ(Fmt(picture, -0.0L), "nothing");
  EXPECT_EQ(Fmt(picture, 0.04L), "nothing");
  EXPECT_EQ(Fmt(picture, -0.04L), "nothing");
  EXPECT_EQ(Fmt(picture, 0.05L), "+0.1");
  EXPECT_EQ(Fmt(picture, -0.05L), "-0.1");
}

TEST(FormatFloatSections, RoundingToZeroIsJudgedByTheChosenSection) {
  // -0.4 shown by "(0)" rounds to zero, so the positive section shows zero.
  EXPECT_EQ(Fmt("0.0;(0)", -0.4L), "0.0");
  EXPECT_EQ(Fmt("0.0;(0)", -0.6L), "(1)");
  EXPECT_EQ(Fmt("0;(0.0)", -0.4L), "(0.4)");
}

TEST(FormatFloatSections, EmptySectionsFallBackToThePositiveOne) {
  // The positive section shows a negative value with a minus sign.
  EXPECT_EQ(Fmt("0;;zero", -5), "-5");
  EXPECT_EQ(Fmt("0;;zero", 0), "zero");
  EXPECT_EQ(Fmt("0;", -5), "-5");
  EXPECT_EQ(Fmt("pos 0;neg 0;", 0), "pos 0");
  EXPECT_EQ(Fmt("pos 0;neg 0", 0), "pos 0");
  EXPECT_EQ(Fmt("pos 0;neg 0", -3), "neg 3");
}

TEST(FormatFloatSections, SectionsAfterTheThirdAreIgnored) {
  EXPECT_EQ(Fmt("0;(0);z;extra", 0), "z");
  EXPECT_EQ(Fmt("0;(0);z;extra", -2), "(2)");
}

TEST(FormatFloatSections, EmptyPositiveSectionMeansGeneralForm) {
  EXPECT_EQ(Fmt("", 1.5L), "1.5");
  EXPECT_EQ(Fmt("", 0), "0");
  EXPECT_EQ(Fmt("", -2), "-2");
  EXPECT_EQ(Fmt(";(0)", -5), "-5");
  EXPECT_EQ(Fmt(";(0)", 5), "5");
}

// --- literal text ---------------------------------------------------------------------------

TEST(FormatFloatLiterals, QuotedTextIsCopiedWithoutQuotes) {
  EXPECT_EQ(Fmt("0 'a;0#.,'", 5), "5 a;0#.,");
  EXPECT_EQ(Fmt("0 'a;0#.,'", -5), "-5 a;0#.,");
  EXPECT_EQ(Fmt("\"x\"0;\"y;0\"0", 5), "x5");
  EXPECT_EQ(Fmt("\"x\"0;\"y;0\"0", -5), "y;05");
  EXPECT_EQ(Fmt("0 \"it's\"", 5), "5 it's");
  EXPECT_EQ(Fmt("0 'say \"hi\"'", 5), "5 say \"hi\"");
}

TEST(FormatFloatLiterals, UnclosedQuoteRunsToTheEnd) {
  EXPECT_EQ(Fmt("0 'abc;(0)", -5), "-5 abc;(0)");
}

TEST(FormatFloatLiterals, OtherCharactersAreCopied) {
  EXPECT_EQ(Fmt("0 Euro", 5), "5 Euro");
  EXPECT_EQ(Fmt("0 e", 5), "5 e");
  EXPECT_EQ(Fmt("0 \xE2\x82\xAC", 5), "5 \xE2\x82\xAC");
  EXPECT_EQ(Fmt("[0]", 5), "[5]");
  // The sign goes in front of everything.
  EXPECT_EQ(Fmt("'x'0", -5), "-x5");
  // A quoted point stays a point, whatever the decimal separator.
  EXPECT_EQ(Fmt("0.0' km.'", 1.5L, kGerman), "1,5 km.");
}

// --- separators ---------------------------------------------------------------------------

TEST(FormatFloatSeparators, TakenFromTheSettings) {
  EXPECT_EQ(Fmt("#,##0.00", 1234567.891L, kGerman), "1.234.567,89");
  EXPECT_EQ(Fmt("0.0, minutes;(0.0)", 1234.56L, kGerman), "1.234,6 minutes");
  EXPECT_EQ(Fmt("#,##0.00", 1234567.891L, Settings('.', "")), "1234567.89");
  EXPECT_EQ(Fmt("#,##0.00", 1234567.891L, Settings('.', "\xE2\x80\x99")),
            "1\xE2\x80\x99"
            "234\xE2\x80\x99"
            "567.89");
  EXPECT_EQ(Fmt("#,##0", -1234567, Settings('.', "\xC2\xA0")),
            "-1\xC2\xA0"
            "234\xC2\xA0"
            "567");
}

TEST(FormatFloatSeparators, TheDefaultIsTheProgramWideSettings) {
  const TFormatSettings saved = FormatSettings();
  FormatSettings() = kGerman;
  const std::string text = FormatFloat("#,##0.00", 1234.5L);
  FormatSettings() = saved;
  EXPECT_EQ(text, "1.234,50");
}

// --- general form -------------------------------------------------------------------------

TEST(FormatFloatGeneral, ValuesOfEighteenIntegerDigitsAreStillFormatted) {
  EXPECT_EQ(Fmt("0", 999999999999999999.0L), "999999999999999999");
  EXPECT_EQ(Fmt("#,##0", 123456789012345678.0L), "123,456,789,012,345,678");
}

TEST(FormatFloatGeneral, ValuesFromOneE18AreShownInGeneralForm) {
  EXPECT_EQ(Fmt("0", 1e18L), "1E18");
  EXPECT_EQ(Fmt("0, frags;(0)", 1e18L), "1E18");
  EXPECT_EQ(Fmt("0, frags;(0)", -2.5e20L), "-2.5E20");
  EXPECT_EQ(Fmt("0.00", 1.5e18L, kGerman), "1,5E18");
  EXPECT_EQ(Fmt("0", 1234567890123456789012.0L), "1.23456789012346E21");
  // Rounding decides: this one reaches 1E18 only at 18 digits.
  EXPECT_EQ(Fmt("0", 999999999999999999.9L), "1E18");
  EXPECT_EQ(Fmt("0", std::numeric_limits<long double>::max()), "1.18973149535723E4932");
}

TEST(FormatFloatGeneral, FixedPointBetweenSmallAndLarge) {
  EXPECT_EQ(Fmt("", 0.00001L), "0.00001");
  EXPECT_EQ(Fmt("", 0.000001L), "1E-6");
  EXPECT_EQ(Fmt("", 0.00012345L), "0.00012345");
  EXPECT_EQ(Fmt("", 1234567.125L), "1234567.125");
  EXPECT_EQ(Fmt("", 1.0L / 3), "0.333333333333333");
  EXPECT_EQ(Fmt("", 1e14L), "100000000000000");
  EXPECT_EQ(Fmt("", 1e15L), "1E15");
  EXPECT_EQ(Fmt("", 2.5L, kGerman), "2,5");
}

TEST(FormatFloatGeneral, NonFiniteValues) {
  const long double infinity = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(Fmt("0, frags;(0)", std::numeric_limits<long double>::quiet_NaN()), "NAN");
  EXPECT_EQ(Fmt("0, frags;(0)", infinity), "INF");
  EXPECT_EQ(Fmt("0, frags;(0)", -infinity), "-INF");
}

// --- refused pictures ---------------------------------------------------------------------

TEST(FormatFloatRefused, ExponentFormsRaiseAClearError) {
  EXPECT_EQ(test::ErrorOf<EFormatError>([] { Fmt("0.0E+00", 5); }),
            "The number format \"0.0E+00\" uses an exponent (E+ or E-), which is not supported");
  // Whatever the value, and in whichever of the three sections.
  EXPECT_THROW(Fmt("0;0e-0", 5), EFormatError);
  EXPECT_THROW(Fmt("0;0;0.0E-3", 5), EFormatError);
  EXPECT_THROW(Fmt("0.0e+0", 0), EFormatError);
  // EFormatError is a runtime_error, as every error of the program.
  EXPECT_THROW(Fmt("0E+0", 1), std::runtime_error);
}

TEST(FormatFloatRefused, QuotedOrSignlessExponentLettersAreText) {
  EXPECT_EQ(Fmt("0 'E+'", 5), "5 E+");
  EXPECT_EQ(Fmt("0E", 5), "5E");
  EXPECT_EQ(Fmt("0;0;0;0E+0", 5), "5");
}

// --- reading an edit's text back ----------------------------------------------------------

TEST(ParseFloatEditText, KeepsDigitsAndTheDecimalSeparatorOnly) {
  EXPECT_EQ(ParseFloatEditText("12", '.'), 12.0L);
  EXPECT_EQ(ParseFloatEditText("1,234 frags", '.'), 1234.0L);
  EXPECT_EQ(ParseFloatEditText("abc12x.5", '.'), 12.5L);
  EXPECT_EQ(ParseFloatEditText("1.234,5 minutes", ','), 1234.5L);
  EXPECT_EQ(ParseFloatEditText("12 \xE2\x82\xAC", '.'), 12.0L);
  EXPECT_EQ(ParseFloatEditText(".5", '.'), 0.5L);
  EXPECT_EQ(ParseFloatEditText("5.", '.'), 5.0L);
}

TEST(ParseFloatEditText, MinusOrParenthesisMakesItNegative) {
  EXPECT_EQ(ParseFloatEditText("(5)", '.'), -5.0L);
  EXPECT_EQ(ParseFloatEditText("-5", '.'), -5.0L);
  EXPECT_EQ(ParseFloatEditText("5-", '.'), -5.0L);
  EXPECT_EQ(ParseFloatEditText("(1,234.50 %)", '.'), -1234.5L);
  EXPECT_EQ(ParseFloatEditText("5)", '.'), 5.0L);
}

TEST(ParseFloatEditText, NothingWhenNoNumberRemains) {
  EXPECT_EQ(ParseFloatEditText("", '.'), std::nullopt);
  EXPECT_EQ(ParseFloatEditText("frags", '.'), std::nullopt);
  EXPECT_EQ(ParseFloatEditText("-", '.'), std::nullopt);
  EXPECT_EQ(ParseFloatEditText(".", '.'), std::nullopt);
  EXPECT_EQ(ParseFloatEditText("1.2.3", '.'), std::nullopt);
  // With ',' as decimal separator a point is dropped, a second comma is not.
  EXPECT_EQ(ParseFloatEditText("1,2,3", ','), std::nullopt);
  EXPECT_EQ(ParseFloatEditText("1" + std::string(5000, '0'), '.'), std::nullopt);
}

TEST(ParseFloatEditText, ReadsBackWhatTheProgramFormatsShow) {
  const char* const pictures[] = {"0, frags;(0)", "0.0, minutes;(0.0)", "0.00, %;(0.00, %)"};
  for (const TFormatSettings& settings : {kEnglish, kGerman}) {
    for (const char* picture : pictures) {
      for (int tenths = -123456; tenths <= 123456; tenths += 997) {
        const long double value = tenths / 10.0L;
        const std::string shown = FormatFloat(picture, value, settings);
        const auto back = ParseFloatEditText(shown, settings.DecimalSeparator);
        ASSERT_TRUE(back.has_value()) << picture << " " << shown;
        EXPECT_EQ(FormatFloat(picture, *back, settings), shown) << picture;
      }
    }
  }
}

}  // namespace
}  // namespace fx
