#pragma once

#include <string>

namespace fx {

// The user's number and date conventions, as the view reads them from the locale at
// start-up. Model routines take them as an argument; the default is the program-wide copy.
struct TFormatSettings {
  char DecimalSeparator = '.';
  std::string ThousandSeparator = ",";  // may be empty, or a multi-byte UTF-8 character
  // A Delphi-style short date picture: d, dd, m, mm, yy, yyyy and literal separators.
  std::string ShortDateFormat = "dd.mm.yyyy";
};

// The program-wide copy. The view sets it once at start-up; tests set their own.
TFormatSettings& FormatSettings();

}  // namespace fx
