// Code page 1251 <-> Unicode. All text of the system is held as code page 1251 bytes; these
// conversions are used only at the edges: the settings file (UTF-16 code units), the windows
// and the terminal (UTF-8). File names are never code page 1251: they stay in the operating
// system's own form (UTF-8 bytes).
#pragma once

#include <string>
#include <string_view>

namespace kestrun {

/// The character that a code page 1251 byte without a character (0x98) turns into.
inline constexpr char16_t kCp1251Replacement = u'\uFFFD';

/// The Unicode character of one code page 1251 byte; 0x98 gives kCp1251Replacement.
char16_t Cp1251ToUnicode(unsigned char byte);

/// The code page 1251 byte of a Unicode character, or '?' when the code page has none.
char UnicodeToCp1251(char32_t ch);

std::u16string Cp1251ToUtf16(std::string_view text);
/// Converts UTF-16 code units; characters that code page 1251 lacks become '?'.
std::string Utf16ToCp1251(std::u16string_view text);

std::string Cp1251ToUtf8(std::string_view text);
/// Converts UTF-8; characters that code page 1251 lacks and malformed sequences become '?'.
std::string Utf8ToCp1251(std::string_view text);

/// UTF-8 as UTF-16 code units. A byte that is not part of a well-formed UTF-8 sequence becomes
/// the lone surrogate U+DC00 + byte, so that any file name of the operating system survives the
/// round trip through Utf16ToUtf8.
std::u16string Utf8ToUtf16(std::string_view text);
/// UTF-16 code units as UTF-8; a lone surrogate U+DC80..U+DCFF becomes its byte again, any other
/// unpaired surrogate U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

/// Appends the UTF-8 form of a Unicode character.
void AppendUtf8(std::string& out, char32_t c);
/// The length of the well-formed UTF-8 sequence at text[i] and its character, or 0 when the
/// byte there starts none (overlong forms, surrogates and values beyond U+10FFFF included).
std::size_t Utf8Sequence(std::string_view text, std::size_t i, char32_t& c);

/// Upper-cases Latin and Cyrillic letters of code page 1251, as the system compares texts.
std::string UpperCase1251(std::string_view text);
char UpperCase1251(char c);

/// Whether two texts are equal but for the letter case of code page 1251 (Latin and Cyrillic),
/// as the system compares keys and names.
bool SameText(std::string_view a, std::string_view b);

/// Literal Russian texts are typed in UTF-8 source and converted once: `Cp("СРП")`.
inline std::string Cp(std::string_view utf8) {
    return Utf8ToCp1251(utf8);
}

} // namespace kestrun
