#include "files/beaconfile.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "base/velparser.h"
#include "files/beacondat.h"

namespace kestrun {

namespace {

// Minutes in hundredths ("5835") as a decimal text ("58.35"): the point goes in front of the
// second-to-last character, so "5" becomes ".5" and "" a lone "." (which fails to convert).
void InsertMinutesPoint(std::string& hundredths) {
    const std::size_t at = hundredths.size() >= 2 ? hundredths.size() - 2 : 0;
    hundredths.insert(at, 1, '.');
}

const TCharSet& SignedDigitChars() {
    static const TCharSet set = TCharSet::Of("-", "09");
    return set;
}

} // namespace

void RaiseBadBeaconCfg(const std::filesystem::path& path) {
    RaiseNamingFile(kMsgBadBeaconCfg, path, ".");
}

void LoadBeaconFile(TRSBNList& list, const std::filesystem::path& path) {
    const std::string ext = UpperCase1251(path.extension().native());
    // Read into a list of its own: the waypoints' indices keep naming the records of the
    // current list until the whole file has been read.
    TRSBNList fresh;
    if (ext == ".CSV")
        LoadBeaconsCsv(fresh, path);
    else if (ext == ".CFG")
        LoadBeaconsCfg(fresh, path);
    else if (ext == ".DAT")
        LoadBeaconsDat(fresh, path);
    else
        // No reader knows the file: loading nothing in silence would leave the user without
        // beacons and without a word why.
        RaiseNamingFile(std::string(kMsgBadFormat) + " ", path);
    fresh.Reindex();
    std::swap(list, fresh);
}

void LoadBeaconsCsv(TRSBNList& list, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    try {
        LoadBeaconsCsv(list, *in);
    } catch (EKestrunError& e) {
        SetPlace(e, path.native());
        throw;
    }
}

void LoadBeaconsCfg(TRSBNList& list, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    try {
        LoadBeaconsCfg(list, *in, path);
    } catch (EKestrunError& e) {
        SetPlace(e, path.native());
        throw;
    }
}

namespace {

// Records reserved at most before reading: a larger list grows as it is read. A hostile file
// (100 MB of line ends, say) must not make the reader ask for gigabytes up front.
constexpr std::size_t kMaxReserved = std::size_t(1) << 17;

// An upper bound of the records a CSV file can hold: a record stands on one line and has
// nine commas there. Reserving it keeps the records from being moved while the list grows.
std::size_t RecordsAtMost(std::istream& in) {
    std::size_t lines = 0, commas = 0; // commas: on the line that runs on into the next block
    char block[1 << 14];
    in.clear();
    in.seekg(0);
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        const char* p = block;
        const char* end = block + in.gcount();
        while (p < end) {
            // One line (or its part in this block) at a time: a CR and an LF both end it.
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* stop = lf ? lf : end;
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
            if (cr) stop = cr;
            commas += static_cast<std::size_t>(std::count(p, stop, ','));
            if (stop == end) break;
            if (commas >= 9) ++lines;
            commas = 0;
            p = stop + 1;
        }
        if (end < block + sizeof block) break;
    }
    if (commas >= 9) ++lines;
    in.clear();
    return std::min(lines, kMaxReserved);
}

// The next line that may hold a record: blank lines and comment lines ("#" or ";") are passed
// over wherever they stand. False at the end of the input; else the parser is kept to the
// record's line until SkipLine.
bool NextRecordLine(TVelParser& parser) {
    for (;;) {
        parser.SkipBlanks();
        if (parser.Eof()) return false;
        if (!parser.NextIs(';')) break;
        parser.SkipLine();
    }
    parser.KeepToLine(true);
    return true;
}

// Gives an error the line it happened on.
void SetLine(EKestrunError& e, const TVelParser& parser) {
    if (e.Line == 0) e.Line = parser.Line();
}

} // namespace

void LoadBeaconsCsv(TRSBNList& list, std::istream& in) {
    list.Records.reserve(list.Records.size() + RecordsAtMost(in));
    TVelParser parser(in);
    std::string f[10];
    bool any = false;
    try {
        while (NextRecordLine(parser)) {
            // "12","Шереметьево","ШРМ","АП","N","55","58.35","E","037","24.68"
            //  0    1             2     3    4   5    6       7   8     9
            // Every field but the last is quoted and followed by a comma; the rest of the
            // line after the tenth field is ignored.
            for (int i = 0; i < 9; ++i) {
                parser.ReadQuotedField(f[i]);
                parser.ExpectSymbol(',');
            }
            parser.ReadQuotedField(f[9]);
            list.Add(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9]);
            parser.SkipLine();
            any = true;
        }
        // A file without any record: what the reader has always said of an empty one.
        if (!any) Raise(MsgExpectedSymbol(','));
    } catch (EKestrunError& e) {
        SetLine(e, parser);
        throw;
    }
}

namespace {

void ReadBeaconsCfg(TRSBNList& list, TVelParser& parser, const std::filesystem::path& path) {
    std::string section;
    parser.ExpectSymbol('[');
    parser.ReadRun(TVelParser::LetterChars, section);
    parser.ExpectSymbol(']');
    if (UpperCase1251(section) != "RSBN") RaiseBadBeaconCfg(path);
    parser.SkipLine();

    std::string number, latDeg, latMin, lonDeg, lonMin, ignored, ident;
    bool any = false;
    while (NextRecordLine(parser)) {
        // SHR=12,55*5835,-037*2468,100,ABC
        //     A  B  C    D    E    F   G
        // Whatever stands before the "=" is a key of no meaning, and lines without "=" are
        // passed over. Minutes are in hundredths; a "-" on the longitude degrees means west.
        if (!parser.SkipPast('=')) {
            parser.SkipLine();
            continue;
        }
        parser.ReadRun(TVelParser::DigitChars, number);
        parser.ExpectSymbol(',');
        parser.ReadRun(TVelParser::DigitChars, latDeg);
        parser.ExpectSymbol('*');
        parser.ReadRun(TVelParser::DigitChars, latMin);
        parser.ExpectSymbol(',');
        parser.ReadRun(SignedDigitChars(), lonDeg);
        parser.ExpectSymbol('*');
        parser.ReadRun(TVelParser::DigitChars, lonMin);
        parser.ExpectSymbol(',');
        parser.ReadRun(TVelParser::DigitChars, ignored);
        parser.ExpectSymbol(',');
        parser.ReadRun(TVelParser::LetterChars, ident);

        InsertMinutesPoint(latMin);
        InsertMinutesPoint(lonMin);
        if (lonDeg.empty()) RaiseRangeCheck(); // its first character decides the sign
        if (lonDeg.front() == '-') lonMin.insert(0, 1, '-');
        list.Add(number, {}, ident, {}, "N", latDeg, latMin, "E", lonDeg, lonMin);
        parser.SkipLine();
        any = true;
    }
    // A file without any record: what the reader has always said of one.
    if (!any) Raise(MsgExpectedSymbol(','));
}

} // namespace

void LoadBeaconsCfg(TRSBNList& list, std::istream& in, const std::filesystem::path& path) {
    TVelParser parser(in);
    try {
        ReadBeaconsCfg(list, parser, path);
    } catch (EKestrunError& e) {
        SetLine(e, parser);
        throw;
    }
}

} // namespace kestrun
