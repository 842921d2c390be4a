#include "ui/mapscene.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "base/numconv.h"
#include "math/mathem.h"
#include "plan/fltpln.h"
#include "plan/gridcells.h"
#include "plan/rsbnlist.h"
#include "ui/qtext.h"

namespace kestrun {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kRouteStepKm = 50; // the route's great circles, densified
constexpr int kReachPoints = 180;   // points of a reach circle
constexpr double kRingStepDeg = 1;  // the longest edge of an area cut to the domain
constexpr double kHitPx = 7;        // how near a click must be to a waypoint or a beacon
constexpr double kLegHitPx = 5;     // ... to a leg's line

bool Shown(QPointF p) {
    return !std::isnan(p.x());
}

double Distance(QPointF a, QPointF b) {
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double len2 = QPointF::dotProduct(d, d);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0) : 0;
    return Distance(p, a + d * t);
}

std::vector<TLatLonDeg> Degrees(const std::vector<TGeoPoint>& points) {
    std::vector<TLatLonDeg> out;
    out.reserve(points.size());
    for (const TGeoPoint& p : points) out.push_back(GeoPointToDegrees(p));
    return out;
}

// The route's legs, each densified along its great circle.
std::vector<std::vector<TLatLonDeg>> RouteLines(const TWayPointList& plan) {
    std::vector<std::vector<TLatLonDeg>> legs;
    for (int i = 0; i + 1 < plan.Count(); ++i)
        legs.push_back(Degrees(DensifyGreatCircle(plan[i].Pos, plan[i + 1].Pos, kRouteStepKm)));
    return legs;
}

bool HasRoute(const TWayPointList& plan) {
    for (int i = 0; i + 1 < plan.Count(); ++i)
        if (!(plan[i].Pos == plan[i + 1].Pos)) return true;
    return false;
}

QString DegreesLabel(double value, char positive, char negative) {
    const long v = std::lround(value);
    QString text = QString::number(std::labs(v)) + QChar(0x00B0);
    if (v != 0 && std::labs(v) != 180) text += QLatin1Char(v > 0 ? positive : negative);
    return text;
}

// The label of a grid line: where it first enters the view through its bottom edge (a
// meridian) or its left edge (a parallel), in pixels; false where it does not.
bool LabelPlace(const QPolygonF& screen, bool meridian, QSizeF size, QPointF& at) {
    for (qsizetype i = 1; i < screen.size(); ++i) {
        const QPointF a = screen[i - 1], b = screen[i];
        if (meridian) {
            const double edge = size.height();
            if ((a.y() - edge) * (b.y() - edge) > 0 || a.y() == b.y()) continue;
            const double x = a.x() + (b.x() - a.x()) * (edge - a.y()) / (b.y() - a.y());
            if (x < 0 || x > size.width()) continue;
            at = QPointF(x, edge);
            return true;
        }
        if (a.x() * b.x() > 0 || a.x() == b.x()) continue;
        const double y = a.y() + (b.y() - a.y()) * (0 - a.x()) / (b.x() - a.x());
        if (y < 0 || y > size.height()) continue;
        at = QPointF(0, y);
        return true;
    }
    return false;
}

// A text with a light halo, readable over land, sea and lines.
void HaloText(QPainter& painter, QPointF at, const QString& text, const QColor& colour) {
    painter.setPen(QColor(255, 255, 255, 220));
    for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
        painter.drawText(at + d, text);
    painter.setPen(colour);
    painter.drawText(at, text);
}

