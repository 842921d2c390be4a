#include "math/mapgeom.h"

#include <algorithm>
#include <cmath>

#include "math/angles.h"
#include "math/mathem.h"
#include "math/matrix.h"

namespace kestrun {

namespace {

TGeoPoint FromCartesian(double x, double y, double z) {
    TVector3 v = TVector3::CreateCartesian(x, y, z);
    TGeoPoint p;
    p.Lat = v.GetLat();
    p.Lon = v.GetLon();
    return p;
}

struct TBox {
    double XMin, XMax, YMin, YMax;
};

// Liang-Barsky: the parameters [t0, t1] of the part of the segment a + t (b - a), t in [0, 1],
// that lies in the box; false when no part of positive length does.
bool ClipSegment(TDomainPoint a, TDomainPoint b, const TBox& box, double& t0, double& t1) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.X - box.XMin, box.XMax - a.X, a.Y - box.YMin, box.YMax - a.Y};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 < t1;
}

TDomainPoint Lerp(TDomainPoint a, TDomainPoint b, double t) {
    // The ends themselves, not a rounded recomputation of them, so that the pieces of a line
    // join exactly where it was not cut.
    if (t == 0) return a;
    if (t == 1) return b;
    return {a.X + (b.X - a.X) * t, a.Y + (b.Y - a.Y) * t};
}

// One side of the box for Sutherland-Hodgman: the points with Coord (0: X, 1: Y) on the inner
// side of Limit.
struct TEdge {
    int Coord;
    double Limit;
    bool KeepAbove;
    bool Inside(TDomainPoint p) const {
        const double v = Coord == 0 ? p.X : p.Y;
        return KeepAbove ? v >= Limit : v <= Limit;
    }
    TDomainPoint Cross(TDomainPoint a, TDomainPoint b) const {
        if (Coord == 0) {
            const double t = (Limit - a.X) / (b.X - a.X);
            return {Limit, a.Y + (b.Y - a.Y) * t};
        }
        const double t = (Limit - a.Y) / (b.Y - a.Y);
        return {a.X + (b.X - a.X) * t, Limit};
    }
};

void ClipPolygon(TDomainLine& poly, const TEdge& edge, TDomainLine& scratch) {
    scratch.clear();
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TDomainPoint cur = poly[i], prev = poly[(i + n - 1) % n];
        const bool curIn = edge.Inside(cur), prevIn = edge.Inside(prev);
        if (curIn) {
            if (!prevIn) scratch.push_back(edge.Cross(prev, cur));
            scratch.push_back(cur);
        } else if (prevIn) {
            scratch.push_back(edge.Cross(prev, cur));
        }
    }
    poly.swap(scratch);
}

void AppendDensified(const TDomainLine& ring, double maxStepDeg, TDomainLine& out) {
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TDomainPoint a = ring[i], b = ring[(i + 1) % n];
        out.push_back(a);
        const double span = std::max(std::fabs(b.X - a.X), std::fabs(b.Y - a.Y));
        const int steps = static_cast<int>(std::ceil(span / maxStepDeg));
        for (int k = 1; k < steps; ++k) out.push_back(Lerp(a, b, double(k) / steps));
    }
}

} // namespace

TGeoPoint DestinationPoint(const TGeoPoint& from, double courseRad, double distKm) {
    const double lat = static_cast<double>(from.Lat), lon = static_cast<double>(from.Lon);
    const double sinLat = std::sin(lat), cosLat = std::cos(lat);
    const double sinLon = std::sin(lon), cosLon = std::cos(lon);
    // u: the start; north and east: the unit vectors along its meridian and parallel, which
    // keep their direction when the start lies on a pole.
    const double u[3] = {cosLat * cosLon, cosLat * sinLon, sinLat};
    const double north[3] = {-sinLat * cosLon, -sinLat * sinLon, cosLat};
    const double east[3] = {-sinLon, cosLon, 0};
    const double delta = distKm / kEarthRadiusKm;
    const double c = std::cos(courseRad), s = std::sin(courseRad);
    const double cd = std::cos(delta), sd = std::sin(delta);
    double p[3];
    for (int i = 0; i < 3; ++i) p[i] = u[i] * cd + (north[i] * c + east[i] * s) * sd;
    return FromCartesian(p[0], p[1], p[2]);
}

std::vector<TGeoPoint> DensifyGreatCircle(const TGeoPoint& a, const TGeoPoint& b,
                                          double maxStepKm) {
    TVector3 ua = UnitVector(a), ub = UnitVector(b);
    const double angle = CentralAngleOf(ua, ub);
    const double sinAngle = std::sin(angle);
    std::vector<TGeoPoint> points{a};
    if (angle > 0 && sinAngle > 1e-12) {
        const int steps = static_cast<int>(std::ceil(angle * kEarthRadiusKm / maxStepKm));
        const double ax = ua.GetCoord(0), ay = ua.GetCoord(1), az = ua.GetCoord(2);
        const double bx = ub.GetCoord(0), by = ub.GetCoord(1), bz = ub.GetCoord(2);
        for (int k = 1; k < steps; ++k) {
            // Spherical interpolation: equal angles along the great circle.
            const double t = double(k) / steps;
            const double fa = std::sin((1 - t) * angle) / sinAngle;
            const double fb = std::sin(t * angle) / sinAngle;
            points.push_back(
                FromCartesian(fa * ax + fb * bx, fa * ay + fb * by, fa * az + fb * bz));
        }
    }
    points.push_back(b);
    return points;
}

