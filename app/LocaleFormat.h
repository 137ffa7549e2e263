#pragma once

#include <string>
#include <string_view>

#include "platform/FormatSettings.h"

namespace fx {

// The number and date conventions of the user's locale as Qt reports them, in UTF-8.
struct TLocaleConventions {
  std::string DecimalPoint;
  std::string GroupSeparator;
  std::string ShortDateFormat;  // Qt's date pattern, e.g. "dd.MM.yy" or "M/d/yy"
};

// Qt's date pattern as a date picture of the program's own kind (d, dd, m, mm, yy, yyyy
// and literal characters). Day and month names have no place in it: a month name becomes
// the two-digit month, a weekday is left out together with the separators after it. ASCII
// letters that are not date fields and quotes are dropped, also inside quoted text,
// because the picture would read them as fields or literals. A pattern without any date
// field gives "".
std::string DatePictureFromQtPattern(std::string_view qtPattern);

// The conventions as the program keeps them. A decimal point that is not one byte becomes
// "."; a date pattern that gives no picture keeps the program's default picture.
TFormatSettings FormatSettingsFromLocale(const TLocaleConventions& locale);

}  // namespace fx
