// Conversion of text to numbers and numbers to text, always with "." as the decimal separator
// whatever the process locale is (the desktop toolkit sets the user's locale at start).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kestrun {

/// An ASCII decimal digit.
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/// A text as an integer: surrounding blanks (bytes 1..32), an optional sign, then decimal
/// digits or "$" and hexadecimal digits. Raises "'%s' is not a valid integer value" with the
/// text as given, also when the value leaves the 32-bit range.
std::int32_t StrToInt(std::string_view text);

/// A text as a real: surrounding blanks, an optional sign, digits with at most one ".", at
/// least one digit, and an optional exponent ("E" or "e", optional sign, digits), as numbers of
/// other programs are written too (Qt writes 1e-05). Raises "'%s' is not a valid floating point
/// value" with the text as given, also for a value beyond the range of a real (one below it
/// reads as 0).
long double StrToFloat(std::string_view text);
/// The same, with nothing for a text that StrToFloat refuses.
std::optional<long double> TryStrToFloat(std::string_view text);

/// One argument of Format.
using FormatArg = std::variant<long long, double, std::string_view>;

/// The widest field and the longest precision Format writes; larger ones are cut to it.
inline constexpr int kMaxFormatWidth = 64;
/// The most decimals FloatToFixed writes (a double holds 17 significant digits).
inline constexpr int kMaxFixedDecimals = 20;

/// printf-style formatting with the C locale's rules whatever the process locale: %d, %s, %f
/// (flags "-" and "0", width, precision; "%2.2d" pads the digits with zeros) and "%%". Widths
/// and precisions are cut to kMaxFormatWidth, the decimals of %f to kMaxFixedDecimals. A
/// directive that does not fit its argument, or a missing argument, raises
/// "Format '%s' invalid or incompatible with argument" with the format text.
std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args);

/// Fixed notation with `decimals` digits after "." (cut to 0..kMaxFixedDecimals), rounded to
/// nearest (ties to even on the exact binary value, as printf does).
std::string FloatToFixed(double value, int decimals);

/// Shortest text that reads back to the same double ("%.17g"-like, always with ".").
std::string FloatToRoundTrip(double value);

} // namespace kestrun
