#include "base/textutil.h"

namespace kestrun {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitBlanks(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string_view NextLine(std::string_view text, std::size_t& from) {
    std::size_t eol = text.find_first_of("\r\n", from);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = text.substr(from, eol - from);
    from = eol + (text.substr(eol).starts_with("\r\n") ? 2 : 1);
    return line;
}

} // namespace kestrun
