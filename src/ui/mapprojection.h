// The map's projection, made by PROJ on the plan's sphere (radius 6378137 m): a Lambert conformal
// conic with its two standard parallels inside the latitudes of what the map must show, as
// aeronautical charts use; Mercator, the conic's limit, where those latitudes lie about evenly
// on both sides of the equator; and a stereographic projection centred on what the map shows
// where that comes near a pole, as polar charts use. All three are conformal: courses keep their
// angles on the map.
#pragma once

#include <string>
#include <vector>

#include "math/mapgeom.h"

struct pj_ctx;
struct PJconsts;

namespace kestrun {

enum class TMapProjectionKind { Conic, Mercator, Stereographic };

/// What a projection is, degrees. Lat1Deg and Lat2Deg are the standard parallels of the conic
/// (Mercator: Lat1Deg its standard parallel; stereographic: unused); Lat0Deg and the domain's
/// CentralLonDeg the projection's origin; the domain what the map draws.
struct TMapProjectionParams {
    TMapProjectionKind Kind = TMapProjectionKind::Conic;
    double Lat0Deg = 0;
    double Lat1Deg = 0;
    double Lat2Deg = 0;
    TMapDomain Domain;

    /// The PROJ definition ("+proj=lcc +lat_1=... ").
    std::string Definition() const;
    bool operator==(const TMapProjectionParams& o) const {
        return Definition() == o.Definition() && Domain.LatMinDeg == o.Domain.LatMinDeg &&
               Domain.LatMaxDeg == o.Domain.LatMaxDeg;
    }
};

/// The projection for a map that must show the given places (a route densified along its great
/// circles, or the beacons when there is no route; none: the northern mid-latitudes).
///
/// The central meridian lies halfway across the longitudes of the places, measured away from
/// the widest gap between them, so that the seam runs through that gap: a route across the
/// 180th meridian draws in one piece. A place within 15 degrees of a pole makes it a
/// stereographic projection centred on the places' mean direction. Otherwise the standard
/// parallels lie one sixth of the places' latitude span inside its ends; when they lie about
/// evenly on both sides of the equator (their sum below 2 degrees), Mercator with the smaller
/// one as its standard parallel. The domain leaves out what a projection cannot show or would
/// swell beyond use: beyond 60 degrees on the far side of the equator for a conic, beyond 80
/// degrees for Mercator, beyond 30 degrees for a stereographic projection.
TMapProjectionParams ChooseMapProjection(const std::vector<TLatLonDeg>& places);

/// A PROJ projection, forward only. Not copyable; one per map.
class TMapProjection {
public:
    /// Raises the PROJ error text when PROJ refuses the definition.
    explicit TMapProjection(const TMapProjectionParams& params);
    ~TMapProjection();
    TMapProjection(const TMapProjection&) = delete;
    TMapProjection& operator=(const TMapProjection&) = delete;

    const TMapProjectionParams& Params() const { return Params_; }

    /// Projects domain points in place: X and Y become easting and northing in metres. A point
    /// the projection cannot take becomes infinite; returns false if there was any.
    bool Forward(std::vector<TDomainPoint>& points) const;
    /// One domain point; false (x and y unchanged) where the projection cannot take it.
    bool Forward(TDomainPoint p, double& x, double& y) const;
    /// A geographic position (degrees) as Forward of its domain point; false where it lies
    /// outside the domain's latitudes or the projection cannot take it.
    bool Forward(const TLatLonDeg& p, double& x, double& y) const;
    /// The geographic position (degrees, longitude in [-180, 180)) of a projected point; false
    /// (p unchanged) where no position projects there.
    bool Inverse(double x, double y, TLatLonDeg& p) const;

private:
    TMapProjectionParams Params_;
    pj_ctx* Context_ = nullptr;
    PJconsts* Proj_ = nullptr;
};

} // namespace kestrun
