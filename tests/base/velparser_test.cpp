#include "base/velparser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/error.h"
#include "testutil.h"

namespace kestrun {
namespace {

using test::MessageOf;

// "Ожидается символ " in code page 1251, typed as bytes so the check does not depend on the
// conversion table.
const std::string kExpectedPrefix =
    "\xCE\xE6\xE8\xE4\xE0\xE5\xF2\xF1\xFF \xF1\xE8\xEC\xE2\xEE\xEB ";

struct TInput {
    explicit TInput(std::string text) : Stream(std::move(text)), Parser(Stream) {}
    std::istringstream Stream;
    TVelParser Parser;
};

std::string Rest(TVelParser& p) {
    std::string s;
    for (unsigned char c = p.NextChar(); !(c == 0 && p.Eof()); c = p.NextChar()) s += char(c);
    return s;
}

TEST(VelParser, EmptyInput) {
    TInput in("");
    EXPECT_FALSE(in.Parser.Eof()); // nothing read yet
    in.Parser.SkipBlanks();
    EXPECT_TRUE(in.Parser.Eof());
    std::string text = "old";
    in.Parser.ReadRun(TVelParser::ValueChars, text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(in.Parser.Eof());
}

TEST(VelParser, LastLineWithoutLineEnd) {
    TInput in("key=value");
    std::string text;
    EXPECT_TRUE(in.Parser.ReadKey(text));
    EXPECT_EQ(text, "key");
    EXPECT_FALSE(in.Parser.Eof());
    in.Parser.ReadValue(text);
    EXPECT_EQ(text, "value");
    EXPECT_TRUE(in.Parser.Eof());
}

TEST(VelParser, SeeksToStartWhateverThePosition) {
    std::istringstream s("abc");
    s.get();
    s.get();
    TVelParser p(s);
    EXPECT_EQ(p.NextChar(), 'a');
}

TEST(VelParser, LineEnds) {
    struct Case {
        const char* name;
        std::string input;
        std::string rest; // after reading "a" and SkipLine
    };
    const std::vector<Case> cases = {
        {"CR LF", "a x\r\nb", "b"},
        {"LF", "a x\nb", "b"},
        {"CR", "a x\rb", "b"},
        {"empty lines of every kind", "a\r\n\r\n\n\r\r\nb", "b"},
        {"blanks of the next line stay", "a\n\n  b", "  b"},
        {"no line end", "a tail", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TInput in(c.input);
        std::string text;
        in.Parser.ReadRun(TVelParser::KeyChars, text);
        EXPECT_EQ(text, "a");
        in.Parser.SkipLine();
        EXPECT_EQ(Rest(in.Parser), c.rest);
    }
}

TEST(VelParser, SkipBlanksOverLineEndsAndComments) {
    struct Case {
        const char* name;
        std::string input;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"mixed line ends and tabs", " \t\r\n\n\r \x01x y", "x y"},
        {"comment lines", "# one\r\n#two\n\n  # three\rx", "x"},
        {"comment at end without line end", "  # only", ""},
        {"a comment directly before the token", "#c\r\nx#y", "x#y"},
        {"bytes above 127 are no blanks", "\xA0\xC0", "\xA0\xC0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TInput in(c.input);
        in.Parser.SkipBlanks();
        EXPECT_EQ(Rest(in.Parser), c.rest);
    }
}

TEST(VelParser, ReadKey) {
    {
        TInput in("Language = x");
        std::string text;
        EXPECT_TRUE(in.Parser.ReadKey(text));
        EXPECT_EQ(text, "Language");
        EXPECT_EQ(Rest(in.Parser), " x");
    }
    {
        TInput in("Language x");
        std::string text;
        EXPECT_FALSE(in.Parser.ReadKey(text));
        EXPECT_EQ(text, "Language");
        EXPECT_EQ(Rest(in.Parser), "x");
    }
    {
        // No Cyrillic letters and no "-" in keys.
        TInput in("sMain-x\xC0=1");
        std::string text;
        EXPECT_FALSE(in.Parser.ReadKey(text));
        EXPECT_EQ(text, "sMain");
        EXPECT_EQ(Rest(in.Parser), "-x\xC0=1");
    }
}

TEST(VelParser, ReadValue) {
    struct Case {
        const char* name;
        std::string input;
        std::string value;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"quoted", " \"A B\" ;rest", "\"A B\"", " ;rest"},
        {"unquoted keeps the blank before ;", " A B ;rest", "A B ", ";rest"},
        {"unquoted keeps # = and quotes", "a#b=\"c\"\r\nnext", "a#b=\"c\"", "\r\nnext"},
        {"unquoted ends at a tab", "ab\tc", "ab", "\tc"},
        {"quoted keeps ; and #, drops leading blanks", "\"  x;#y \"z", "\"x;#y \"", "z"},
        // A quote on the next line never closes the text: it belongs to that line.
        {"missing closing quote", "\"abc\r\n\"x", "\"abc\"", "\r\n\"x"},
        {"Cyrillic", "\xCF\xF3\xEB\xEA\xEE\xE2\xEE;", "\xCF\xF3\xEB\xEA\xEE\xE2\xEE", ";"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TInput in(c.input);
        std::string text = "old";
        in.Parser.ReadValue(text);
        EXPECT_EQ(text, c.value);
        EXPECT_EQ(Rest(in.Parser), c.rest);
    }
}

TEST(VelParser, ReadQuoted) {
    struct Case {
        const char* name;
        std::string input;
        std::string text;
        bool closed;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"closed", "\"abc\"x", "abc", true, "x"},
        {"no closing quote", "\"abc", "abc", false, ""},
        {"no quotes at all", "abc", "abc", false, ""},
        {"blanks before the closing quote kept", "\"ab  \"", "ab  ", true, ""},
        {"# after the opening quote starts a comment", "\" # note\r\nvalue\"", "value", true, ""},
        {"empty", "\"\"x", "", true, "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TInput in(c.input);
        std::string text;
        EXPECT_EQ(in.Parser.ReadQuoted(text), c.closed);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(Rest(in.Parser), c.rest);
    }
}

TEST(VelParser, ExpectSymbolMessageAndPushBack) {
    TInput in("; x");
    try {
        in.Parser.ExpectSymbol(',');
        FAIL() << "no error";
    } catch (const EKestrunError& e) {
        EXPECT_EQ(std::string(e.what()), kExpectedPrefix + "\",\"");
    }
    EXPECT_EQ(in.Parser.NextChar(), ';');
    EXPECT_EQ(MsgExpectedSymbol('='), kExpectedPrefix + "\"=\"");
}

TEST(VelParser, ExpectReadsWithoutSkipping) {
    TInput in(" =");
    EXPECT_THROW(in.Parser.Expect('='), EKestrunError);
    EXPECT_EQ(in.Parser.ExpectSymbol('='), '=');
    EXPECT_THROW(in.Parser.ExpectSymbol('='), EKestrunError); // at end
    EXPECT_TRUE(in.Parser.Eof());
}

TEST(VelParser, NextIsKeepsBlanksConsumed) {
    TInput in("  \r\n =x");
    EXPECT_FALSE(in.Parser.NextIs('x'));
    EXPECT_TRUE(in.Parser.NextIs('='));
    EXPECT_EQ(Rest(in.Parser), "=x");
}

TEST(VelParser, CommentBetweenEntriesHashInsideValue) {
    TInput in("a=1#x\r\n# comment = 5\r\n  b = \"2\"\r\n");
    std::string key, value;
    ASSERT_TRUE(in.Parser.ReadKey(key));
    in.Parser.ReadValue(value);
    EXPECT_EQ(value, "1#x");
    ASSERT_TRUE(in.Parser.ReadKey(key));
    EXPECT_EQ(key, "b");
    in.Parser.ReadValue(value);
    EXPECT_EQ(value, "\"2\"");
    in.Parser.SkipBlanks();
    EXPECT_TRUE(in.Parser.Eof());
}

TEST(VelParser, BlockBoundary) {
    std::string data(TVelParser::kBlockSize - 1, 'a');
    data += "bc";
    data += std::string(TVelParser::kBlockSize, 'd');
    data += "e";
    TInput in(data);
    for (std::size_t i = 0; i + 1 < TVelParser::kBlockSize; ++i)
        ASSERT_EQ(in.Parser.NextChar(), 'a');
    EXPECT_EQ(in.Parser.NextChar(), 'b'); // last byte of the first block
    in.Parser.PushBack();
    EXPECT_EQ(in.Parser.NextChar(), 'b');
    EXPECT_EQ(in.Parser.NextChar(), 'c'); // first byte of the second block, after a refill
    in.Parser.PushBack();
    EXPECT_EQ(in.Parser.NextChar(), 'c');
    std::string run;
    in.Parser.ReadRun(TVelParser::KeyChars, run); // a run across the next boundary
    EXPECT_EQ(run, std::string(TVelParser::kBlockSize - 1, 'd') + "de");
    EXPECT_TRUE(in.Parser.Eof());
}

TEST(VelParser, RunAcrossEveryBoundaryOffset) {
    // A key/value pair placed at each offset around the boundary reads the same.
    for (std::size_t pad = TVelParser::kBlockSize - 8; pad <= TVelParser::kBlockSize + 2; ++pad) {
        SCOPED_TRACE(pad);
        TInput in(std::string(pad, '\n') + "key = \"v w\" ;x");
        std::string key, value;
        ASSERT_TRUE(in.Parser.ReadKey(key));
        EXPECT_EQ(key, "key");
        in.Parser.ReadValue(value);
        EXPECT_EQ(value, "\"v w\"");
        EXPECT_TRUE(in.Parser.NextIs(';'));
    }
}

// Records how the tokenizer uses its stream.
class TRecordingBuf : public std::streambuf {
public:
    explicit TRecordingBuf(std::string data) : Data_(std::move(data)) {}
    std::vector<std::streamsize> Reads;
    int Seeks = 0;

protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override {
        Reads.push_back(n);
        std::streamsize k = std::min<std::streamsize>(n, std::streamsize(Data_.size() - Pos_));
        Data_.copy(s, std::size_t(k), Pos_);
        Pos_ += std::size_t(k);
        return k;
    }
    int_type underflow() override { return traits_type::eof(); }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        return seekpos(dir == std::ios_base::beg ? off : off_type(-1), std::ios_base::in);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode) override {
        ++Seeks;
        if (pos < 0) return pos_type(off_type(-1));
        Pos_ = std::size_t(pos);
        return pos;
    }

private:
    std::string Data_;
    std::size_t Pos_ = 0;
};

TEST(VelParser, ReadsWholeBlocksAndNeverMovesBack) {
    TRecordingBuf buf(std::string(2500, 'x') + "=");
    std::istream s(&buf);
    TVelParser p(s);
    EXPECT_EQ(buf.Seeks, 1); // the start
    std::string run;
    p.ReadRun(TVelParser::KeyChars, run);
    EXPECT_EQ(run.size(), 2500u);
    EXPECT_TRUE(p.NextIs('='));
    EXPECT_EQ(p.ExpectSymbol('='), '=');
    p.NextChar();
    p.NextChar();
    EXPECT_EQ(buf.Seeks, 1);
    ASSERT_GE(buf.Reads.size(), 3u);
    for (std::streamsize n : buf.Reads) EXPECT_EQ(n, std::streamsize(TVelParser::kBlockSize));
}

TEST(VelParser, ReadsAfterEndOfInputStayAtTheEnd) {
    TInput in("ab");
    EXPECT_EQ(in.Parser.NextChar(), 'a');
    EXPECT_EQ(in.Parser.NextChar(), 'b');
    EXPECT_FALSE(in.Parser.Eof());
    EXPECT_EQ(in.Parser.NextChar(), 0);
    EXPECT_TRUE(in.Parser.Eof());
    // Nothing to give back after end of input: "b" is never delivered again.
    for (int i = 0; i < 3; ++i) {
        in.Parser.PushBack();
        EXPECT_EQ(in.Parser.NextChar(), 0);
        EXPECT_FALSE(in.Parser.NextIs('b'));
        EXPECT_FALSE(in.Parser.NextIs('\0'));
        std::string text = "old";
        in.Parser.ReadRun(TVelParser::ValueChars, text);
        EXPECT_EQ(text, "");
        EXPECT_FALSE(in.Parser.ReadQuoted(text));
        EXPECT_FALSE(in.Parser.ReadKey(text));
        EXPECT_THROW(in.Parser.Expect('b'), EKestrunError);
        in.Parser.SkipLine();
        in.Parser.SkipPast('b');
        EXPECT_TRUE(in.Parser.Eof());
    }
}

// What hostile and edited files put in the way: NUL bytes, byte-order marks, lines ended in
// three ways, values that do not close on their line.
TEST(VelParser, NulByteIsAFormatErrorOnItsLine) {
    TInput in(std::string("a\r\nb\0c", 6));
    EXPECT_EQ(in.Parser.NextChar(), 'a');
    in.Parser.SkipLine();
    EXPECT_EQ(in.Parser.NextChar(), 'b');
    try {
        in.Parser.NextChar();
        ADD_FAILURE() << "a NUL byte read as text";
    } catch (const EKestrunError& e) {
        EXPECT_STREQ(e.what(), "Bad format!");
        EXPECT_EQ(in.Parser.Line(), 2);
    }
    // A NUL as the first byte of a block.
    TInput block(std::string(TVelParser::kBlockSize, 'x') + '\0');
    EXPECT_EQ(MessageOf([&] {
                  while (block.Parser.NextChar() != 0) {
                  }
              }),
              kMsgBadFormat);
}

TEST(VelParser, ByteOrderMarkIsPassedOverAndLinesAreCounted) {
    TInput bom("\xEF\xBB\xBFkey");
    std::string text;
    bom.Parser.ReadRun(TVelParser::KeyChars, text);
    EXPECT_EQ(text, "key");
    TInput onlyBom("\xEF\xBB\xBF");
    EXPECT_EQ(onlyBom.Parser.NextChar(), 0);

    // CR LF, LF and CR each end one line, also where CR LF straddles a block boundary.
    std::string lines = "1\r\n2\n3\r4" + std::string(TVelParser::kBlockSize - 9, ' ') + "\r\n5";
    ASSERT_EQ(lines[TVelParser::kBlockSize - 1], '\r');
    TInput in(lines);
    EXPECT_EQ(in.Parser.Line(), 1);
    for (int line = 1; line <= 4; ++line) {
        SCOPED_TRACE(line);
        in.Parser.SkipBlanks();
        EXPECT_EQ(in.Parser.Line(), line);
        EXPECT_EQ(in.Parser.NextChar(), '0' + line);
        in.Parser.SkipLine();
    }
    EXPECT_EQ(in.Parser.Line(), 5);
}

TEST(VelParser, WithinALineNothingReadsPastItsEnd) {
    TInput blanks("  # note\r\nx");
    blanks.Parser.KeepToLine(true);
    std::string text = "old";
    blanks.Parser.ReadRun(TVelParser::KeyChars, text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(blanks.Parser.NextIs('x'));
    blanks.Parser.SkipLine(); // ends the line and KeepToLine with it
    EXPECT_TRUE(blanks.Parser.NextIs('x'));

    TInput skip("a b\r\n, c");
    skip.Parser.KeepToLine(true);
    EXPECT_FALSE(skip.Parser.SkipPast(','));
    EXPECT_EQ(MessageOf([&] { skip.Parser.SkipPastOnLine(','); }), kExpectedPrefix + "\",\"");
    EXPECT_EQ(skip.Parser.Line(), 1);

    TInput field("\"abc\r\n\"x\"");
    EXPECT_EQ(MessageOf([&] { field.Parser.ReadQuotedField(text); }), kExpectedPrefix + "\"\"\"");
    TInput bare("abc,");
    bare.Parser.ReadQuotedField(text); // a text without quotes has none to close
    EXPECT_EQ(text, "abc,");
}

TEST(VelParser, OnlyOneByteGoesBack) {
    TInput in("abc");
    in.Parser.NextChar();
    in.Parser.NextChar();
    in.Parser.PushBack();
    in.Parser.PushBack();
    EXPECT_EQ(in.Parser.NextChar(), 'b');
}

TEST(VelParser, SkipPast) {
    TInput in("abc,def");
    in.Parser.SkipPast(',');
    EXPECT_EQ(Rest(in.Parser), "def");
    TInput none("abc");
    none.Parser.SkipPast(',');
    EXPECT_TRUE(none.Parser.Eof());
}

TEST(VelParser, CharacterSets) {
    struct Case {
        const char* name;
        const TCharSet& set;
        std::string in;
        std::string out;
    };
    std::string hi;
    for (int c = 128; c < 256; ++c) hi += char(c);
    std::string low;
    for (int c = 0; c < 32; ++c) low += char(c);
    const std::vector<Case> cases = {
        {"KeyChars", TVelParser::KeyChars, "._09AZaz5mM", "-/:@[`{ \"#;=\xC0\xFF" + low},
        {"ValueChars", TVelParser::ValueChars, " =\"#~\x7F" + hi, ";" + low},
        {"QuotedChars", TVelParser::QuotedChars, " =;#~\x7F" + hi, "\"" + low},
        {"DigitChars", TVelParser::DigitChars, "0123456789", "/:aA .-"},
        {"LetterChars", TVelParser::LetterChars, "AZaz", "@[`{09_\xC0\xE0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (char ch : c.in) EXPECT_TRUE(c.set.Has(static_cast<unsigned char>(ch))) << int(ch);
        for (char ch : c.out) EXPECT_FALSE(c.set.Has(static_cast<unsigned char>(ch))) << int(ch);
    }
}

} // namespace
} // namespace kestrun
