#include "settings/cfg.h"

#include <charconv>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/textutil.h"

namespace kestrun {

namespace {

// ---------------------------------------------------------------------------------------------
// Reading: the text form of a component stream, checked as a whole before anything is applied.

// The reader refuses a line this long (counting its line feed); the writer never makes one.
constexpr std::size_t kMaxLineBytes = 4096;
// Lists, collections and nested objects deeper than this are refused, so that no input can
// exhaust the stack.
constexpr int kMaxNesting = 64;

bool IsIdentStart(unsigned char c) {
    return IsAsciiLetter(static_cast<char>(c)) || c == '_';
}
bool IsIdentChar(unsigned char c) {
    return IsIdentStart(c) || IsDigit(static_cast<char>(c));
}
bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

enum class TTokenKind { Eof, Symbol, String, Integer, Float, Char };

struct TValue {
    enum class TKind { Text, Ident, Integer, Other };
    TKind Kind = TKind::Other;
    std::string Text;     // Text: UTF-8; Ident: the identifier
    std::int64_t Int = 0; // Integer
};

struct TProperty {
    std::string Name;
    TValue Value;
};

struct TObjectText {
    std::string ObjectName;
    std::vector<TProperty> Properties;
    std::string FirstChildClass; // non-empty when nested objects follow the properties
};

class TObjectTextParser {
public:
    explicit TObjectTextParser(std::string_view text) : Src_(text) {
        CheckLineLengths();
        NextToken();
    }

    TObjectText ParseRoot() {
        TObjectText root;
        ParseObject(&root, 0, true);
        return root;
    }

private:
    [[noreturn]] void Error(std::string_view what) const {
        Raise(Format("%s on line %d", {what, static_cast<long long>(Line_)}));
    }

    // Checked over the whole text up to a byte 0 (which ends it), also after the final "end".
    void CheckLineLengths() {
        std::string_view text = Src_.substr(0, Src_.find('\0'));
        std::size_t start = 0;
        int line = 1;
        for (;;) {
            std::size_t lf = text.find('\n', start);
            std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
            if (end - start >= kMaxLineBytes) {
                Line_ = line;
                Error("Line too long");
            }
            if (lf == std::string_view::npos) break;
            start = end;
            ++line;
        }
    }

    unsigned char At(std::size_t pos) const {
        // A byte 0 ends the text, as does its end.
        return pos < Src_.size() ? static_cast<unsigned char>(Src_[pos]) : 0;
    }

    void NextToken() {
        unsigned char c = At(Pos_);
        while (c != 0 && c <= 32) {
            if (c == '\n') ++Line_;
            c = At(++Pos_);
        }
        std::size_t start = Pos_;
        if (c == 0) {
            Kind_ = TTokenKind::Eof;
        } else if (IsIdentStart(c)) {
            while (IsIdentChar(At(Pos_))) ++Pos_;
            Kind_ = TTokenKind::Symbol;
        } else if (c == '#' || c == '\'') {
            ReadStringLiteral();
            Kind_ = TTokenKind::String;
        } else if (c == '-' || IsDigit(c)) {
            ++Pos_;
            while (IsDigit(At(Pos_))) ++Pos_;
            Kind_ = TTokenKind::Integer;
            for (c = At(Pos_);
                 IsDigit(c) || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
                 c = At(Pos_)) {
                ++Pos_;
                Kind_ = TTokenKind::Float;
            }
            // A suffix that marks currency, date or single precision makes a real number too.
            if (c == 'c' || c == 'C' || c == 'd' || c == 'D' || c == 's' || c == 'S') {
                Kind_ = TTokenKind::Float;
                Token_ = Src_.substr(start, Pos_ - start);
                ++Pos_;
                return;
            }
        } else if (c == '$') {
            ++Pos_;
            while (IsHexDigit(At(Pos_))) ++Pos_;
            Kind_ = TTokenKind::Integer;
        } else {
            ++Pos_;
            Kind_ = TTokenKind::Char;
        }
        Token_ = Src_.substr(start, Pos_ - start);
    }