QPen Cosmetic(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
    QPen pen(colour, width, style, Qt::RoundCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

// A beacon's mark centred on c: a circle with a dot. An assigned one is a wide hollow ring,
// which a waypoint on the beacon leaves visible.
void DrawSymbol(QPainter& p, QPointF c, bool assigned) {
    const QColor& colour = assigned ? mapcolours::kAssignedBeacon : mapcolours::kBeacon;
    const double radius = assigned ? 7.5 : 3.2, dot = assigned ? 2 : 1.1;
    p.setPen(QPen(colour, assigned ? 2.6 : 1.4));
    p.setBrush(assigned ? QBrush(Qt::NoBrush) : QBrush(Qt::white));
    p.drawEllipse(c, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(c, dot, dot);
}

// The mark as a small picture, `size` pixels square.
QPixmap Symbol(bool assigned, int size, qreal dpr) {
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSymbol(p, QPointF(size / 2.0, size / 2.0), assigned);
    return pixmap;
}

// A painter on a screen or an image takes the beacons' symbols as small pictures, which is
// quick for thousands; a printer or PDF gets them drawn as shapes.
bool RasterDevice(const QPainter& painter) {
    const int type = painter.device() ? painter.device()->devType() : 0;
    return type == QInternal::Widget || type == QInternal::Image || type == QInternal::Pixmap;
}

} // namespace

TLabelSpace::TLabelSpace(QSizeF size)
    : Cols_(static_cast<int>(size.width()) / kCell + 1),
      Rows_(static_cast<int>(size.height()) / kCell + 1),
      Taken_(static_cast<std::size_t>(Cols_ * Rows_), 0) {}

int TLabelSpace::Covered(const QRectF& rect, bool take, int* labelCells) {
    // Labels that only touch do not cover one another.
    const QRectF r = rect.adjusted(1, 1, -1, -1);
    if (r.right() < 0 || r.bottom() < 0) return -1;
    const int c0 = std::max(0, int(r.left()) / kCell),
              c1 = std::min(Cols_ - 1, int(r.right()) / kCell);
    const int r0 = std::max(0, int(r.top()) / kCell),
              r1 = std::min(Rows_ - 1, int(r.bottom()) / kCell);
    if (c0 > c1 || r0 > r1) return -1;
    int most = 0;
    for (int y = r0; y <= r1; ++y)
        for (int x = c0; x <= c1; ++x) {
            char& cell = Taken_[static_cast<std::size_t>(y * Cols_ + x)];
            most = std::max<int>(most, cell);
            if (labelCells && cell == 2) ++*labelCells;
            if (take) cell = 2;
        }
    return most;
}

bool TLabelSpace::Take(const QRectF& rect, TCover cover) {
    const int covered = Covered(rect, false);
    if (covered < 0 || covered > cover) return false;
    Covered(rect, true);
    return true;
}

void TLabelSpace::TakeLine(const QPolygonF& line) {
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], d = line[i] - a;
        const int steps = static_cast<int>(std::hypot(d.x(), d.y()) / (kCell / 2.0)) + 1;
        for (int k = 0; k <= steps; ++k) {
            const QPointF p = a + d * (double(k) / steps);
            const int x = static_cast<int>(std::floor(p.x())) / kCell;
            const int y = static_cast<int>(std::floor(p.y())) / kCell;
            if (p.x() >= 0 && p.y() >= 0 && x < Cols_ && y < Rows_) {
                char& cell = Taken_[static_cast<std::size_t>(y * Cols_ + x)];
                cell = std::max<char>(cell, 1);
            }
        }
    }
}

bool TLabelSpace::TakeBeside(QPointF anchor, QSizeF size, QPointF gap, QPointF& at, TCover cover) {
    // A few pixels more on the side away from the anchor: two names side by side would read
    // as one.
    constexpr double kPad = 5;
    const double w = size.width(), h = size.height();
    const QPointF corners[4] = {QPointF(gap.x(), gap.y()), QPointF(gap.x(), -gap.y() - h),
                                QPointF(-gap.x() - w, gap.y()),
                                QPointF(-gap.x() - w, -gap.y() - h)};
    auto place = [&](int i) {
        return QRectF(anchor + corners[i] - QPointF(i < 2 ? 0 : kPad, 0), QSizeF(w + kPad, h));
    };
    // Covering anything, the place that covers the fewest labels.
    int best = 0, fewest = INT_MAX;
    for (int i = 0; i < 4; ++i) {
        if (cover != ccAnything) {
            if (!Take(place(i), cover)) continue;
            at = anchor + corners[i];
            return true;
        }
        int cells = 0;
        if (Covered(place(i), false, &cells) >= 0 && cells < fewest) {
            fewest = cells;
            best = i;
        }
    }
    if (cover != ccAnything) return false;
    Covered(place(best), true);
    at = anchor + corners[best];
    return true;
}

QTransform TMapViewport::WorldToScreen() const {
    return QTransform(Scale, 0, 0, -Scale, Size.width() / 2 - Center.x() * Scale,
                      Size.height() / 2 + Center.y() * Scale);
}

QPointF TMapViewport::ToScreen(QPointF world) const {
    return {Size.width() / 2 + (world.x() - Center.x()) * Scale,
            Size.height() / 2 - (world.y() - Center.y()) * Scale};
}

QPointF TMapViewport::ToWorld(QPointF screen) const {
    return {Center.x() + (screen.x() - Size.width() / 2) / Scale,
            Center.y() - (screen.y() - Size.height() / 2) / Scale};
}

