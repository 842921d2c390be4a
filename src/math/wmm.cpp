#include "math/wmm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

#include "base/error.h"
#include "base/fileio.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "math/angles.h"
#include "math/bglmag.h"

namespace kestrun {

namespace {

// The model's arithmetic is double throughout, as its reference software's.
constexpr double kDegToRadD = static_cast<double>(kPi) / 180.0;
constexpr double kRadToDegD = 180.0 / static_cast<double>(kPi);

// WGS-84.
constexpr double kWgs84AKm = 6378.137;
constexpr double kWgs84F = 1.0 / 298.257223563;
constexpr double kWgs84E2 = kWgs84F * (2.0 - kWgs84F);

// Latitudes beyond which the grid variation is given, as the model's own products do.
constexpr double kGridVarLatDeg = 55.0;

// Locale-free and strict: the whole field must be the number.
bool ParseReal(std::string_view field, double& value) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool ParseInt(std::string_view field, int& value) {
    const char* end = field.data() + field.size();
    auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end;
}

[[noreturn]] void BadCof(const std::filesystem::path& fileName, int line, std::string_view what) {
    RaiseNamingFile(kMsgBadCof, fileName,
                    ", line " + std::to_string(line) + ": " + std::string(what));
}

bool IsClosingLine(std::string_view firstField) {
    return firstField.size() >= 4 && firstField.find_first_not_of('9') == std::string_view::npos;
}

// Folds an angle in degrees into (-180, 180].
double FoldDegrees(double deg) {
    double r = std::remainder(deg, 360.0); // [-180, 180]
    return r <= -180.0 ? r + 360.0 : r;
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

} // namespace

void TWmmModel::LoadCof(const std::filesystem::path& path) {
    ReadCof(ReadFileBytes(path), path);
}

void TWmmModel::ReadCof(std::string_view text, const std::filesystem::path& fileName) {
    TWmmModel m; // filled completely before it replaces this model
    std::array<std::array<bool, kMaxDegree + 1>, kMaxDegree + 1> seen{};
    bool haveHeader = false;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (line.find('\0') != std::string_view::npos) BadCof(fileName, lineNo, "binary data");
        std::vector<std::string_view> f = SplitBlanks(line);
        if (f.empty()) continue;
        if (!haveHeader) {
            // "    2025.0            WMM-2025        11/13/2024"
            //      ^epoch            ^name           ^release date (not used)
            if (f.size() < 2 || !ParseReal(f[0], m.Epoch_))
                BadCof(fileName, lineNo, "expected the epoch and the model name");
            if (m.Epoch_ < 1900.0 || m.Epoch_ > 2200.0)
                BadCof(fileName, lineNo, "epoch out of range");
            m.ModelName_ = std::string(f[1]);
            haveHeader = true;
            continue;
        }
        if (IsClosingLine(f[0])) break;
        // "  1  1   -1410.8    4545.4        9.7      -21.5"
        //    ^n ^m  ^g         ^h            ^gdot    ^hdot
        if (f.size() != 6) BadCof(fileName, lineNo, "expected n m g h gdot hdot");
        int n = 0, mm = 0;
        double g = 0, h = 0, gd = 0, hd = 0;
        if (!ParseInt(f[0], n) || !ParseInt(f[1], mm) || !ParseReal(f[2], g) ||
            !ParseReal(f[3], h) || !ParseReal(f[4], gd) || !ParseReal(f[5], hd))
            BadCof(fileName, lineNo, "not a number");
        if (n < 1 || n > kMaxDegree || mm < 0 || mm > n)
            BadCof(fileName, lineNo, "degree or order out of range");
        if (seen[n][mm]) BadCof(fileName, lineNo, "coefficient given twice");
        seen[n][mm] = true;
        m.G_[n][mm] = g;
        m.H_[n][mm] = h;
        m.GDot_[n][mm] = gd;
        m.HDot_[n][mm] = hd;
        m.MaxDegree_ = std::max(m.MaxDegree_, n);
    }
    if (!haveHeader) BadCof(fileName, std::max(lineNo, 1), "empty file");
    if (m.MaxDegree_ == 0) BadCof(fileName, lineNo, "no coefficients");
    for (int n = 1; n <= m.MaxDegree_; ++n)
        for (int mm = 0; mm <= n; ++mm)
            if (!seen[n][mm])
                BadCof(fileName, lineNo,
                       "coefficient n=" + std::to_string(n) + " m=" + std::to_string(mm) +
                           " missing");
    *this = std::move(m);
}

TMagField TWmmModel::Field(double latDeg, double lonDeg, double heightKm,
                           double decimalYear) const {
    if (!IsLoaded()) Raise(kMsgNoMagneticModel);
    if (!(std::fabs(latDeg) <= 90.0) || !std::isfinite(lonDeg) || !std::isfinite(heightKm) ||
        !std::isfinite(decimalYear))
        RaiseRangeCheck();

    // Geodetic to geocentric spherical coordinates.
    const double lat = latDeg * kDegToRadD;
    const double sinLat = std::sin(lat);
    const double cosLat = std::cos(lat);
    const double rc = kWgs84AKm / std::sqrt(1.0 - kWgs84E2 * sinLat * sinLat);
    const double xp = (rc + heightKm) * cosLat;
    const double zp = (rc * (1.0 - kWgs84E2) + heightKm) * sinLat;
    const double r = std::hypot(xp, zp);
    const double x = zp / r; // sin(geocentric latitude) = cos(colatitude)
    const double z = xp / r; // cos(geocentric latitude) = sin(colatitude), >= 0

    // Schmidt semi-normalised associated Legendre functions of cos(colatitude), their
    // derivatives by the colatitude, and for m >= 1 the functions divided by sin(colatitude).
    // The last ones run their own recursion, which never divides, so the east component stays
    // finite at the poles (only m = 1 survives there).
    const int nMax = MaxDegree_;
    double P[kMaxDegree + 1][kMaxDegree + 1] = {};
    double dP[kMaxDegree + 1][kMaxDegree + 1] = {};
    double Ps[kMaxDegree + 1][kMaxDegree + 1] = {};
    P[0][0] = 1.0;
    for (int n = 1; n <= nMax; ++n) {
        if (n == 1) {
            P[1][1] = z;
            dP[1][1] = x;
            Ps[1][1] = 1.0;
        } else {
            const double k = std::sqrt((2.0 * n - 1.0) / (2.0 * n));
            P[n][n] = k * z * P[n - 1][n - 1];
            dP[n][n] = k * (z * dP[n - 1][n - 1] + x * P[n - 1][n - 1]);
            Ps[n][n] = k * z * Ps[n - 1][n - 1];
        }
        for (int m = 0; m < n; ++m) {
            const double den = std::sqrt(static_cast<double>(n * n - m * m));
            const double a = (2.0 * n - 1.0) / den;
            const double b = std::sqrt(static_cast<double>((n - 1) * (n - 1) - m * m)) / den;
            const double p2 = n >= 2 ? P[n - 2][m] : 0.0;
            const double dp2 = n >= 2 ? dP[n - 2][m] : 0.0;
            const double ps2 = n >= 2 ? Ps[n - 2][m] : 0.0;
            P[n][m] = a * x * P[n - 1][m] - b * p2;
            dP[n][m] = a * (x * dP[n - 1][m] - z * P[n - 1][m]) - b * dp2;
            Ps[n][m] = a * x * Ps[n - 1][m] - b * ps2;
        }
    }

    // Spherical harmonic sums: north, east and down components in the geocentric frame.
    const double lon = lonDeg * kDegToRadD;
    const double dt = decimalYear - Epoch_;
    double cosML[kMaxDegree + 1], sinML[kMaxDegree + 1];
    for (int m = 0; m <= nMax; ++m) {
        cosML[m] = std::cos(m * lon);
        sinML[m] = std::sin(m * lon);
    }
    double bx = 0, by = 0, bz = 0;
    const double ratio = kReferenceRadiusKm / r;
    double rr = ratio * ratio; // (a/r)^(n+2), starting at n = 0
    for (int n = 1; n <= nMax; ++n) {
        rr *= ratio;
        double sx = 0, sy = 0, sz = 0;
        for (int m = 0; m <= n; ++m) {
            const double g = G_[n][m] + dt * GDot_[n][m];
            const double h = H_[n][m] + dt * HDot_[n][m];
            const double c = g * cosML[m] + h * sinML[m];
            sx += c * dP[n][m];
            sy += m * (g * sinML[m] - h * cosML[m]) * Ps[n][m];
            sz -= (n + 1) * c * P[n][m];
        }
        bx += rr * sx;
        by += rr * sy;
        bz += rr * sz;
    }

    // Back into the geodetic frame: a rotation about the east axis by the difference of the
    // geocentric and the geodetic latitude.
    const double psi = std::atan2(zp, xp) - lat;
    const double cp = std::cos(psi), sp = std::sin(psi);
    TMagField f;
    f.X = bx * cp - bz * sp;
    f.Y = by;
    f.Z = bx * sp + bz * cp;
    f.H = std::hypot(f.X, f.Y);
    f.F = std::hypot(f.H, f.Z);
    f.Decl = std::atan2(f.Y, f.X) * kRadToDegD;
    f.Incl = std::atan2(f.Z, f.H) * kRadToDegD;
    if (latDeg > kGridVarLatDeg)
        f.GridVar = FoldDegrees(f.Decl - lonDeg);
    else if (latDeg < -kGridVarLatDeg)
        f.GridVar = FoldDegrees(f.Decl + lonDeg);
    else
        f.GridVar = std::numeric_limits<double>::quiet_NaN();
    return f;
}

double DecimalYear(int year, int month, int day) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) RaiseRangeCheck();
    const bool leap = IsLeapYear(year);
    const int monthDays = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day < 1 || day > monthDays) RaiseRangeCheck();
    int dayOfYear = day - 1;
    for (int i = 0; i < month - 1; ++i) dayOfYear += kDays[i] + (i == 1 && leap ? 1 : 0);
    return year + dayOfYear / (leap ? 366.0 : 365.0);
}