    // One literal: quoted runs and "#" codes without blanks between them. A code above 127
    // makes the literal UTF-16, whose quoted bytes then stand for the units of their number.
    void ReadStringLiteral() {
        std::vector<std::uint16_t> units;
        bool wide = false;
        for (;;) {
            unsigned char c = At(Pos_);
            if (c == '#') {
                ++Pos_;
                std::uint64_t value = 0;
                while (IsDigit(At(Pos_))) {
                    value = value * 10 + (At(Pos_) - '0');
                    if (value > 0xFFFFFFFFu) value = 0xFFFFFFFFu + 1ULL; // saturate
                    ++Pos_;
                }
                if (value > 127) wide = true;
                units.push_back(static_cast<std::uint16_t>(value & 0xFFFF));
            } else if (c == '\'') {
                ++Pos_;
                for (;;) {
                    c = At(Pos_);
                    if (c == 0 || c == '\n' || c == '\r') Error("Invalid string constant");
                    ++Pos_;
                    if (c == '\'') {
                        if (At(Pos_) != '\'') break;
                        ++Pos_;
                    }
                    units.push_back(c);
                }
            } else {
                break;
            }
        }
        if (wide) {
            TokenString_.assign(units.begin(), units.end());
        } else {
            std::string bytes(units.begin(), units.end());
            TokenString_ = Cp1251ToUtf16(bytes);
        }
    }

    bool SymbolIs(std::string_view word) const {
        return Kind_ == TTokenKind::Symbol && SameText(Token_, word);
    }
    bool CharIs(char c) const { return Kind_ == TTokenKind::Char && Token_[0] == c; }

    void CheckSymbol() const {
        if (Kind_ != TTokenKind::Symbol) Error("Identifier expected");
    }
    void CheckChar(char c) const {
        if (!CharIs(c)) Error(Format("'%s' expected", {std::string_view(&c, 1)}));
    }
    void CheckSymbolIs(std::string_view word) const {
        if (!SymbolIs(word)) Error(Format("%s expected", {word}));
    }

    std::int64_t TokenInt() const {
        std::string_view t = Token_;
        if (t.size() > 1 && t[0] == '$') {
            std::uint64_t u = 0;
            auto r = std::from_chars(t.data() + 1, t.data() + t.size(), u, 16);
            if (r.ec == std::errc() && r.ptr == t.data() + t.size())
                return static_cast<std::int64_t>(u);
        } else {
            std::int64_t v = 0;
            auto r = std::from_chars(t.data(), t.data() + t.size(), v, 10);
            if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return v;
        }
        Error(MsgNotInteger(t));
    }

    void CheckNesting(int depth) const {
        if (depth > kMaxNesting) Error("Nesting too deep");
    }

    // object|inherited|inline [Name ":"] Class ["[" integer "]"] properties objects end
    // Answers the class name.
    // An optional "[" integer "]" after an object header or a collection item.
    void SkipIndex() {
        if (!CharIs('[')) return;
        NextToken();
        if (Kind_ != TTokenKind::Integer) Error("Number expected");
        TokenInt();
        NextToken();
        CheckChar(']');
        NextToken();
    }

    std::string ParseObject(TObjectText* out, int depth, bool root) {
        CheckNesting(depth);
        if (!SymbolIs("inherited") && !SymbolIs("inline")) CheckSymbolIs("OBJECT");
        NextToken();
        CheckSymbol();
        // The class name is not checked.
        std::string_view objectName, className = Token_;
        NextToken();
        if (CharIs(':')) {
            NextToken();
            CheckSymbol();
            objectName = className;
            className = Token_;
            NextToken();
        }
        SkipIndex();
        if (out) out->ObjectName = objectName;
        while (!SymbolIs("end") && !SymbolIs("object") && !SymbolIs("inherited") &&
               !SymbolIs("inline"))
            ParseProperty(out, depth);
        while (!SymbolIs("end")) {
            std::string childClass = ParseObject(nullptr, depth + 1, false);
            if (out && out->FirstChildClass.empty()) out->FirstChildClass = childClass;
        }
        // Whatever follows the final "end" is not read.
        std::string name(className);
        if (!root) NextToken();
        return name;
    }

    // Name ["." Name]... "=" value
    void ParseProperty(TObjectText* out, int depth) {
        CheckSymbol();
        std::string name(Token_);
        NextToken();
        while (CharIs('.')) {
            NextToken();
            CheckSymbol();
            name += '.';
            name += Token_;
            NextToken();
        }
        CheckChar('=');
        NextToken();
        TValue value;
        ParseValue(value, depth);
        if (out) out->Properties.push_back({std::move(name), std::move(value)});
    }