QRectF TMapViewport::WorldRect() const {
    const QPointF a = ToWorld(QPointF(0, 0)), b = ToWorld(QPointF(Size.width(), Size.height()));
    return QRectF(QPointF(a.x(), b.y()), QPointF(b.x(), a.y()));
}

void TMapScene::TBounds::Add(QPointF p) {
    X0 = std::min(X0, p.x());
    X1 = std::max(X1, p.x());
    Y0 = std::min(Y0, p.y());
    Y1 = std::max(Y1, p.y());
}

void TMapScene::TBounds::Add(const QRectF& r) {
    Add(r.topLeft());
    Add(r.bottomRight());
}

TMapScene::TMapScene(const TWayPointList& plan, const TRSBNList& beacons)
    : Plan_(plan), Beacons_(beacons) {
    Update();
}

TMapScene::~TMapScene() = default;

void TMapScene::SetBaseMap(std::shared_ptr<const TBaseMap> baseMap) {
    BaseMap_ = std::move(baseMap);
    ProjectBaseMap();
}

std::vector<TLatLonDeg>
TMapScene::PlacesToShow(const std::vector<std::vector<TLatLonDeg>>& routeLines) const {
    std::vector<TLatLonDeg> places;
    if (HasRoute(Plan_)) {
        for (const auto& leg : routeLines) places.insert(places.end(), leg.begin(), leg.end());
    } else {
        for (const TRSBNRec& b : Beacons_.Records) places.push_back(GeoPointToDegrees(b.Position));
    }
    return places;
}

bool TMapScene::Update() {
    const std::vector<std::vector<TLatLonDeg>> routeLines = RouteLines(Plan_);
    const TMapProjectionParams params = ChooseMapProjection(PlacesToShow(routeLines));
    const bool changed = !Projection_ || !(Projection_->Params() == params);
    if (changed) {
        Projection_ = std::make_unique<TMapProjection>(params);
        Graticules_.clear();
        ProjectBaseMap();
    }
    ProjectRoute(routeLines);
    ProjectBeacons();
    ProjectCurrentLeg();
    return changed;
}

void TMapScene::SetCurrentRow(int row) {
    CurrentRow_ = row;
    ProjectCurrentLeg();
}

bool TMapScene::ToWorld(const TGeoPoint& p, QPointF& world) const {
    double x, y;
    if (!Projection_->Forward(GeoPointToDegrees(p), x, y)) return false;
    world = QPointF(x, y);
    return true;
}

QPolygonF TMapScene::Projected(TDomainLine& line) const {
    Projection_->Forward(line);
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(line.size()));
    for (const TDomainPoint& p : line)
        if (p.X != HUGE_VAL) poly.append(QPointF(p.X, p.Y));
    return poly;
}

void TMapScene::ProjectLines(const std::vector<std::vector<TLatLonDeg>>& lines,
                             std::vector<TPiece>& out) const {
    std::vector<TDomainLine> pieces;
    for (const auto& line : lines) ClipLineToDomain(line, Projection_->Params().Domain, pieces);
    for (TDomainLine& piece : pieces) {
        QPolygonF poly = Projected(piece);
        if (poly.size() >= 2) out.push_back({poly, poly.boundingRect()});
    }
}

void TMapScene::ProjectBaseMap() {
    Base_ = {};
    Base_.LandPath.setFillRule(Qt::OddEvenFill);
    Simplified_.clear();
    const TMapDomain& domain = Projection_->Params().Domain;

    // Everything the domain holds: its corners and edges at every 5 degrees.
    std::vector<TDomainPoint> frame;
    for (double x = -180; x <= 180; x += 5)
        for (double y = domain.LatMinDeg; y <= domain.LatMaxDeg; y += 5) frame.push_back({x, y});
    Projection_->Forward(frame);
    DomainBounds_ = {};
    for (const TDomainPoint& p : frame)
        if (p.X != HUGE_VAL) DomainBounds_.Add(QPointF(p.X, p.Y));

    if (!BaseMap_) return;
    std::vector<TDomainLine> rings;
    for (const auto& ring : BaseMap_->LandRings)
        ClipRingToDomain(ring, domain, kRingStepDeg, rings);
    for (TDomainLine& ring : rings) {
        const QPolygonF poly = Projected(ring);
        if (poly.size() < 3) continue;
        Base_.LandPath.addPolygon(poly);
        Base_.Land.push_back({poly, poly.boundingRect()});
    }
    ProjectLines(BaseMap_->Coastlines, Base_.Coast);
    ProjectLines(BaseMap_->Borders, Base_.Borders);
}

