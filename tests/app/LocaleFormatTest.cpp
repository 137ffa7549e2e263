#include "app/LocaleFormat.h"

#include <gtest/gtest.h>

namespace fx {
namespace {

TEST(DatePicture, NumericFieldsKeepTheirWidthAndSeparators) {
  EXPECT_EQ(DatePictureFromQtPattern("M/d/yy"), "m/d/yy");
  EXPECT_EQ(DatePictureFromQtPattern("dd.MM.yy"), "dd.mm.yy");
  EXPECT_EQ(DatePictureFromQtPattern("dd/MM/yyyy"), "dd/mm/yyyy");
  EXPECT_EQ(DatePictureFromQtPattern("yyyy-MM-dd"), "yyyy-mm-dd");
  EXPECT_EQ(DatePictureFromQtPattern("yyyy. MM. dd."), "yyyy. mm. dd.");
  EXPECT_EQ(DatePictureFromQtPattern("yyyy/M/d"), "yyyy/m/d");
}

TEST(DatePicture, NamesBecomeNumbersOrAreLeftOut) {
  EXPECT_EQ(DatePictureFromQtPattern("d MMM yyyy"), "d mm yyyy");
  EXPECT_EQ(DatePictureFromQtPattern("dd MMMM yyyy"), "dd mm yyyy");
  EXPECT_EQ(DatePictureFromQtPattern("dddd, d. MMMM yyyy"), "d. mm yyyy");
  EXPECT_EQ(DatePictureFromQtPattern("d.M.yy ddd"), "d.m.yy");
}

TEST(DatePicture, OddYearWidthsBecomeTwoOrFourDigits) {
  EXPECT_EQ(DatePictureFromQtPattern("d.M.y"), "d.m.yy");
  EXPECT_EQ(DatePictureFromQtPattern("d.M.yyy"), "d.m.yyyy");
}

TEST(DatePicture, QuotedTextKeepsOnlyWhatThePictureCannotMisread) {
  // Bulgarian: the year is followed by a quoted Cyrillic letter.
  EXPECT_EQ(DatePictureFromQtPattern("d.MM.yy '\xD0\xB3'."), "d.mm.yy \xD0\xB3.");
  // Letters a picture would read as fields go, quotes go, the rest stays.
  EXPECT_EQ(DatePictureFromQtPattern("'day' d 'of' M, yyyy"), " d  m, yyyy");
  EXPECT_EQ(DatePictureFromQtPattern("d''M''yy"), "dmyy");
  EXPECT_EQ(DatePictureFromQtPattern("yy'-'MM'-'dd"), "yy-mm-dd");
}

TEST(DatePicture, UnknownLettersAreDroppedAndAPatternWithoutFieldsGivesNothing) {
  EXPECT_EQ(DatePictureFromQtPattern("d.M.yy hh:mm"), "d.m.yy :");
  EXPECT_EQ(DatePictureFromQtPattern("hh:mm"), "");
  EXPECT_EQ(DatePictureFromQtPattern(""), "");
  EXPECT_EQ(DatePictureFromQtPattern("dddd"), "");
}

TEST(LocaleFormatSettings, TakesTheLocalesSeparatorsAndDatePicture) {
  const TFormatSettings german = FormatSettingsFromLocale({",", ".", "dd.MM.yy"});
  EXPECT_EQ(german.DecimalSeparator, ',');
  EXPECT_EQ(german.ThousandSeparator, ".");
  EXPECT_EQ(german.ShortDateFormat, "dd.mm.yy");

  const TFormatSettings us = FormatSettingsFromLocale({".", ",", "M/d/yy"});
  EXPECT_EQ(us.DecimalSeparator, '.');
  EXPECT_EQ(us.ThousandSeparator, ",");
  EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
}

TEST(LocaleFormatSettings, KeepsAMultiByteGroupSeparatorAndAnEmptyOne) {
  // French groups with a narrow no-break space.
  EXPECT_EQ(FormatSettingsFromLocale({",", "\xE2\x80\xAF", "dd/MM/yyyy"}).ThousandSeparator,
            "\xE2\x80\xAF");
  EXPECT_EQ(FormatSettingsFromLocale({".", "", "yyyy-MM-dd"}).ThousandSeparator, "");
}

TEST(LocaleFormatSettings, FallsBackWhereTheProgramCannotFollowTheLocale) {
  const TFormatSettings defaults;
  // The Arabic decimal separator is two bytes in UTF-8; the program keeps one.
  const TFormatSettings arabic = FormatSettingsFromLocale({"\xD9\xAB", "\xD9\xAC", "hh:mm"});
  EXPECT_EQ(arabic.DecimalSeparator, '.');
  EXPECT_EQ(arabic.ShortDateFormat, defaults.ShortDateFormat);
}

}  // namespace
}  // namespace fx
