// The World Magnetic Model: its coefficient file (.COF), the synthesis of the main field at a
// place and date, and the declination grid that the program reads as magdec.bgl.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrun {

/// The main field at one place and date, in the geodetic frame of that place.
struct TMagField {
    double X = 0;       ///< northward component, nT
    double Y = 0;       ///< eastward component, nT
    double Z = 0;       ///< downward component, nT
    double H = 0;       ///< horizontal intensity, nT
    double F = 0;       ///< total intensity, nT
    double Decl = 0;    ///< declination atan2(Y, X), degrees in (-180, 180], positive east
    double Incl = 0;    ///< inclination atan2(Z, H), degrees in [-90, 90], positive down
    double GridVar = 0; ///< grid variation, degrees in (-180, 180]; NaN where |latitude| <= 55
};

/// A spherical-harmonic model of the main field (the World Magnetic Model and models in its
/// coefficient format) up to degree and order 12.
///
/// Positions are geodetic on WGS-84 (a = 6378.137 km, f = 1/298.257223563); the synthesis runs
/// in geocentric spherical coordinates with the reference radius 6371.2 km and turns the result
/// back into the geodetic frame. Coefficients at a date t are g + (t - epoch) * gdot, also
/// outside the model's validity (the caller decides whether to accept such dates).
///
/// At the geographic poles the directions north and east are undefined. The synthesis is
/// written without any division by the cosine of the latitude (the east component uses
/// P_n^m / cos(latitude), computed by its own recursion), so a pole is treated as the limit
/// reached along the given meridian: X points along that meridian towards the pole, Y to the
/// east of it, and the declination at the north pole is the grid variation plus the longitude
/// (at the south pole the grid variation minus the longitude). A declination grid therefore
/// joins its polar rows continuously to the rows beside them, longitude by longitude.
class TWmmModel {
public:
    static constexpr int kMaxDegree = 12;
    static constexpr double kReferenceRadiusKm = 6371.2;
    /// Years of validity after the epoch.
    static constexpr double kValidityYears = 5.0;

    /// Loads a coefficient file. Raises "Cannot open file %s" when the file cannot be read and
    /// "Bad format of magnetic model file %s, line %d: ..." when it is malformed. If an
    /// exception is thrown, the model is unchanged.
    void LoadCof(const std::filesystem::path& path);

    /// The same from the file's bytes; `fileName` only names the file in messages.
    ///
    ///     2025.0            WMM-2025        11/13/2024      header: epoch, name, date
    ///       1  0  -29351.8       0.0       12.0        0.0   n m g h gdot hdot (nT, nT/year)
    ///       ^n ^m  ^g         ^h          ^gdot      ^hdot
    ///     999999999999999999999999999999999999999999999999   end of the coefficients
    ///
    /// Fields are separated by blanks; every (n, m) with 1 <= n <= the highest degree present
    /// and 0 <= m <= n must appear exactly once. The closing line may be missing.
    void ReadCof(std::string_view text, const std::filesystem::path& fileName);

    bool IsLoaded() const { return MaxDegree_ > 0; }
    /// Decimal year of the coefficients.
    double Epoch() const { return Epoch_; }
    const std::string& ModelName() const { return ModelName_; }
    int MaxDegree() const { return MaxDegree_; }
    /// The dates for which the model is published: epoch to epoch + 5 years.
    double ValidFrom() const { return Epoch_; }
    double ValidTo() const { return Epoch_ + kValidityYears; }

    /// The field at geodetic latitude latDeg (-90 .. 90, north positive), longitude lonDeg
    /// (degrees east, any finite value), heightKm above the ellipsoid, at decimalYear.
    /// Raises "Range check error" for a latitude beyond 90 degrees or a non-finite argument,
    /// and "No magnetic model loaded" before a successful load.
    TMagField Field(double latDeg, double lonDeg, double heightKm, double decimalYear) const;

    /// The declination of Field, in degrees, positive east.
    double Declination(double latDeg, double lonDeg, double heightKm, double decimalYear) const {
        return Field(latDeg, lonDeg, heightKm, decimalYear).Decl;
    }

private:
    using TCoefTable = std::array<std::array<double, kMaxDegree + 1>, kMaxDegree + 1>; // [n][m]
    TCoefTable G_{}, H_{}, GDot_{}, HDot_{};
    double Epoch_ = 0;
    std::string ModelName_;
    int MaxDegree_ = 0;
};

/// The decimal year of a calendar day (proleptic Gregorian) at 0 h: 2025-01-01 is 2025.0 and
/// 2025-07-02 is 2025 + 182/365. Raises "Range check error" for a month or day that the year
/// does not have.
double DecimalYear(int year, int month, int day);

/// A declination in degrees as a grid value of magdec.bgl: degrees * 32768 / 180, rounded to
/// the nearest integer (halves away from zero) and clamped to -32768 .. 32767.
std::int16_t DeclinationToGridValue(double declDeg);

/// The bytes of a declination grid file for decimalYear at sea level: a header of 136 bytes
/// (text naming the grid, the model and the date, padded with zero bytes), then 360 x 181
/// signed 16-bit little-endian values, longitude by longitude (0 .. 359 degrees east), each
/// holding the latitudes -90 .. 90 degrees.
std::string BuildMagDecFile(const TWmmModel& model, double decimalYear);

} // namespace kestrun
