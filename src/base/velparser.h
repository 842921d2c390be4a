// The one tokenizer of every text file the system reads: a byte reader over 1024-byte blocks
// with a one-byte push-back and a few operations that each reader combines in its own order.
// Bytes above 127 are ordinary characters (code page 1251 is never interpreted).
#pragma once

#include <bitset>
#include <istream>
#include <string>
#include <string_view>

namespace kestrun {

/// A set of byte values.
class TCharSet {
public:
    TCharSet() = default;
    /// Every byte of `members`, plus the inclusive ranges given as pairs in `ranges`
    /// ("09AZ" is "0" to "9" and "A" to "Z").
    static TCharSet Of(std::string_view members, std::string_view ranges = {});
    static TCharSet Range(unsigned char from, unsigned char to);
    TCharSet Without(unsigned char c) const;
    bool Has(unsigned char c) const { return Bits_[c]; }
    void Add(unsigned char c) { Bits_[c] = true; }

private:
    std::bitset<256> Bits_;
};

class TVelParser {
public:
    static constexpr std::size_t kBlockSize = 1024;

    /// Seeks the stream to its start; the stream stays the caller's.
    explicit TVelParser(std::istream& stream);

    /// The next byte, or 0 at end of input (then the position stays at the end). A NUL byte
    /// in the input is no text: it raises "Bad format!".
    unsigned char NextChar() {
        if (Index_ > Count_ && !Refill()) {
            Current_ = 0;
            CanPushBack_ = false;
            return 0;
        }
        Current_ = static_cast<unsigned char>(Buffer_[Index_ - 1]);
        ++Index_;
        CanPushBack_ = true;
        return Current_;
    }
    /// Gives back the byte the last NextChar delivered; nothing after end of input.
    void PushBack();
    /// True when the last byte read (also by a peek) was end of input.
    bool Eof() const { return Current_ == 0; }
    /// Skips blanks (bytes 1..32) and comments ("#" to the end of its line). Within a line
    /// (KeepToLine) it stops before the line end.
    void SkipBlanks();
    /// Skips the rest of the line and every following CR and LF byte; ends KeepToLine.
    void SkipLine();
    /// While on, nothing but SkipLine reads past the end of the current line: a record's
    /// values and the skips between them stop there, so that a broken line can never take
    /// the next one with it.
    void KeepToLine(bool on) { OneLine_ = on; }
    /// The 1-based number of the line the position is on (CR LF, LF and CR each end a line).
    int Line() const;
    /// Reads one byte with no skipping; raises "Ожидается символ "%s"" when it is not symbol.
    char Expect(char symbol);
    /// SkipBlanks, then Expect.
    char ExpectSymbol(char symbol);
    /// SkipBlanks, then peeks at one byte.
    bool NextIs(char symbol);
    /// SkipBlanks, then the longest run of bytes of the set (may be empty).
    void ReadRun(const TCharSet& set, std::string& text);
    /// ReadRun(KeyChars); true when an equals sign follows (it is consumed).
    bool ReadKey(std::string& text);
    /// An optional opening quote, ReadRun(QuotedChars), true when a closing quote follows on
    /// the same line.
    bool ReadQuoted(std::string& text);
    /// ReadQuoted for a field of a record: a text that opens with a quote must close it on
    /// its line, else "Ожидается символ """ is raised.
    void ReadQuotedField(std::string& text);
    /// A quoted text with its quotes kept, or ReadRun(ValueChars).
    void ReadValue(std::string& text);
    /// Reads bytes up to and including the next `c`, or to the end of the input; within a
    /// line (KeepToLine) up to its end. True when `c` was found.
    bool SkipPast(char c);
    /// SkipPast within the line; raises "Ожидается символ "%s"" with `c` when the line ends
    /// first.
    void SkipPastOnLine(char c);

    static const TCharSet KeyChars;
    static const TCharSet ValueChars;
    static const TCharSet QuotedChars;
    static const TCharSet DigitChars;
    static const TCharSet LetterChars;

private:
    /// Reads the next block; false when the stream delivers nothing more. A UTF-8 byte-order
    /// mark at the start of the input is passed over. A block is cut before a NUL byte, so
    /// that the NUL is met here, once, and not tested for at every byte.
    bool Refill();
    [[noreturn]] void RaiseNul() const;
    /// After a quoted run: consumes a closing quote on the same line; false when none.
    bool CloseQuote();

    std::istream& Stream_;
    char Buffer_[kBlockSize] = {};
    std::size_t Count_ = 0; // valid bytes in Buffer_
    std::size_t Index_ = 1; // 1-based index of the next byte to deliver
    unsigned char Current_ = 255;
    bool CanPushBack_ = false;   // the last NextChar delivered a byte not yet given back
    bool OneLine_ = false;       // KeepToLine
    bool NulAhead_ = false;      // the block ends early, before a NUL byte
    bool AtStart_ = true;        // no block read yet
    int LinesBefore_ = 0;        // line ends in the blocks before this one
    unsigned char PrevLast_ = 0; // the last byte of the block before this one
};

} // namespace kestrun
