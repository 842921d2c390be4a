#include "ui/mapprojection.h"

#include <algorithm>
#include <cmath>
#include <proj.h>

#include "base/error.h"
#include "base/numconv.h"
#include "math/angles.h"

namespace kestrun {

namespace {

constexpr double kDegToRadD = static_cast<double>(kDegToRad);
constexpr double kPolarLatDeg = 75;

std::string Deg(double value) {
    return FloatToFixed(value, 6);
}

// Halfway across the longitudes, away from their widest gap.
double CentralLongitude(const std::vector<TLatLonDeg>& places) {
    std::vector<double> lons;
    lons.reserve(places.size());
    for (const TLatLonDeg& p : places) lons.push_back(p.LonDeg);
    std::sort(lons.begin(), lons.end());
    double gap = lons.front() + 360 - lons.back(), start = lons.front();
    for (std::size_t i = 1; i < lons.size(); ++i)
        if (lons[i] - lons[i - 1] > gap) {
            gap = lons[i] - lons[i - 1];
            start = lons[i];
        }
    const double centre = start + (360 - gap) / 2;
    return centre >= 180 ? centre - 360 : centre;
}

} // namespace

std::string TMapProjectionParams::Definition() const {
    const std::string origin = " +lon_0=" + Deg(Domain.CentralLonDeg) +
                               " +R=" + Deg(kEarthRadiusKm * 1000) + " +over +no_defs";
    switch (Kind) {
    case TMapProjectionKind::Conic:
        return "+proj=lcc +lat_1=" + Deg(Lat1Deg) + " +lat_2=" + Deg(Lat2Deg) +
               " +lat_0=" + Deg(Lat0Deg) + origin;
    case TMapProjectionKind::Mercator:
        return "+proj=merc +lat_ts=" + Deg(Lat1Deg) + origin;
    case TMapProjectionKind::Stereographic:
        return "+proj=stere +lat_0=" + Deg(Lat0Deg) + origin;
    }
    return {};
}

TMapProjectionParams ChooseMapProjection(const std::vector<TLatLonDeg>& places) {
    TMapProjectionParams p;
    if (places.empty()) {
        p.Lat0Deg = 45;
        p.Lat1Deg = 35;
        p.Lat2Deg = 55;
        p.Domain = {0, -60, 90};
        return p;
    }
    double latMin = 90, latMax = -90, x = 0, y = 0, z = 0;
    for (const TLatLonDeg& q : places) {
        latMin = std::min(latMin, q.LatDeg);
        latMax = std::max(latMax, q.LatDeg);
        const double lat = q.LatDeg * kDegToRadD, lon = q.LonDeg * kDegToRadD;
        x += std::cos(lat) * std::cos(lon);
        y += std::cos(lat) * std::sin(lon);
        z += std::sin(lat);
    }
    p.Domain.CentralLonDeg = CentralLongitude(places);
    if (latMax >= kPolarLatDeg || latMin <= -kPolarLatDeg) {
        // Centred on the mean direction; places spread evenly round the globe have none, and
        // the pole the places come near serves.
        const double h = std::hypot(x, y), r = std::hypot(h, z);
        const bool north = r > 1e-9 ? z >= 0 : latMax >= kPolarLatDeg;
        p.Kind = TMapProjectionKind::Stereographic;
        p.Lat0Deg = r > 1e-9 ? std::atan2(z, h) / kDegToRadD : north ? 90 : -90;
        if (h > 1e-9 * r) p.Domain.CentralLonDeg = std::atan2(y, x) / kDegToRadD;
        p.Domain.LatMinDeg = north ? -30 : -90;
        p.Domain.LatMaxDeg = north ? 90 : 30;
        return p;
    }
    const double span = latMax - latMin;
    p.Lat1Deg = latMin + span / 6;
    p.Lat2Deg = latMax - span / 6;
    p.Lat0Deg = (p.Lat1Deg + p.Lat2Deg) / 2;
    if (std::fabs(p.Lat1Deg + p.Lat2Deg) < 2) {
        // The cone flattens into a cylinder; its standard parallels +-Lat1Deg stay inside the
        // span, which holds the equator.
        p.Kind = TMapProjectionKind::Mercator;
        p.Lat1Deg = std::min(std::fabs(p.Lat1Deg), std::fabs(p.Lat2Deg));
        p.Lat2Deg = -p.Lat1Deg;
        p.Lat0Deg = 0;
        p.Domain.LatMinDeg = -80;
        p.Domain.LatMaxDeg = 80;
        return p;
    }
    // The cone's apex is the pole on the standard parallels' side; the other pole lies at
    // infinity.
    const bool north = p.Lat1Deg + p.Lat2Deg > 0;
    p.Domain.LatMinDeg = north ? -60 : -90;
    p.Domain.LatMaxDeg = north ? 90 : 60;
    return p;
}

TMapProjection::TMapProjection(const TMapProjectionParams& params) : Params_(params) {
    Context_ = proj_context_create();
    proj_log_level(Context_, PJ_LOG_NONE);
    Proj_ = proj_create(Context_, Params_.Definition().c_str());
    if (!Proj_) {
        std::string message = proj_context_errno_string(Context_, proj_context_errno(Context_));
        proj_context_destroy(Context_);
        Raise(message + ": " + Params_.Definition());
    }
}

TMapProjection::~TMapProjection() {
    proj_destroy(Proj_);
    proj_context_destroy(Context_);
}

bool TMapProjection::Forward(std::vector<TDomainPoint>& points) const {
    if (points.empty()) return true;
    const double lon0 = Params_.Domain.CentralLonDeg;
    for (TDomainPoint& p : points) {
        p.X = (p.X + lon0) * kDegToRadD;
        p.Y *= kDegToRadD;
    }
    const std::size_t stride = sizeof(TDomainPoint);
    proj_trans_generic(Proj_, PJ_FWD, &points[0].X, stride, points.size(), &points[0].Y, stride,
                       points.size(), nullptr, 0, 0, nullptr, 0, 0);
    bool all = true;
    for (TDomainPoint& p : points)
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) {
            p.X = p.Y = HUGE_VAL;
            all = false;
        }
    return all;
}

bool TMapProjection::Forward(TDomainPoint p, double& x, double& y) const {
    const PJ_COORD c = proj_trans(
        Proj_, PJ_FWD,
        proj_coord((p.X + Params_.Domain.CentralLonDeg) * kDegToRadD, p.Y * kDegToRadD, 0, 0));
    if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
    x = c.xy.x;
    y = c.xy.y;
    return true;
}

bool TMapProjection::Inverse(double x, double y, TLatLonDeg& p) const {
    const PJ_COORD c = proj_trans(Proj_, PJ_INV, proj_coord(x, y, 0, 0));
    if (!std::isfinite(c.lp.lam) || !std::isfinite(c.lp.phi)) return false;
    p.LatDeg = c.lp.phi / kDegToRadD;
    p.LonDeg = DomainX(TMapDomain{}, c.lp.lam / kDegToRadD);
    return true;
}

bool TMapProjection::Forward(const TLatLonDeg& p, double& x, double& y) const {
    if (p.LatDeg < Params_.Domain.LatMinDeg || p.LatDeg > Params_.Domain.LatMaxDeg) return false;
    return Forward(TDomainPoint{DomainX(Params_.Domain, p.LonDeg), p.LatDeg}, x, y);
}

} // namespace kestrun