void TMapScene::ProjectRoute(const std::vector<std::vector<TLatLonDeg>>& routeLines) {
    Legs_.clear();
    Waypoints_.clear();
    Names_.clear();
    RouteBounds_ = {};
    std::vector<TPiece> pieces;
    for (const auto& leg : routeLines) {
        pieces.clear();
        ProjectLines({leg}, pieces);
        Legs_.emplace_back();
        for (TPiece& p : pieces) {
            RouteBounds_.Add(p.Bounds);
            Legs_.back().push_back(std::move(p.Points));
        }
    }
    for (int i = 0; i < Plan_.Count(); ++i) {
        QPointF p(kNaN, kNaN);
        if (ToWorld(Plan_[i].Pos, p)) RouteBounds_.Add(p);
        Names_.push_back(ToQ(Plan_[i].Name));
        Waypoints_.push_back(p);
    }
    if (!HasRoute(Plan_)) RouteBounds_ = {};
}

void TMapScene::ProjectBeacons() {
    const TMapDomain& domain = Projection_->Params().Domain;
    std::vector<TDomainPoint> points;
    points.reserve(Beacons_.Records.size());
    for (const TRSBNRec& b : Beacons_.Records) {
        const TLatLonDeg d = GeoPointToDegrees(b.Position);
        points.push_back({DomainX(domain, d.LonDeg), d.LatDeg});
    }
    Projection_->Forward(points);
    BeaconPoints_.assign(points.size(), QPointF(kNaN, kNaN));
    BeaconBounds_ = {};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TLatLonDeg d = GeoPointToDegrees(Beacons_.Records[i].Position);
        if (points[i].X == HUGE_VAL || d.LatDeg < domain.LatMinDeg || d.LatDeg > domain.LatMaxDeg)
            continue;
        BeaconPoints_[i] = QPointF(points[i].X, points[i].Y);
        BeaconBounds_.Add(BeaconPoints_[i]);
    }
    Assigned_.assign(points.size(), false);
    for (int i = 0; i + 1 < Plan_.Count(); ++i)
        if (Plan_.BeaconOf(Plan_[i]))
            Assigned_[static_cast<std::size_t>(Plan_[i].BeaconIndex)] = true;
}

void TMapScene::ProjectCurrentLeg() {
    Reach_.clear();
    SupportLine_.clear();
    const int i = CurrentRow_ - 1;
    if (i < 0 || i + 1 >= Plan_.Count()) return;
    const TWayPoint& w = Plan_[i];
    const TRSBNRec* beacon = Plan_.BeaconOf(w);
    if (!beacon) return;
    std::vector<TPiece> pieces;
    ProjectLines({Degrees(GeodesicCircle(beacon->Position, kReachKm, kReachPoints))}, pieces);
    // A support point only where the leg flies with the beacon off the route.
    if (HasRSBN(Plan_, w) && w.RSBNMode == rmSRP) {
        const std::size_t circle = pieces.size();
        ProjectLines({Degrees(DensifyGreatCircle(w.BeaconPos, w.RSBNSupPoint, kRouteStepKm))},
                     pieces);
        for (std::size_t k = circle; k < pieces.size(); ++k)
            SupportLine_.push_back(std::move(pieces[k].Points));
        pieces.resize(circle);
    }
    for (TPiece& p : pieces) Reach_.push_back(std::move(p.Points));
}

QRectF TMapScene::FitBounds() const {
    if (!RouteBounds_.Empty()) return RouteBounds_.Rect();
    if (!BeaconBounds_.Empty()) return BeaconBounds_.Rect();
    return DomainBounds_.Rect();
}

TMapViewport TMapScene::Fit(const QRectF& world, QSizeF size, double marginPx) {
    TMapViewport v;
    v.Size = size;
    v.Center = world.center();
    // A single place is shown with some 300 km around it.
    const double w = std::max(world.width(), 300e3), h = std::max(world.height(), 300e3);
    v.Scale = std::min(std::max(size.width() - 2 * marginPx, 1.0) / w,
                       std::max(size.height() - 2 * marginPx, 1.0) / h);
    return v;
}

