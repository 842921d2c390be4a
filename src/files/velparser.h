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

    /// The next byte, or 0 at end of input (then the position stays at the end).
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
    /// True when the last byte read (also by a peek) was end of input or a NUL byte.
    bool Eof() const { return Current_ == 0; }
    /// Skips blanks (bytes 1..32) and comments ("#" to the end of its line).
    void SkipBlanks();
    /// Skips the rest of the line and every following CR and LF byte.
    void SkipLine();
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
    /// An optional opening quote, ReadRun(QuotedChars), true when a closing quote follows.
    bool ReadQuoted(std::string& text);
    /// A quoted text with its quotes kept, or ReadRun(ValueChars).
    void ReadValue(std::string& text);
    /// Reads bytes up to and including the next `c`, or to the end of the input.
    void SkipPast(char c);

    static const TCharSet KeyChars;
    static const TCharSet ValueChars;
    static const TCharSet QuotedChars;
    static const TCharSet DigitChars;
    static const TCharSet LetterChars;

private:
    /// Reads the next block; false when the stream delivers nothing more.
    bool Refill();

    std::istream& Stream_;
    char Buffer_[kBlockSize] = {};
    std::size_t Count_ = 0; // valid bytes in Buffer_
    std::size_t Index_ = 1; // 1-based index of the next byte to deliver
    unsigned char Current_ = 255;
    bool CanPushBack_ = false; // the last NextChar delivered a byte not yet given back
};

} // namespace kestrun