    void ParseValue(TValue& value, int depth) {
        CheckNesting(depth);
        if (Kind_ == TTokenKind::String) {
            // Literals joined by "+", also across line ends, each turned into UTF-16 first.
            std::u16string joined = TokenString_;
            for (NextToken(); CharIs('+'); NextToken()) {
                NextToken();
                if (Kind_ != TTokenKind::String) Error("String expected");
                joined += TokenString_;
            }
            value.Kind = TValue::TKind::Text;
            value.Text = Utf16ToUtf8(joined);
            return;
        }
        switch (Kind_) {
        case TTokenKind::Symbol: {
            // A component reference may name its owner: "Form1.Button1".
            while (At(Pos_) == '.') {
                ++Pos_;
                if (!IsIdentStart(At(Pos_))) Error("Identifier expected");
                while (IsIdentChar(At(Pos_))) ++Pos_;
            }
            std::size_t start = static_cast<std::size_t>(Token_.data() - Src_.data());
            value.Kind = TValue::TKind::Ident;
            value.Text = Src_.substr(start, Pos_ - start);
            break;
        }
        case TTokenKind::Integer:
            value.Kind = TValue::TKind::Integer;
            value.Int = TokenInt();
            break;
        case TTokenKind::Float:
            StrToFloat(Token_); // a malformed number is a syntax error
            break;
        case TTokenKind::Char:
            switch (Token_[0]) {
            case '[': // a set of identifiers
                NextToken();
                if (!CharIs(']')) {
                    for (;;) {
                        CheckSymbol();
                        NextToken();
                        if (CharIs(']')) break;
                        CheckChar(',');
                        NextToken();
                    }
                }
                break;
            case '(': // a list of values
                NextToken();
                while (!CharIs(')')) {
                    TValue item;
                    ParseValue(item, depth + 1);
                }
                break;
            case '{': // binary data: pairs of hexadecimal digits
                SkipHexData();
                break;
            case '<': // a collection of items
                NextToken();
                while (!CharIs('>')) {
                    CheckSymbolIs("item");
                    NextToken();
                    SkipIndex();
                    while (!SymbolIs("end")) ParseProperty(nullptr, depth + 1);
                    NextToken();
                }
                break;
            default:
                Error(kMsgInvalidProperty);
            }
            break;
        default:
            Error(kMsgInvalidProperty);
        }
        NextToken();
    }

    void SkipHexData() {
        auto skipBlanks = [this] {
            for (unsigned char c = At(Pos_); c != 0 && c <= 32; c = At(++Pos_))
                if (c == '\n') ++Line_;
        };
        skipBlanks();
        while (At(Pos_) != '}') {
            std::size_t pairs = 0;
            while (IsHexDigit(At(Pos_)) && IsHexDigit(At(Pos_ + 1))) {
                Pos_ += 2;
                ++pairs;
            }
            if (pairs == 0) Error("Invalid binary value");
            skipBlanks();
        }
        NextToken(); // the closing brace
    }

    std::string_view Src_;
    std::size_t Pos_ = 0;
    int Line_ = 1;
    TTokenKind Kind_ = TTokenKind::Eof;
    std::string_view Token_;
    std::u16string TokenString_;
};

[[noreturn]] void RaiseInvalidValue() {
    Raise(kMsgInvalidProperty);
}

const std::string& TextOf(const TValue& value) {
    if (value.Kind != TValue::TKind::Text) RaiseInvalidValue();
    return value.Text;
}

// ---------------------------------------------------------------------------------------------
// Writing.

constexpr std::size_t kLineChars = 64;
constexpr const char* kCrLf = "\r\n";
constexpr const char* kValueIndent = "    ";

// A UTF-8 text as quoted runs and "#" codes, broken into lines of at most 64 characters. Every
// character above 127 is written as its UTF-16 unit, so that the file does not depend on a code
// page. A name that fits code page 1251 comes out exactly as it always has; other characters get
// codes that no code page 1251 text can produce (a byte that is not UTF-8 becomes a lone
// surrogate), so older files are never read differently, and every name reads back as it was.
void AppendText(std::string& out, std::string_view text) {
    std::u16string units = Utf8ToUtf16(text);
    const std::size_t count = units.size();
    if (count == 0) {
        out += "''";
        return;
    }
    auto plain = [](char16_t u) { return u >= 32 && u != '\'' && u <= 127; };
    if (count > kLineChars) out.append(kCrLf).append(kValueIndent);
    std::size_t i = 0, lineStart = 0;
    while (i < count) {
        if (plain(units[i])) {
            out += '\'';
            do out += static_cast<char>(units[i++]);
            while (i < count && plain(units[i]) && i - lineStart < kLineChars);
            out += '\'';
        } else {
            out += '#';
            out += std::to_string(static_cast<unsigned>(units[i++]));
        }
        if (i - lineStart >= kLineChars && i < count) {
            out.append(" +").append(kCrLf).append(kValueIndent);
            lineStart = i;
        }
    }
}

void AppendProperty(std::string& out, std::string_view name) {
    out.append("  ").append(name).append(" = ");
}

} // namespace

void TConfig::LoadFromString(std::string_view text) {
    // Editors put a byte-order mark in front of UTF-8 text; it is no part of the settings.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // Phase 1: the whole text must be well formed before any setting changes.
    TObjectText object = TObjectTextParser(text).ParseRoot();

    // Phase 2: apply in file order; what was applied before an error stays.
    if (!object.ObjectName.empty()) ObjectName = object.ObjectName;
    for (const TProperty& p : object.Properties) {
        const TValue& v = p.Value;
        if (SameText(p.Name, "Language")) {
            Language = TextOf(v);
        } else if (SameText(p.Name, "FS2004Path")) {
            FS2004Path = TextOf(v);
        } else if (SameText(p.Name, "RSBNBeaconFile")) {
            RSBNBeaconFile = TextOf(v);
        } else if (SameText(p.Name, "ViewSPPanel")) {
            if (v.Kind != TValue::TKind::Ident) RaiseInvalidValue();
            if (SameText(v.Text, "True"))
                ViewSPPanel = true;
            else if (SameText(v.Text, "False"))
                ViewSPPanel = false;
            else
                RaiseInvalidValue();
        } else if (SameText(p.Name, "SupPointDef")) {
            if (v.Kind != TValue::TKind::Integer || v.Int < INT32_MIN || v.Int > INT32_MAX)
                RaiseInvalidValue();
            SupPointDef = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v.Int) & 0xFF);
        } else {
            Raise(MsgPropertyNotFound(p.Name));
        }
    }
    if (!object.FirstChildClass.empty()) Raise(MsgClassNotFound(object.FirstChildClass));

    FillDefaultBeaconFile();
}