const std::vector<TMapScene::TGridLine>& TMapScene::Graticule(double stepDeg) const {
    auto found = Graticules_.find(stepDeg);
    if (found != Graticules_.end()) return found->second;
    std::vector<TGridLine>& lines = Graticules_[stepDeg];
    const TMapDomain& d = Projection_->Params().Domain;
    std::vector<TPiece> pieces;
    auto add = [&](std::vector<TLatLonDeg> line, QString label, bool meridian) {
        pieces.clear();
        ProjectLines({line}, pieces);
        for (TPiece& p : pieces) lines.push_back({std::move(p.Points), label, meridian});
    };
    // Meridians stop short of the poles, where they all meet.
    const double south = std::max(d.LatMinDeg, -89.0), north = std::min(d.LatMaxDeg, 89.0);
    for (double lon = -180; lon < 180; lon += stepDeg) {
        std::vector<TLatLonDeg> line;
        for (double lat = south; lat < north; lat += 2) line.push_back({lat, lon});
        line.push_back({north, lon});
        add(std::move(line), DegreesLabel(lon, 'E', 'W'), true);
    }
    for (double lat = std::ceil(south / stepDeg) * stepDeg; lat <= north; lat += stepDeg) {
        std::vector<TLatLonDeg> line;
        for (double x = -180; x <= 180; x += 2) line.push_back({lat, d.CentralLonDeg + x});
        add(std::move(line), DegreesLabel(lat, 'N', 'S'), false);
    }
    return lines;
}

void TMapScene::Paint(QPainter& painter, const TMapViewport& view) const {
    painter.save();
    // Lines keep their widths in the view's pixels, also on a painter scaled for a printer.
    const QTransform t = painter.transform();
    Px_ = std::hypot(t.m11(), t.m12());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), view.Size), mapcolours::kSea);
    PaintBaseMap(painter, view);
    PaintGraticule(painter, view);
    PaintCurrentLeg(painter, view);
    PaintRoute(painter, view);
    TLabelSpace space(view.Size);
    const std::vector<QPointF> names = PlaceWaypointNames(painter, view, space);
    PaintBeacons(painter, view, space);
    PaintWaypoints(painter, view, names);
    PaintScaleBar(painter, view);
    if (!Note_.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRectF(QPointF(8, 8), view.Size - QSizeF(16, 16)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Note_);
    }
    painter.restore();
}

const TMapScene::TLayers& TMapScene::BaseMapAt(double scale) const {
    // Points closer than about half a pixel to the last one kept are left out: a whole-world
    // view draws a tenth of the base map's points. The levels step by powers of two.
    const int level = static_cast<int>(std::floor(std::log2(0.5 / scale)));
    auto found = Simplified_.find(level);
    if (found != Simplified_.end()) return found->second;
    if (Simplified_.size() > 8) Simplified_.clear();
    TLayers& out = Simplified_[level];
    out.LandPath.setFillRule(Qt::OddEvenFill);
    const double tolerance = std::ldexp(1.0, level);
    auto simplify = [tolerance](const std::vector<TPiece>& in, std::vector<TPiece>& to,
                                qsizetype least) {
        for (const TPiece& piece : in) {
            QPolygonF kept;
            for (const QPointF& p : piece.Points)
                if (kept.isEmpty() ||
                    std::abs(p.x() - kept.back().x()) + std::abs(p.y() - kept.back().y()) >=
                        tolerance)
                    kept.append(p);
            if (kept.back() != piece.Points.back()) kept.append(piece.Points.back());
            if (kept.size() >= least) to.push_back({kept, piece.Bounds});
        }
    };
    simplify(Base_.Land, out.Land, 3);
    simplify(Base_.Coast, out.Coast, 2);
    simplify(Base_.Borders, out.Borders, 2);
    for (const TPiece& p : out.Land) out.LandPath.addPolygon(p.Points);
    return out;
}

void TMapScene::PaintBaseMap(QPainter& painter, const TMapViewport& view) const {
    const QRectF visible = view.WorldRect();
    const TLayers& base = BaseMapAt(view.Scale);
    painter.save();
    painter.setTransform(view.WorldToScreen(), true);
    std::vector<const TPiece*> shown;
    for (const TPiece& p : base.Land)
        if (p.Bounds.intersects(visible)) shown.push_back(&p);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mapcolours::kLand);
    // The coastline drawn over the land's edge smooths it: the fill needs no antialiasing.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (shown.size() == base.Land.size()) {
        painter.drawPath(base.LandPath);
    } else if (!shown.empty()) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const TPiece* p : shown) path.addPolygon(p->Points);
        painter.drawPath(path);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Cosmetic(QColor(0xc8, 0xaa, 0xb4), Px_));
    for (const TPiece& p : base.Borders)
        if (p.Bounds.intersects(visible)) painter.drawPolyline(p.Points);
    painter.setPen(Cosmetic(QColor(0x7a, 0x94, 0xac), Px_));
    for (const TPiece& p : base.Coast)
        if (p.Bounds.intersects(visible)) painter.drawPolyline(p.Points);
    painter.restore();
}