std::vector<TGeoPoint> GeodesicCircle(const TGeoPoint& center, double radiusKm, int n) {
    std::vector<TGeoPoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (int k = 0; k < n; ++k)
        points.push_back(DestinationPoint(center, static_cast<double>(k2Pi) * k / n, radiusKm));
    points.push_back(points.front());
    return points;
}

double DomainX(const TMapDomain& domain, double lonDeg) {
    return WrapLonDeg(lonDeg - domain.CentralLonDeg);
}

void ClipLineToDomain(const std::vector<TLatLonDeg>& line, const TMapDomain& domain,
                      std::vector<TDomainLine>& out) {
    const TBox box{-180, 180, domain.LatMinDeg, domain.LatMaxDeg};
    bool open = false; // the last piece of `out` ends where this line is
    double xa = line.empty() ? 0 : DomainX(domain, line[0].LonDeg);
    for (std::size_t i = 1; i < line.size(); ++i) {
        const TDomainPoint a{xa, line[i - 1].LatDeg};
        const TDomainPoint b{xa + WrapLonDeg(line[i].LonDeg - line[i - 1].LonDeg), line[i].LatDeg};
        // The step itself, and where it crosses the seam, its part on the other side.
        struct TPart {
            double T0, T1, Shift;
        } parts[2];
        int count = 0;
        const double shifts[2] = {0.0, b.X > 180 ? -360.0 : b.X < -180 ? 360.0 : 0.0};
        for (int s = 0; s < (shifts[1] != 0 ? 2 : 1); ++s) {
            const double shift = shifts[s];
            double t0, t1;
            if (ClipSegment({a.X + shift, a.Y}, {b.X + shift, b.Y}, box, t0, t1))
                parts[count++] = {t0, t1, shift};
        }
        if (count == 2 && parts[1].T0 < parts[0].T0) std::swap(parts[0], parts[1]);
        for (int k = 0; k < count; ++k) {
            const TDomainPoint sa{a.X + parts[k].Shift, a.Y}, sb{b.X + parts[k].Shift, b.Y};
            const TDomainPoint p0 = Lerp(sa, sb, parts[k].T0), p1 = Lerp(sa, sb, parts[k].T1);
            if (open && std::fabs(out.back().back().X - p0.X) < 1e-9 &&
                std::fabs(out.back().back().Y - p0.Y) < 1e-9)
                out.back().push_back(p1);
            else
                out.push_back({p0, p1});
            open = parts[k].T1 == 1;
        }
        if (count == 0) open = false;
        xa = b.X >= 180 ? b.X - 360 : b.X < -180 ? b.X + 360 : b.X;
    }
}

void ClipRingToDomain(const std::vector<TLatLonDeg>& ring, const TMapDomain& domain,
                      double maxStepDeg, std::vector<TDomainLine>& out) {
    std::size_t n = ring.size();
    // A closed ring repeats its first point at the end.
    if (n > 1 && ring[n - 1].LatDeg == ring[0].LatDeg && ring[n - 1].LonDeg == ring[0].LonDeg) --n;
    if (n < 3) return;
    // The ring in the plane, its longitudes unwrapped step by step: a ring across the seam
    // reaches beyond 180.
    TDomainLine plane;
    plane.reserve(n + 3);
    double x = DomainX(domain, ring[0].LonDeg), meanLat = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) x += WrapLonDeg(ring[i].LonDeg - ring[i - 1].LonDeg);
        plane.push_back({x, ring[i].LatDeg});
        meanLat += ring[i].LatDeg / double(n);
    }
    const double xEnd = x + WrapLonDeg(ring[0].LonDeg - ring[n - 1].LonDeg);
    if (std::fabs(xEnd - plane[0].X) > 180) {
        // Round a pole: the area between the ring and the pole, closed along the pole.
        const double pole = meanLat < 0 ? -90 : 90;
        plane.push_back({xEnd, ring[0].LatDeg});
        plane.push_back({xEnd, pole});
        plane.push_back({plane[0].X, pole});
    }
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    for (const TDomainPoint& p : plane) {
        xMin = std::min(xMin, p.X);
        xMax = std::max(xMax, p.X);
        yMin = std::min(yMin, p.Y);
        yMax = std::max(yMax, p.Y);
    }
    if (yMax <= domain.LatMinDeg || yMin >= domain.LatMaxDeg) return;
    const TEdge edges[4] = {{0, -180, true},
                            {0, 180, false},
                            {1, domain.LatMinDeg, true},
                            {1, domain.LatMaxDeg, false}};
    TDomainLine poly, scratch;
    // Every whole turn of the plane that overlaps the map: beyond the seam the ring lies on
    // the map's other side.
    for (double shift = -360 * std::ceil((xMax - 180) / 360); xMin + shift < 180; shift += 360) {
        if (xMax + shift <= -180) continue;
        poly = plane;
        for (TDomainPoint& p : poly) p.X += shift;
        const bool inside = xMin + shift >= -180 && xMax + shift <= 180 &&
                            yMin >= domain.LatMinDeg && yMax <= domain.LatMaxDeg;
        if (!inside)
            for (const TEdge& e : edges) {
                ClipPolygon(poly, e, scratch);
                if (poly.size() < 3) break;
            }
        if (poly.size() < 3) continue;
        out.emplace_back();
        AppendDensified(poly, maxStepDeg, out.back());
    }
}

} // namespace kestrun
