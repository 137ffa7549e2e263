#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/FormatSettings.h"

namespace fx {

// A number picture that the engine cannot format (exponent forms).
class EFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Formats `value` by a Delphi-style number picture:
// - Up to three sections separated by ';' (outside quotes): positive, negative, zero. An
//   absent or empty negative or zero section means the positive one. The negative section
//   shows the magnitude (it carries its own sign text, such as parentheses); a negative
//   value shown by the positive section gets a leading '-'. A value that rounds to zero at
//   its section's decimals is shown by the zero section (with no section of its own, by
//   the positive one, never as "-0").
// - '0' is a digit that is always shown, '#' one that is shown when significant; the
//   positions from the leftmost '0' before the point to the rightmost '0' after it are
//   always filled. Integer digits beyond the placeholders go where the first one stands.
// - The first '.' is the decimal point (shown as settings.DecimalSeparator, and only when a
//   decimal digit follows); further '.' are dropped. The number is rounded, half away from
//   zero, to as many decimals as there are placeholders after the point.
// - Any ',' in the section, wherever it stands, asks for thousands grouping with
//   settings.ThousandSeparator and is itself dropped, so "0, frags" shows 1234 as
//   "1,234 frags".
// - Text in '...' or "..." is copied without its quotes; every other character is copied.
// - An empty positive section (or picture), a non-finite value, and a value of 1E18 or more
//   (after rounding) are shown in general form: up to 15 significant digits, fixed-point
//   from 0.00001 up to 15 integer digits, otherwise scientific as "1.5E20" or "1E-6";
//   "NAN", "INF" and "-INF" for the non-finite values.
// The value is first taken to 18 significant digits, the precision of an extended float.
// Throws EFormatError for a picture that uses an exponent form ("0.0E+00"), in any of its
// three sections, whatever the value.
std::string FormatFloat(std::string_view picture, long double value,
                        const TFormatSettings& settings = FormatSettings());

// The number a user left in a numeric edit: negative when the text holds a '-' or, failing
// that, a '('; every character but the digits and `decimalSeparator` is dropped, so the
// literal text of a display format ("1,234 frags") does not disturb it. Nothing when what
// remains is not a number (empty, a lone separator, two separators, out of range).
std::optional<long double> ParseFloatEditText(std::string_view text, char decimalSeparator);

}  // namespace fx