void TMapScene::PaintGraticule(QPainter& painter, const TMapViewport& view) const {
    // Lines some 80 pixels or more apart, on a degree's length along a meridian.
    const double pxPerDegree = view.Scale * kEarthRadiusKm * 1000 * static_cast<double>(kDegToRad);
    double step = 30;
    for (double s : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0})
        if (s * pxPerDegree >= 80) {
            step = s;
            break;
        }
    const QRectF visible = view.WorldRect();
    const QTransform toScreen = view.WorldToScreen();
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QPen line = Cosmetic(QColor(0x9c, 0xb4, 0xcc), 0.8 * Px_);
    for (const TGridLine& g : Graticule(step)) {
        if (!g.Points.boundingRect().intersects(visible)) continue;
        const QPolygonF screen = toScreen.map(g.Points);
        painter.setPen(line);
        painter.drawPolyline(screen);
        QPointF at;
        if (!LabelPlace(screen, g.Meridian, view.Size, at)) continue;
        const double w = metrics.horizontalAdvance(g.Label);
        at = g.Meridian ? at + QPointF(-w / 2, -4) : at + QPointF(3, -3);
        HaloText(painter, at, g.Label, QColor(0x50, 0x64, 0x78));
    }
    painter.restore();
}

void TMapScene::PaintCurrentLeg(QPainter& painter, const TMapViewport& view) const {
    painter.save();
    painter.setTransform(view.WorldToScreen(), true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Cosmetic(mapcolours::kReach, 1.6 * Px_));
    for (const QPolygonF& p : Reach_) painter.drawPolyline(p);
    painter.setPen(Cosmetic(mapcolours::kReach, 1.6 * Px_, Qt::DashLine));
    for (const QPolygonF& p : SupportLine_) painter.drawPolyline(p);
    painter.restore();
    if (!SupportLine_.empty() && !SupportLine_.back().isEmpty()) {
        // The support point itself: a small cross.
        const QPointF s = view.ToScreen(SupportLine_.back().back());
        painter.setPen(Cosmetic(mapcolours::kReach, 2 * Px_));
        painter.drawLine(s + QPointF(-5, -5), s + QPointF(5, 5));
        painter.drawLine(s + QPointF(-5, 5), s + QPointF(5, -5));
    }
}

void TMapScene::PaintRoute(QPainter& painter, const TMapViewport& view) const {
    painter.save();
    painter.setTransform(view.WorldToScreen(), true);
    painter.setBrush(Qt::NoBrush);
    const int current = CurrentRow_ - 1;
    if (current >= 0 && current < static_cast<int>(Legs_.size())) {
        painter.setPen(Cosmetic(mapcolours::kCurrentLeg, 10 * Px_));
        for (const QPolygonF& p : Legs_[static_cast<std::size_t>(current)]) painter.drawPolyline(p);
    }
    painter.setPen(Cosmetic(mapcolours::kRoute, 2.5 * Px_));
    for (const auto& leg : Legs_)
        for (const QPolygonF& p : leg) painter.drawPolyline(p);
    if (current >= 0 && current < static_cast<int>(Legs_.size())) {
        painter.setPen(Cosmetic(mapcolours::kRoute, 4 * Px_));
        for (const QPolygonF& p : Legs_[static_cast<std::size_t>(current)]) painter.drawPolyline(p);
    }
    painter.restore();
}