TConfig::TConfig() : TConfig(TFileLocations::FromProcess()) {}

TConfig::TConfig(const TFileLocations& locations)
    : DefaultBeaconFile_(locations.Find(TDataFile::DefaultBeacons)
                             .value_or(locations.Candidates(TDataFile::DefaultBeacons).front())) {}

void TConfig::LoadFromFile(const std::filesystem::path& fileName) {
    LoadFromString(ReadFileBytes(fileName));
}

void TConfig::LoadFromStream(std::istream& in) {
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LoadFromString(bytes);
}

void TConfig::FillDefaultBeaconFile() {
    if (RSBNBeaconFile.empty()) RSBNBeaconFile = DefaultBeaconFile_.native();
}

std::string TConfig::SaveToString() const {
    std::string out = "object ";
    if (!ObjectName.empty()) out.append(ObjectName).append(": ");
    out.append("TConfig").append(kCrLf);
    AppendProperty(out, "Language");
    AppendText(out, Language);
    out.append(kCrLf);
    AppendProperty(out, "FS2004Path");
    AppendText(out, FS2004Path);
    out.append(kCrLf);
    AppendProperty(out, "ViewSPPanel");
    out.append(ViewSPPanel ? "True" : "False").append(kCrLf);
    AppendProperty(out, "SupPointDef");
    out.append(std::to_string(static_cast<unsigned>(SupPointDef))).append(kCrLf);
    AppendProperty(out, "RSBNBeaconFile");
    AppendText(out, RSBNBeaconFile);
    out.append(kCrLf);
    out.append("end").append(kCrLf);
    return out;
}

void TConfig::SaveToFile(const std::filesystem::path& fileName) const {
    // The file would be replaced by a new one, which a read-only file does not stop: a file
    // the user made read-only is the user's word that it stays as it is.
    if (IsReadOnlyFile(fileName)) RaiseCannotCreateFile(fileName, "the file is read-only");
    // The user's configuration folder does not exist before the first save. A failure here
    // shows as the write's own error.
    std::error_code ec;
    if (fileName.has_parent_path()) std::filesystem::create_directories(fileName.parent_path(), ec);
    WriteFileAtomic(fileName, SaveToString());
}

std::filesystem::path LoadStartupConfig(TConfig& config, const std::filesystem::path& fileName) {
    try {
        config.LoadFromFile(fileName);
        return {};
    } catch (...) {
        // A missing or damaged file is no error: it is written again from the settings as
        // they stand.
    }
    // A damaged file is often one the user edited by hand: it is kept beside the new one
    // rather than lost, under a name no earlier damaged file has taken. A file that cannot be
    // kept is not written at all.
    std::filesystem::path kept;
    std::error_code ec;
    if (std::filesystem::is_regular_file(fileName, ec)) {
        kept = fileName.native() + ".bak";
        for (int n = 1; FileExists(kept); ++n)
            kept = fileName.native() + ".bak." + std::to_string(n);
        std::filesystem::rename(fileName, kept, ec);
        if (ec)
            RaiseNamingFile("The settings file ", fileName,
                            " could not be read, nor kept as " + kept.filename().string() + " (" +
                                ec.message() +
                                "); it is left as it is, and this run uses the default settings");
    }
    config.SaveToFile(fileName);
    // The file keeps the value as it stood; this run still finds the default beacon file.
    config.FillDefaultBeaconFile();
    return kept;
}

} // namespace kestrun
