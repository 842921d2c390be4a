#include "base/velparser.h"

#include <cstring>

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

namespace {

// Line ends among bytes [from, to) of a block, `prev` being the byte before `from`: a CR, and
// an LF that no CR stands before.
int CountLineEnds(const char* from, const char* to, unsigned char prev) {
    if (from == to) return 0;
    // Written without a value carried from byte to byte, so that the compiler can count many
    // bytes at once: lines are counted for every block read.
    int n = (*from == 13) + (*from == 10 && prev != 13);
    for (const char* p = from + 1; p < to; ++p) n += (*p == 13) + ((*p == 10) & (p[-1] != 13));
    return n;
}

} // namespace

bool TVelParser::Refill() {
    if (NulAhead_) RaiseNul();
    if (Count_ > 0) {
        // Lines are counted only when a block is left behind (or a line is asked for), so
        // that reading stays a plain copy of bytes.
        LinesBefore_ += CountLineEnds(Buffer_, Buffer_ + Count_, PrevLast_);
        PrevLast_ = static_cast<unsigned char>(Buffer_[Count_ - 1]);
    }
    Stream_.read(Buffer_, static_cast<std::streamsize>(kBlockSize));
    std::streamsize n = Stream_.gcount();
    if (n <= 0) return false;
    Count_ = static_cast<std::size_t>(n);
    Index_ = 1;
    if (const void* nul = std::memchr(Buffer_, 0, Count_)) {
        Count_ = static_cast<std::size_t>(static_cast<const char*>(nul) - Buffer_);
        NulAhead_ = true;
        if (Count_ == 0) RaiseNul();
    }
    if (AtStart_) {
        AtStart_ = false;
        // Editors put a byte-order mark in front of UTF-8 text; it is no part of the content.
        if (Count_ >= 3 && std::memcmp(Buffer_, "\xEF\xBB\xBF", 3) == 0) Index_ = 4;
        if (Index_ > Count_) return Refill();
    }
    return true;
}

int TVelParser::Line() const {
    const std::size_t read = Index_ > Count_ ? Count_ : Index_ - 1;
    return 1 + LinesBefore_ + CountLineEnds(Buffer_, Buffer_ + read, PrevLast_);
}

void TVelParser::RaiseNul() const {
    Raise(kMsgBadFormat);
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
        if (OneLine_ && (c == 10 || c == 13)) {
            PushBack();
            return;
        }
        if (c <= 32) continue;
        if (c == '#') {
            if (!OneLine_) {
                SkipLine();
                continue;
            }
            // The comment ends the record's line, not the record.
            do c = NextChar();
            while (c != 0 && c != 10 && c != 13);
            PushBack();
            return;
        }
        PushBack();
        return;
    }
}

void TVelParser::SkipLine() {
    OneLine_ = false;
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

bool TVelParser::CloseQuote() {
    // The run stopped at a quote, a control byte or the end; a closing quote may follow
    // control bytes such as tabs, but never the end of the line.
    for (;;) {
        unsigned char c = NextChar();
        if (c == '"') return true;
        if (c == 0) return false;
        if (c == 10 || c == 13 || c > 32) {
            PushBack();
            return false;
        }
    }
}

bool TVelParser::ReadQuoted(std::string& text) {
    if (NextIs('"')) NextChar();
    ReadRun(QuotedChars, text);
    return CloseQuote();
}

void TVelParser::ReadQuotedField(std::string& text) {
    const bool opened = NextIs('"');
    if (opened) NextChar();
    ReadRun(QuotedChars, text);
    if (!CloseQuote() && opened) Raise(MsgExpectedSymbol('"'));
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

bool TVelParser::SkipPast(char c) {
    for (;;) {
        unsigned char b = NextChar();
        if (!CanPushBack_) return false;
        if (b == static_cast<unsigned char>(c)) return true;
        if (OneLine_ && (b == 10 || b == 13)) {
            PushBack();
            return false;
        }
    }
}

void TVelParser::SkipPastOnLine(char c) {
    const bool oneLine = OneLine_;
    OneLine_ = true;
    const bool found = SkipPast(c);
    OneLine_ = oneLine;
    if (!found) Raise(MsgExpectedSymbol(c));
}

} // namespace kestrun