void TMapScene::PaintBeacons(QPainter& painter, const TMapViewport& view,
                             TLabelSpace& space) const {
    const QRectF area = QRectF(QPointF(0, 0), view.Size).adjusted(-8, -8, 8, 8);
    const QTransform toScreen = view.WorldToScreen();
    struct TShown {
        int Index;
        QPointF At;
    };
    std::vector<TShown> plain, assigned;
    // A beacon whose mark would fall on another's adds nothing to see: at a whole-world scale
    // that leaves out most of thousands.
    TLabelSpace marks(view.Size);
    for (std::size_t i = 0; i < BeaconPoints_.size(); ++i) {
        if (!Shown(BeaconPoints_[i])) continue;
        const QPointF at = toScreen.map(BeaconPoints_[i]);
        if (!area.contains(at)) continue;
        if (Assigned_[i])
            assigned.push_back({static_cast<int>(i), at});
        else if (marks.Take(QRectF(at - QPointF(2.5, 2.5), QSizeF(5, 5))))
            plain.push_back({static_cast<int>(i), at});
    }

    painter.save();
    QFont font = painter.font();
    font.setPixelSize(10);
    QFont bold = font;
    bold.setBold(true);
    bold.setPixelSize(11);
    const QFontMetricsF metrics(font), boldMetrics(bold);

    // Identifiers where they cover nothing else, those of the assigned beacons first.
    struct TLabel {
        QPointF At;
        QString Text;
    };
    std::vector<TLabel> boldLabels, labels;
    for (const TShown& b : assigned) {
        const QString text = ToQ(Beacons_[b.Index].Ident);
        const QSizeF size(boldMetrics.horizontalAdvance(text), boldMetrics.height());
        QPointF at;
        if (space.TakeBeside(b.At, size, QPointF(9, 2), at) ||
            space.TakeBeside(b.At, size, QPointF(9, 2), at, TLabelSpace::ccLines))
            boldLabels.push_back({at + QPointF(0, boldMetrics.ascent()), text});
    }
    const double charWidth = metrics.averageCharWidth();
    for (const TShown& b : plain) {
        const std::string& ident = Beacons_[b.Index].Ident;
        const QPointF at = b.At + QPointF(5, -3);
        // Measured only once placed: most of ten thousand never are.
        if (space.Take(QRectF(at - QPointF(0, metrics.ascent()),
                              QSizeF(charWidth * double(ident.size()) + 2, metrics.height()))))
            labels.push_back({at, ToQ(ident)});
    }

    if (RasterDevice(painter)) {
        const qreal dpr = painter.device()->devicePixelRatioF();
        const QPixmap plainSymbol = Symbol(false, 9, dpr), assignedSymbol = Symbol(true, 19, dpr);
        for (const TShown& b : plain) painter.drawPixmap(b.At - QPointF(4.5, 4.5), plainSymbol);
        for (const TShown& b : assigned)
            painter.drawPixmap(b.At - QPointF(9.5, 9.5), assignedSymbol);
    } else {
        for (const TShown& b : plain) DrawSymbol(painter, b.At, false);
        for (const TShown& b : assigned) DrawSymbol(painter, b.At, true);
    }

    painter.setFont(font);
    painter.setPen(mapcolours::kBeacon);
    for (const TLabel& l : labels) painter.drawText(l.At, l.Text);
    painter.setFont(bold);
    for (const TLabel& l : boldLabels)
        HaloText(painter, l.At, l.Text, mapcolours::kAssignedBeacon.darker(130));
    painter.restore();
}

QFont TMapScene::WaypointFont(const QPainter& painter) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(12);
    return font;
}

std::vector<QPointF> TMapScene::PlaceWaypointNames(const QPainter& painter,
                                                   const TMapViewport& view,
                                                   TLabelSpace& space) const {
    const QFontMetricsF metrics(WaypointFont(painter));
    std::vector<QPointF> at(Waypoints_.size(), QPointF(kNaN, kNaN));
    // The route and the marks first: no name covers them where it can go elsewhere.
    const QTransform toScreen = view.WorldToScreen();
    for (const auto& leg : Legs_)
        for (const QPolygonF& piece : leg) space.TakeLine(toScreen.map(piece));
    for (const QPolygonF& piece : SupportLine_) space.TakeLine(toScreen.map(piece));
    for (const QPointF& w : Waypoints_)
        if (Shown(w))
            space.Take(QRectF(view.ToScreen(w) - QPointF(5, 5), QSizeF(10, 10)),
                       TLabelSpace::ccAnything);
    for (std::size_t i = 0; i < Waypoints_.size(); ++i) {
        if (!Shown(Waypoints_[i])) continue;
        const QPointF w = view.ToScreen(Waypoints_[i]);
        const QSizeF size(metrics.horizontalAdvance(Names_[i]), metrics.height());
        // A waypoint's name is always shown, where it covers nothing if it can.
        QPointF place;
        for (const auto cover :
             {TLabelSpace::ccNothing, TLabelSpace::ccLines, TLabelSpace::ccAnything})
            if (space.TakeBeside(w, size, QPointF(7, 3), place, cover)) break;
        at[i] = place + QPointF(0, metrics.ascent());
    }
    return at;
}

void TMapScene::PaintWaypoints(QPainter& painter, const TMapViewport& view,
                               const std::vector<QPointF>& names) const {
    painter.save();
    for (int i = 0; i < static_cast<int>(Waypoints_.size()); ++i) {
        const QPointF w = Waypoints_[static_cast<std::size_t>(i)];
        if (!Shown(w)) continue;
        const QPointF at = view.ToScreen(w);
        if (i == CurrentRow_ - 1) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(mapcolours::kCurrentLeg);
            painter.drawEllipse(at, 8, 8);
        }
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(mapcolours::kRoute);
        painter.drawEllipse(at, 4.5, 4.5);
    }
    // The names over every waypoint's mark.
    painter.setFont(WaypointFont(painter));
    for (int i = 0; i < static_cast<int>(Waypoints_.size()); ++i)
        if (Shown(Waypoints_[static_cast<std::size_t>(i)]))
            HaloText(painter, names[static_cast<std::size_t>(i)],
                     Names_[static_cast<std::size_t>(i)], QColor(0x50, 0x00, 0x48));
    painter.restore();
}

