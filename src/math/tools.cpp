#include "math/tools.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "math/mathem.h"

namespace kestrun {

namespace {

using Real = long double;

/// Truncation towards zero that saturates instead of overflowing (a NaN gives 0): the
/// formatters accept any stored angle, however far out of range the typed text put it.
int TruncToInt(Real x) {
    if (!(x == x)) return 0;
    if (x >= static_cast<Real>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<Real>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}

/// Nearest integer, ties to even, saturating like TruncToInt.
int RoundToInt(Real x) {
    if (!(x == x)) return 0;
    // The default rounding mode rounds ties to even. rint, unlike nearbyint, need not keep
    // the inexact flag, which nothing reads: it costs a tenth.
    return TruncToInt(std::rint(x));
}

/// Left-to-right reader of a coordinate text; reading beyond its end is a range error.
class TCoordReader {
public:
    explicit TCoordReader(std::string_view text) : Text(text) {}

    void SkipBlanks() {
        while (Pos < Text.size() && Text[Pos] == ' ') ++Pos;
    }

    std::size_t Position() const { return Pos; }

    char Next() {
        if (Pos >= Text.size()) RaiseRangeCheck();
        return Text[Pos++];
    }

    /// Longest run of digits (and of "." when allowed) from the current position.
    std::string_view Run(bool withPoint) {
        const std::size_t start = Pos;
        while (Pos < Text.size() && (IsDigit(Text[Pos]) || (withPoint && Text[Pos] == '.'))) ++Pos;
        return Text.substr(start, Pos - start);
    }

    void Expect(char mark) {
        if (Next() != mark) Raise(kMsgBadFormat);
    }

    /// Degrees, degree sign, minutes, closing mark: one angle in radians. The minutes are
    /// rounded to double on the way, as the typed text always was.
    Real Angle() {
        SkipBlanks();
        const std::string_view degText = Run(false);
        Expect(kDegreeSign);
        const std::int32_t degrees = StrToInt(degText);
        const std::string_view minText = Run(true);
        Expect(kClosingMark);
        const double minutes = static_cast<double>(StrToFloat(minText));
        return DegMinToRad(degrees, minutes);
    }

private:
    std::string_view Text;
    std::size_t Pos = 0;
};

/// An angle of any stored form folded into its magnitude and hemisphere: true for the
/// southern/western half (above 180 degrees, negative, or not a number).
bool FoldAngle(double& a) {
    if (a > 180 || !(a >= 0)) {
        a = 360 - a;
        if (a > 360) a = a - 360;
        return true;
    }
    return false;
}

// What Format's "%N.Nd" writes: the sign, then at least `digits` digits, zero-padded.
void AppendDigits(std::string& out, int n, int digits) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf,
                                   n < 0 ? -(n + 1) + 1ULL : static_cast<unsigned long long>(n));
    if (n < 0) out += '-';
    if (res.ptr - buf < digits) out.append(static_cast<std::size_t>(digits - (res.ptr - buf)), '0');
    out.append(buf, res.ptr);
}

// An angle as "N55" + mark + "58.61" + closing mark: the hemisphere letter, degrees of
// `degDigits` digits, minutes and hundredths of minutes. Every grid row and every plan line
// writes positions: the text is put together here rather than by Format. `wrapTurn`: a whole
// turn (360 degrees after the carries) is written as 0.
void AppendAngle(std::string& out, char letter, int degDigits, char mark, double a,
                 bool wrapTurn = false) {
    int d, m, h;
    SplitDegreesHundredths(a, d, m, h);
    if (wrapTurn && d == 360 && m == 0 && h == 0) d = 0;
    out += letter;
    AppendDigits(out, d, degDigits);
    out += mark;
    AppendDigits(out, m, 2);
    out += '.';
    AppendDigits(out, h, 2);
    out += kClosingMark;
}

double ToDegrees(long double rad) {
    return static_cast<double>(rad * kRadToDeg);
}

} // namespace

bool IsHemisphereAngle(bool latitude, char letter, long double radians) {
    letter = UpperAscii(letter);
    if (letter != (latitude ? 'N' : 'E') && letter != (latitude ? 'S' : 'W')) return false;
    // The limit is computed as the angle is, so that 90 degrees (or 89 and 60 minutes) is
    // exactly the pole; written so that a NaN fails too.
    return radians >= 0 && radians <= DegMinToRad(latitude ? 90 : 180, 0);
}

bool IsStoredAngle(bool latitude, long double radians) {
    if (!(radians >= 0 && radians <= DegMinToRad(360, 0))) return false;
    return !(latitude && radians > DegMinToRad(90, 0) && radians < DegMinToRad(270, 0));
}

