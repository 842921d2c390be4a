#include "files/beaconfile.h"

#include <algorithm>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "files/velparser.h"

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
    else
        return;
    list.Records.swap(fresh.Records);
}

void LoadBeaconsCsv(TRSBNList& list, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    LoadBeaconsCsv(list, *in);
}

void LoadBeaconsCfg(TRSBNList& list, const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    LoadBeaconsCfg(list, *in, path);
}

namespace {

// An upper bound of the records a CSV file can hold: its line feeds or its carriage returns,
// whichever are more, plus one for a last line without. Reserving it keeps the records from
// being moved while the list grows.
std::size_t CountLines(std::istream& in) {
    std::size_t lf = 0, cr = 0;
    char block[1 << 14];
    in.clear();
    in.seekg(0);
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        const std::streamsize n = in.gcount();
        for (std::streamsize i = 0; i < n; ++i) {
            lf += block[i] == '\n';
            cr += block[i] == '\r';
        }
        if (n < static_cast<std::streamsize>(sizeof block)) break;
    }
    in.clear();
    return std::max(lf, cr) + 1;
}

} // namespace

void LoadBeaconsCsv(TRSBNList& list, std::istream& in) {
    list.Records.reserve(list.Records.size() + CountLines(in));
    TVelParser parser(in);
    std::string f[10];
    do {
        // "12","Шереметьево","ШРМ","АП","N","55","58.35","E","037","24.68"
        //  0    1             2     3    4   5    6       7   8     9
        // Every field but the last is quoted and followed by a comma; the rest of the line
        // after the tenth field is ignored.
        for (int i = 0; i < 9; ++i) {
            parser.ReadQuoted(f[i]);
            parser.ExpectSymbol(',');
        }
        parser.ReadQuoted(f[9]);
        parser.SkipLine();
        list.Add(f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9]);
    } while (!parser.Eof());
}

void LoadBeaconsCfg(TRSBNList& list, std::istream& in, const std::filesystem::path& path) {
    TVelParser parser(in);
    std::string section;
    parser.ExpectSymbol('[');
    parser.ReadRun(TVelParser::LetterChars, section);
    parser.ExpectSymbol(']');
    if (UpperCase1251(section) != "RSBN") RaiseBadBeaconCfg(path);

    std::string number, latDeg, latMin, lonDeg, lonMin, ignored, ident;
    do {
        // SHR=12,55*5835,-037*2468,100,ABC
        //     A  B  C    D    E    F   G
        // Whatever stands before the "=" is a key of no meaning, and lines without "=" are
        // passed over. Minutes are in hundredths; a "-" on the longitude degrees means west.
        parser.SkipPast('=');
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
        parser.SkipLine();

        InsertMinutesPoint(latMin);
        InsertMinutesPoint(lonMin);
        if (lonDeg.empty()) RaiseRangeCheck(); // its first character decides the sign
        if (lonDeg.front() == '-') lonMin.insert(0, 1, '-');
        list.Add(number, {}, ident, {}, "N", latDeg, latMin, "E", lonDeg, lonMin);
    } while (!parser.Eof());
}

} // namespace kestrun
