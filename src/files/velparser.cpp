#include "files/velparser.h"

#include "base/cp1251.h"
#include "base/error.h"

namespace kestrun {

TCharSet TCharSet::Of(std::string_view members, std::string_view ranges) {
    TCharSet set;
    for (char c : members) set.Add(static_cast<unsigned char>(c));
    for (std::size_t i = 0; i + 1 < ranges.size(); i += 2) {
        auto from = static_cast<unsigned char>(ranges[i]);
        auto to = static_cast<unsigned char>(ranges[i + 1]);
        for (unsigned c = from; c <= to; ++c) set.Add(static_cast<unsigned char>(c));
    }
    return set;
}

TCharSet TCharSet::Range(unsigned char from, unsigned char to) {
    TCharSet set;
    for (unsigned c = from; c <= to; ++c) set.Add(static_cast<unsigned char>(c));
    return set;
}

TCharSet TCharSet::Without(unsigned char c) const {
    TCharSet set = *this;
    set.Bits_[c] = false;
    return set;
}

// No set holds a byte below 32, so every run stops at a line end, a tab and at end of input.
const TCharSet TVelParser::KeyChars = TCharSet::Of("._", "09AZaz");
const TCharSet TVelParser::ValueChars = TCharSet::Range(32, 255).Without(';');
const TCharSet TVelParser::QuotedChars = TCharSet::Range(32, 255).Without('"');
const TCharSet TVelParser::DigitChars = TCharSet::Of({}, "09");
const TCharSet TVelParser::LetterChars = TCharSet::Of({}, "AZaz");

TVelParser::TVelParser(std::istream& stream) : Stream_(stream) {
    Stream_.clear();
    Stream_.seekg(0);
    // A stream that cannot seek (a pipe) is read from where it stands.
    if (Stream_.fail()) Stream_.clear();
}

bool TVelParser::Refill() {
    Stream_.read(Buffer_, static_cast<std::streamsize>(kBlockSize));
    std::streamsize n = Stream_.gcount();
    if (n <= 0) return false;
    Count_ = static_cast<std::size_t>(n);
    Index_ = 1;
    return true;
}

void TVelParser::PushBack() {
    // Only the byte of the last successful read can go back; it is always still in the buffer,
    // so the stream never has to move back.
    if (!CanPushBack_) return;
    --Index_;
    CanPushBack_ = false;
}

void TVelParser::SkipBlanks() {
    for (;;) {
        unsigned char c = NextChar();
        if (c == 0) return;
        if (c <= 32) continue;
        if (c == '#') {
            SkipLine();
            continue;
        }
        PushBack();
        return;
    }
}

void TVelParser::SkipLine() {
    unsigned char c;
    do {
        c = NextChar();
        if (c == 0) return;
    } while (c != 10 && c != 13);
    do c = NextChar();
    while (c == 10 || c == 13);
    PushBack();
}

char TVelParser::Expect(char symbol) {
    unsigned char c = NextChar();
    bool hit = CanPushBack_ && c == static_cast<unsigned char>(symbol);
    if (!hit) {
        PushBack();
        Raise(MsgExpectedSymbol(symbol));
    }
    return symbol;
}

char TVelParser::ExpectSymbol(char symbol) {
    SkipBlanks();
    return Expect(symbol);
}

bool TVelParser::NextIs(char symbol) {
    SkipBlanks();
    unsigned char c = NextChar();
    // End of input answers false for every symbol, NUL included.
    bool hit = CanPushBack_ && c == static_cast<unsigned char>(symbol);
    PushBack();
    return hit;
}

void TVelParser::ReadRun(const TCharSet& set, std::string& text) {
    text.clear();
    SkipBlanks();
    for (;;) {
        unsigned char c = NextChar();
        if (!CanPushBack_) return; // end of input
        if (!set.Has(c)) {
            PushBack();
            return;
        }
        text += static_cast<char>(c);
    }
}

bool TVelParser::ReadKey(std::string& text) {
    ReadRun(KeyChars, text);
    if (!NextIs('=')) return false;
    ExpectSymbol('=');
    return true;
}

bool TVelParser::ReadQuoted(std::string& text) {
    if (NextIs('"')) NextChar();
    ReadRun(QuotedChars, text);
    if (!NextIs('"')) return false;
    NextChar();
    return true;
}

void TVelParser::ReadValue(std::string& text) {
    if (!NextIs('"')) {
        ReadRun(ValueChars, text);
        return;
    }
    std::string inner;
    ReadQuoted(inner);
    text.clear();
    text.reserve(inner.size() + 2);
    text += '"';
    text += inner;
    text += '"';
}

void TVelParser::SkipPast(char c) {
    for (;;) {
        unsigned char b = NextChar();
        if (!CanPushBack_) return;
        if (b == static_cast<unsigned char>(c)) return;
    }
}

} // namespace kestrun