void RaiseBadAngle(bool latitude, std::string_view text) {
    Raise(latitude ? MsgBadLatitude(text) : MsgBadLongitude(text));
}

long double DegMinTextsToRad(std::string_view degrees, std::string_view minutes) {
    const long double min = StrToFloat(minutes);
    return DegMinToRad(StrToInt(degrees), min);
}

TGeoPoint StrToGeoPoint(std::string_view text) {
    const std::string_view trimmed = TrimBlanks(text);
    TCoordReader r(trimmed);
    r.SkipBlanks();
    const std::size_t latStart = r.Position();
    const char ns = UpperAscii(r.Next());
    if (ns != 'N' && ns != 'S') Raise(kMsgBadFormat);
    const Real lat = r.Angle();
    const std::string_view latText = trimmed.substr(latStart, r.Position() - latStart);
    r.SkipBlanks();
    const std::size_t lonStart = r.Position();
    const char ew = UpperAscii(r.Next());
    if (ew != 'E' && ew != 'W') Raise(kMsgBadFormat);
    const Real lon = r.Angle();
    // Whatever follows the longitude's closing mark is ignored.
    if (!IsHemisphereAngle(true, ns, lat)) RaiseBadAngle(true, latText);
    if (!IsHemisphereAngle(false, ew, lon))
        RaiseBadAngle(false, trimmed.substr(lonStart, r.Position() - lonStart));

    TGeoPoint p;
    p.Lat = lat;
    p.Lon = lon;
    // Southern and western angles are kept as 2pi minus their magnitude.
    if (ns == 'S') p.Lat = Normalize2Pi(static_cast<double>(-p.Lat));
    if (ew == 'W') p.Lon = Normalize2Pi(static_cast<double>(-p.Lon));
    return p;
}

std::string GeoPointToStr(const TGeoPoint& p) {
    double a = ToDegrees(p.Lat);
    const bool south = FoldAngle(a);
    double b = ToDegrees(p.Lon);
    const bool west = FoldAngle(b);
    std::string s;
    AppendAngle(s, south ? 'S' : 'N', 2, kDegreeSign, a);
    s += ' ';
    AppendAngle(s, west ? 'W' : 'E', 3, kDegreeSign, b);
    return s;
}

std::string WayPointLatStr(const TGeoPoint& p) {
    std::string s;
    AppendAngle(s, 'N', 2, '*', ToDegrees(p.Lat));
    return s;
}

std::string WayPointLonStr(const TGeoPoint& p) {
    // A longitude a hair below 360 degrees rounds to a whole turn: it is the meridian 0, and
    // written so it reads back as the same text.
    std::string s;
    AppendAngle(s, 'E', 3, '*', ToDegrees(p.Lon), true);
    return s;
}

void SplitDegrees(double x, int& degrees, int& minutes, int& seconds) {
    double a = std::fabs(x);
    degrees = TruncToInt(a);
    a = static_cast<double>((Real(a) - degrees) * 60);
    minutes = TruncToInt(a);
    // The product is exact in extended precision, so a half second is a true tie.
    seconds = RoundToInt((Real(a) - minutes) * 60);
    if (seconds == 60) {
        seconds = 0;
        ++minutes;
        if (minutes == 60) {
            minutes = 0;
            if (degrees < INT_MAX) ++degrees;
        }
    }
    if (x < 0) {
        if (degrees != 0)
            degrees = -degrees;
        else if (minutes != 0)
            minutes = -minutes;
        else
            seconds = -seconds;
    }
}

void SplitDegreesHundredths(double x, int& degrees, int& minutes, int& hundredths) {
    int seconds;
    SplitDegrees(x, degrees, minutes, seconds);
    hundredths = RoundToInt(Real(seconds) / 60 * 100);
}

TLatLonDeg GeoPointToDegrees(const TGeoPoint& p) {
    double lat = std::fmod(static_cast<double>(p.Lat * kRadToDeg), 360.0);
    double lon = static_cast<double>(p.Lon * kRadToDeg);
    if (lat > 180) lat -= 360;
    if (lat < -180) lat += 360;
    // Past a pole the meridian turns into its opposite.
    if (lat > 90) {
        lat = 180 - lat;
        lon += 180;
    } else if (lat < -90) {
        lat = -180 - lat;
        lon += 180;
    }
    return {lat, WrapLonDeg(lon)};
}

double WrapLonDeg(double lonDeg) {
    const double lon = std::fmod(lonDeg, 360.0);
    if (lon >= 180) return lon - 360;
    if (lon < -180) return lon + 360;
    return lon;
}

} // namespace kestrun
