#include "plan/rsbnlist.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "base/error.h"
#include "base/numconv.h"
#include "base/textutil.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "plan/fltpln.h"

namespace kestrun {

namespace {

// The first letter of a hemisphere text, upper-cased; an empty text has none.
char HemisphereLetter(const std::string& hemisphere) {
    if (hemisphere.empty()) RaiseRangeCheck();
    return UpperAscii(hemisphere.front());
}

// Refuses an angle that no position has: a hemisphere letter of the other axis or none of the
// four, or a magnitude beyond the pole or beyond 180 degrees (the .cfg form writes western
// longitudes as negative degrees under the letter E), or one that is not finite.
void CheckAngle(bool latitude, const std::string& hemisphere, long double radians,
                const std::string& degText, const std::string& minText) {
    if (!IsHemisphereAngle(latitude, HemisphereLetter(hemisphere), std::fabs(radians)))
        RaiseBadAngle(latitude, hemisphere + degText + "*" + minText);
}

} // namespace

bool TRSBNList::SameRecords(const TRSBNList& other) const {
    auto fields = [](const TRSBNRec& r) {
        return std::tie(r.Number, r.Name, r.Ident, r.Extra, r.LatHemisphere, r.LatDegrees,
                        r.LatMinutes, r.LonHemisphere, r.LonDegrees, r.LonMinutes);
    };
    return std::equal(Records.begin(), Records.end(), other.Records.begin(), other.Records.end(),
                      [&](const TRSBNRec& x, const TRSBNRec& y) { return fields(x) == fields(y); });
}

TRSBNRec::TRSBNRec(std::string_view number, std::string_view name, std::string_view ident,
                   std::string_view extra, std::string_view latHemisphere,
                   std::string_view latDegrees, std::string_view latMinutes,
                   std::string_view lonHemisphere, std::string_view lonDegrees,
                   std::string_view lonMinutes)
    : Number(number), Name(name), Ident(ident), Extra(extra), LatHemisphere(latHemisphere),
      LatDegrees(latDegrees), LatMinutes(latMinutes), LonHemisphere(lonHemisphere),
      LonDegrees(lonDegrees), LonMinutes(lonMinutes) {
    long double lat = DegMinTextsToRad(LatDegrees, LatMinutes);
    CheckAngle(true, LatHemisphere, lat, LatDegrees, LatMinutes);
    if (HemisphereLetter(LatHemisphere) == 'S') lat = -lat;
    long double lon = DegMinTextsToRad(LonDegrees, LonMinutes);
    CheckAngle(false, LonHemisphere, lon, LonDegrees, LonMinutes);
    if (HemisphereLetter(LonHemisphere) == 'W') lon = k2Pi - lon;
    // Not folded any further: southern latitudes stay negative, and so does a negative
    // degrees text; the distance and course functions take angles of any sign.
    Position.Lat = lat;
    Position.Lon = lon;
}

TRSBNRec& TRSBNList::Add(std::string_view number, std::string_view name, std::string_view ident,
                         std::string_view extra, std::string_view latHemisphere,
                         std::string_view latDegrees, std::string_view latMinutes,
                         std::string_view lonHemisphere, std::string_view lonDegrees,
                         std::string_view lonMinutes) {
    // Built in place at the end: when the constructor raises, emplace_back leaves the list as
    // it was, so a record that fails to convert is never in it.
    return Records.emplace_back(number, name, ident, extra, latHemisphere, latDegrees, latMinutes,
                                lonHemisphere, lonDegrees, lonMinutes);
}

void TRSBNList::AnnotateBeacons(const TWayPoint& legStart, const TWayPoint& legEnd) {
    const TBeaconIndex& index = Index();
    const TVector3 start = UnitVector(legStart.Pos), end = UnitVector(legEnd.Pos);
    for (std::size_t j = 0; j < Records.size(); ++j) {
        TRSBNRec& r = Records[j];
        const TVector3 u = index.UnitVectorOf(static_cast<int>(j));
        r.Annotated = true;
        // The central angle is symmetric: the distance to the end serves the test and the
        // annotation alike.
        const double toEnd = DistanceKmOf(end, u);
        if (DistanceKmOf(start, u) < kNearPointKm)
            r.LegNearness = rmAzimuthFrom;
        else if (toEnd < kNearPointKm)
            r.LegNearness = rmAzimuthTo;
        else
            r.LegNearness = rmSRP;
        r.LegDistance = toEnd;
    }
}

void TRSBNList::ClearBeaconAnnotations() {
    for (TRSBNRec& r : Records) r.Annotated = false;
}

const TBeaconIndex& TRSBNList::Index() const {
    const std::vector<TGeoPoint>& indexed = Index_.Positions();
    bool current = indexed.size() == Records.size();
    for (std::size_t j = 0; current && j < Records.size(); ++j)
        current = IsSamePoint(indexed[j], Records[j].Position);
    if (!current) Reindex();
    return Index_;
}

void TRSBNList::Reindex() const {
    std::vector<TGeoPoint> positions;
    positions.reserve(Records.size());
    for (const TRSBNRec& r : Records) positions.push_back(r.Position);
    // Made aside and then moved in: a failed build leaves the old index, which the next use
    // finds out of date.
    Index_ = TBeaconIndex(std::move(positions));
}

} // namespace kestrun