void TMapScene::PaintScaleBar(QPainter& painter, const TMapViewport& view) const {
    // The distance on the ground of 100 pixels across the view's centre.
    const QPointF c = view.Center, d(50 / view.Scale, 0);
    TLatLonDeg a, b;
    if (!Projection_->Inverse(c.x() - d.x(), c.y(), a) ||
        !Projection_->Inverse(c.x() + d.x(), c.y(), b))
        return;
    const double kmPerPx =
        DistanceKm(DegreesToGeoPoint(a.LatDeg, a.LonDeg), DegreesToGeoPoint(b.LatDeg, b.LonDeg)) /
        100;
    if (!(kmPerPx > 0)) return;
    // A round length of 1, 2 or 5 times a power of ten, 60 to 150 pixels long.
    double km = std::pow(10.0, std::floor(std::log10(60 * kmPerPx)));
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * km >= 60 * kmPerPx) {
            km *= f;
            break;
        }
    const double px = km / kmPerPx;
    const QPointF at(view.Size.width() - px - 16, view.Size.height() - 26);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawRect(QRectF(at - QPointF(6, 14), QSizeF(px + 12, 24)));
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(at, at + QPointF(px, 0));
    painter.drawLine(at + QPointF(0, -4), at + QPointF(0, 4));
    painter.drawLine(at + QPointF(px, -4), at + QPointF(px, 4));
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.drawText(QRectF(at - QPointF(0, 14), QSizeF(px, 12)), Qt::AlignCenter,
                     Texts.Km.arg(ToQ(FloatToFixed(km, km < 1 ? 1 : 0))));
    painter.restore();
}

int TMapScene::WaypointAt(const TMapViewport& view, QPointF pixel) const {
    int best = 0;
    double bestDistance = kHitPx;
    for (std::size_t i = 0; i < Waypoints_.size(); ++i) {
        if (!Shown(Waypoints_[i])) continue;
        const double d = Distance(view.ToScreen(Waypoints_[i]), pixel);
        if (d <= bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i) + 1;
        }
    }
    return best;
}

int TMapScene::LegAt(const TMapViewport& view, QPointF pixel) const {
    int best = 0;
    double bestDistance = kLegHitPx;
    const QTransform toScreen = view.WorldToScreen();
    for (std::size_t leg = 0; leg < Legs_.size(); ++leg)
        for (const QPolygonF& piece : Legs_[leg]) {
            const QPolygonF screen = toScreen.map(piece);
            for (qsizetype k = 1; k < screen.size(); ++k) {
                const double d = DistanceToSegment(pixel, screen[k - 1], screen[k]);
                if (d <= bestDistance) {
                    bestDistance = d;
                    best = static_cast<int>(leg) + 1;
                }
            }
        }
    return best;
}

std::vector<int> TMapScene::BeaconsAt(const TMapViewport& view, QPointF pixel) const {
    std::vector<std::pair<double, int>> near;
    for (std::size_t i = 0; i < BeaconPoints_.size(); ++i) {
        if (!Shown(BeaconPoints_[i])) continue;
        const double d = Distance(view.ToScreen(BeaconPoints_[i]), pixel);
        if (d <= kHitPx) near.push_back({d, static_cast<int>(i)});
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> out;
    for (const auto& n : near) out.push_back(n.second);
    return out;
}

QString TMapScene::BeaconTip(int beacon) const {
    const TRSBNRec* b = Beacons_.Find(beacon);
    if (!b) return {};
    QString tip = ToQ(b->Name) + QStringLiteral(" [") + ToQ(b->Ident) + QStringLiteral("]\n") +
                  Texts.Channel.arg(ToQ(b->Number));
    const int end = CurrentRow_; // 0-based index of the current leg's end waypoint
    if (CurrentRow_ >= 1 && end < Plan_.Count()) {
        const double km = DistanceKm(b->Position, Plan_[end].Pos);
        tip +=
            QLatin1Char('\n') + Texts.Distance.arg(ToQ(FloatToFixed(km, 0)), ToQ(Plan_[end].Name));
    }
    return tip;
}

} // namespace kestrun
