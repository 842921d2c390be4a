#include "base/numconv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/error.h"
#include "base/textutil.h"

namespace kestrun {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void BadFormat(std::string_view fmt) {
    Raise(MsgFormatInvalid(fmt));
}

} // namespace

std::int32_t StrToInt(std::string_view text) {
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) Raise(MsgNotInteger(text));
    long long value = 0;
    for (char c : s) {
        int d = base == 10 ? (IsDigit(c) ? c - '0' : -1) : HexValue(c);
        if (d < 0) Raise(MsgNotInteger(text));
        value = value * base + d;
        if (value > 0xFFFFFFFFLL) Raise(MsgNotInteger(text));
    }
    if (base == 16 && !negative && value > std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); // $FFFFFFFF is -1
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        Raise(MsgNotInteger(text));
    return static_cast<std::int32_t>(value);
}

std::optional<long double> TryStrToFloat(std::string_view text) {
    std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::size_t start = i;
    int digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expStart = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i == expStart) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    std::string_view body = s.substr(start);
    // Plain decimals of up to 19 digits, the form every file of the system holds, are exact as
    // a 64-bit integer over a power of ten no larger than 10^27 (both exact in extended
    // precision), so one division rounds them correctly, as the general conversion would.
    if (body.size() <= 20 && body.find_first_of("eE") == std::string_view::npos) {
        unsigned long long mantissa = 0;
        int scale = 0, count = 0;
        bool point = false;
        for (char c : body) {
            if (c == '.') {
                point = true;
                continue;
            }
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            ++count;
            if (point) ++scale;
        }
        if (count <= 19) {
            static constexpr long double kPow10[] = {
                1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
            long double value = static_cast<long double>(mantissa) / kPow10[scale];
            return negative ? -value : value;
        }
    }
    // from_chars accepts no leading "+", which was taken off above.
    long double value = 0;
    auto res =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflow is an invalid value; underflow reads as 0 like the platform's conversion.
        bool tiny = false;
        std::size_t e = body.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < body.size() && body[e + 1] == '-') tiny = true;
        if (!tiny) return std::nullopt;
        value = 0;
    } else if (res.ec != std::errc() || res.ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

long double StrToFloat(std::string_view text) {
    const std::optional<long double> value = TryStrToFloat(text);
    if (!value) Raise(MsgNotFloat(text));
    return *value;
}

std::string FloatToFixed(double value, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    decimals = std::clamp(decimals, 0, kMaxFixedDecimals);
    // A sign, the 309 digits of the largest double, the point and the decimals.
    char buf[1 + 309 + 1 + kMaxFixedDecimals];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) RaiseRangeCheck();
    return std::string(buf, res.ptr);
}

std::string FloatToRoundTrip(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 17);
    return std::string(buf, res.ptr);
}

std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args) {
    std::string out;
    auto arg = args.begin();
    std::size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < fmt.size() && fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool left = false, zero = false;
        while (i < fmt.size() && (fmt[i] == '-' || fmt[i] == '0')) {
            if (fmt[i] == '-')
                left = true;
            else
                zero = true;
            ++i;
        }
        // Format texts come from language files that users edit: a width or precision beyond
        // what a cell can show is cut to the bound (read without overflow, however long).
        auto number = [&](int bound) {
            int n = 0;
            while (i < fmt.size() && IsDigit(fmt[i]))
                n = std::min(n * 10 + (fmt[i++] - '0'), bound);
            return n;
        };
        int width = number(kMaxFormatWidth), precision = -1;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            precision = number(kMaxFormatWidth);
        }
        if (i >= fmt.size() || arg == args.end()) BadFormat(fmt);
        char conv = fmt[i++];
        std::string body;
        switch (conv) {
        case 'd':
        case 'D': {
            const auto* v = std::get_if<long long>(&*arg);
            if (!v) BadFormat(fmt);
            long long n = *v;
            std::string digits =
                std::to_string(n < 0 ? -(n + 1) + 1ULL : static_cast<unsigned long long>(n));
            if (precision > 0 && static_cast<int>(digits.size()) < precision)
                digits.insert(0, precision - digits.size(), '0');
            body = (n < 0 ? "-" : "") + digits;
            break;
        }
        case 'f':
        case 'F': {
            const auto* v = std::get_if<double>(&*arg);
            if (!v) BadFormat(fmt);
            body = FloatToFixed(*v, precision < 0 ? 2 : precision);
            break;
        }
        case 's':
        case 'S': {
            const auto* v = std::get_if<std::string_view>(&*arg);
            if (!v) BadFormat(fmt);
            body = precision >= 0 ? std::string(v->substr(0, precision)) : std::string(*v);
            break;
        }
        default:
            BadFormat(fmt);
        }
        ++arg;
        if (static_cast<int>(body.size()) < width) {
            std::size_t pad = width - body.size();
            if (left)
                body.append(pad, ' ');
            else if (zero && conv != 's' && conv != 'S') {
                std::size_t at = (!body.empty() && body[0] == '-') ? 1 : 0;
                body.insert(at, pad, '0');
            } else
                body.insert(0, pad, ' ');
        }
        out += body;
    }
    return out;
}

} // namespace kestrun