std::int16_t DeclinationToGridValue(double declDeg) {
    const double v = std::round(declDeg * TMagDecGrid::kHalfTurn / 180.0);
    if (!(v >= -32768.0)) return -32768; // also NaN
    if (v > 32767.0) return 32767;
    return static_cast<std::int16_t>(v);
}

std::string BuildMagDecFile(const TWmmModel& model, double decimalYear) {
    std::string header = "Kestrun magnetic declination grid\r\nModel " + model.ModelName() +
                         ", epoch " + FloatToFixed(model.Epoch(), 1) + "\r\nDate " +
                         FloatToFixed(decimalYear, 4) + "\r\n";
    header.resize(TMagDecGrid::kHeaderBytes, '\0');
    std::string bytes = header;
    bytes.reserve(TMagDecGrid::kHeaderBytes + 2 * TMagDecGrid::kValueCount);
    for (int lon = 0; lon < TMagDecGrid::kLonCount; ++lon) {
        for (int lat = -90; lat <= 90; ++lat) {
            const auto v = static_cast<std::uint16_t>(
                DeclinationToGridValue(model.Declination(lat, lon, 0.0, decimalYear)));
            bytes.push_back(static_cast<char>(v & 0xFF));
            bytes.push_back(static_cast<char>(v >> 8));
        }
    }
    return bytes;
}

} // namespace kestrun
