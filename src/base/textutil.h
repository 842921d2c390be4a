// Small text helpers that every reader of outside text shares: blanks, words, lines, ASCII
// letters. They work on bytes and never interpret code page 1251 or UTF-8.
#pragma once

#include <string_view>
#include <vector>

namespace kestrun {

/// A blank: the space or a control character (bytes 0 to 32), as the system trims texts.
inline bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

/// The text without the blanks around it.
std::string_view TrimBlanks(std::string_view text);

/// The words of a text separated by runs of blanks, in order; none for a blank text.
std::vector<std::string_view> SplitBlanks(std::string_view text);

/// The line of `text` that starts at byte `from`, without its end, and `from` moved past that
/// end. A line ends with LF, CR LF or (in files of old Macintosh programs) CR alone; the last
/// one may end with none. Call while from < text.size().
std::string_view NextLine(std::string_view text, std::size_t& from);

/// An ASCII letter, "A" to "Z" or "a" to "z".
inline bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/// An ASCII letter "a" to "z" in upper case; any other byte as it is.
inline char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace kestrun
