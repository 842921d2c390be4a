#include "base/cp1251.h"

#include <array>

namespace kestrun {

namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    u'\u0402', u'\u0403', u'\u201A', u'\u0453',          u'\u201E', u'\u2026', u'\u2020',
    u'\u2021', u'\u20AC', u'\u2030', u'\u0409',          u'\u2039', u'\u040A', u'\u040C',
    u'\u040B', u'\u040F', u'\u0452', u'\u2018',          u'\u2019', u'\u201C', u'\u201D',
    u'\u2022', u'\u2013', u'\u2014', kCp1251Replacement, u'\u2122', u'\u0459', u'\u203A',
    u'\u045A', u'\u045C', u'\u045B', u'\u045F',          u'\u00A0', u'\u040E', u'\u045E',
    u'\u0408', u'\u00A4', u'\u0490', u'\u00A6',          u'\u00A7', u'\u0401', u'\u00A9',
    u'\u0404', u'\u00AB', u'\u00AC', u'\u00AD',          u'\u00AE', u'\u0407', u'\u00B0',
    u'\u00B1', u'\u0406', u'\u0456', u'\u0491',          u'\u00B5', u'\u00B6', u'\u00B7',
    u'\u0451', u'\u2116', u'\u0454', u'\u00BB',          u'\u0458', u'\u0405', u'\u0455',
    u'\u0457'};

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char16_t Cp1251ToUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh[byte - 0x80];
}

char UnicodeToCp1251(char32_t ch) {
    if (ch < 0x80) return static_cast<char>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return static_cast<char>(0xC0 + (ch - 0x0410));
    if (ch == kCp1251Replacement) return '?';
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == ch) return static_cast<char>(0x80 + i);
    return '?';
}

std::u16string Cp1251ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += Cp1251ToUnicode(static_cast<unsigned char>(c));
    return out;
}

std::string Utf16ToCp1251(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i; // a character outside the basic plane: code page 1251 has none
            out += '?';
            continue;
        }
        out += UnicodeToCp1251(u);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        int extra = b >= 0xF0 && b < 0xF8 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        if (b >= 0xF8) extra = -1;
        if (extra < 0 || i + extra >= text.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t c = b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(text[i + k]);
            if ((cb & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += UnicodeToCp1251(c);
        i += extra + 1;
    }
    return out;
}

std::size_t Utf8Sequence(std::string_view text, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = b < 0x80                 ? 1
                    : b >= 0xC2 && b <= 0xDF ? 2
                    : b >= 0xE0 && b <= 0xEF ? 3
                    : b >= 0xF0 && b <= 0xF4 ? 4
                                             : 0;
    if (n == 0 || i + n > text.size()) return 0;
    c = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto cb = static_cast<unsigned char>(text[i + k]);
        if ((cb & 0xC0) != 0x80) return 0;
        c = (c << 6) | (cb & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        const std::size_t n = Utf8Sequence(text, i, c);
        if (n == 0) {
            out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(text[i]));
            ++i;
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
            i += n;
        } else {
            out += static_cast<char16_t>(c);
            i += n;
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00); // a byte that was not UTF-8
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

char UpperCase1251(char c) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    if (b >= 0xE0) return static_cast<char>(b - 32); // а..я -> А..Я
    switch (b) {
    case 0xB8:
        return static_cast<char>(0xA8); // ё
    case 0xBA:
        return static_cast<char>(0xAA); // є
    case 0xBF:
        return static_cast<char>(0xAF); // ї
    case 0xB3:
        return static_cast<char>(0xB2); // і
    case 0xB4:
        return static_cast<char>(0xA5); // ґ
    case 0xA2:
        return static_cast<char>(0xA1); // ў
    case 0xBC:
        return static_cast<char>(0xA3); // ј
    case 0xBE:
        return static_cast<char>(0xBD); // ѕ
    case 0x83:
        return static_cast<char>(0x81); // ѓ
    case 0x90:
        return static_cast<char>(0x80); // ђ
    case 0x9A:
        return static_cast<char>(0x8A); // љ
    case 0x9C:
        return static_cast<char>(0x8C); // њ
    case 0x9D:
        return static_cast<char>(0x8D); // ќ
    case 0x9E:
        return static_cast<char>(0x8E); // ћ
    case 0x9F:
        return static_cast<char>(0x8F); // џ
    default:
        return c;
    }
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCase1251(a[i]) != UpperCase1251(b[i])) return false;
    return true;
}

std::string UpperCase1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCase1251(c);
    return out;
}

} // namespace kestrun
