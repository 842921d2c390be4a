// The one set of angle constants of the system, and degrees and minutes as radians.
#pragma once

namespace kestrun {

inline constexpr long double kPi = 3.1415926535897932385L;
inline constexpr long double kPi2 = 1.5707963267948966193L; // pi/2
inline constexpr long double k2Pi = 6.283185307179586477L;  // 2*pi
inline constexpr long double kRadToDeg = 57.295779513082320877L;
inline constexpr long double kDegToRad = 0.017453292519943295769L;

/// Degrees and minutes (either of any sign and size) as radians: (degrees + minutes / 60)
/// times kDegToRad, in extended precision.
inline long double DegMinToRad(long double degrees, long double minutes) {
    return (degrees + minutes / 60) * kDegToRad;
}

} // namespace kestrun
