// What the map draws, kept projected: the base map, the graticule, the route, the beacons and
// the current leg's beacon reach. A scene projects when the plan, the beacons or the base map
// change; painting a view of it (the map tab, an exported picture, a printed page) only scales
// and moves what was projected.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "files/basemap.h"
#include "ui/mapprojection.h"

class QPainter;

namespace kestrun {

class TRSBNList;
class TWayPointList;
struct TGeoPoint;

/// The colours a user tells apart on the map; the tests look for them.
namespace mapcolours {
inline const QColor kSea{0xdc, 0xea, 0xf4};
inline const QColor kLand{0xf4, 0xf1, 0xe6};
inline const QColor kRoute{0xc0, 0x00, 0xb0};
inline const QColor kCurrentLeg{0xff, 0xd0, 0x00};
inline const QColor kReach{0x00, 0x6a, 0xd8};
inline const QColor kBeacon{0x24, 0x4c, 0x7c};
inline const QColor kAssignedBeacon{0xe0, 0x50, 0x00};
} // namespace mapcolours

/// The map's own words, in the interface language; "%1", "%2", "%3" stand for what the map
/// puts in.
struct TMapTexts {
    QString FitRoute = QStringLiteral("Fit route");
    QString Assign = QStringLiteral("Assign %1 [%2] to the leg %3"); // beacon, identifier, leg
    QString Channel = QStringLiteral("Channel %1");
    QString Distance = QStringLiteral("%1 km to %2"); // km, the leg's end waypoint
    QString Km = QStringLiteral("%1 km");             // the scale bar
    QString NoBaseMapFile = QStringLiteral("No base map file: the map shows no land.");
    QString NoLand = QStringLiteral("The map shows no land: %1"); // why
};

/// A view of a scene: the projected point (metres) at the view's centre and the scale.
struct TMapViewport {
    QPointF Center;
    double Scale = 1e-4; // pixels per metre
    QSizeF Size;

    /// From projected metres (northing up) to the view's pixels (y down).
    QTransform WorldToScreen() const;
    QPointF ToScreen(QPointF world) const;
    QPointF ToWorld(QPointF screen) const;
    QRectF WorldRect() const;
};

/// The space that labels already take in a view, in cells of a few pixels: a label that would
/// cover another is left out, and one that would cross a line goes elsewhere if it can.
class TLabelSpace {
public:
    /// What a place may cover: nothing, lines only, or anything.
    enum TCover { ccNothing, ccLines, ccAnything };

    explicit TLabelSpace(QSizeF size);
    /// Takes the rectangle's cells when it covers no more than `cover` allows and lies at least
    /// partly in the view; false, and nothing taken, otherwise.
    bool Take(const QRectF& r, TCover cover = ccNothing);
    /// Marks the cells a line (pixels) passes through.
    void TakeLine(const QPolygonF& line);
    /// Takes a place of `size` beside `anchor`, `gap` away from it: below right, above right,
    /// below left or above left, the first one that covers no more than `cover` allows (with
    /// ccAnything: the one that covers the fewest labels). Its top left corner goes to `at`.
    bool TakeBeside(QPointF anchor, QSizeF size, QPointF gap, QPointF& at,
                    TCover cover = ccNothing);

private:
    /// The most a rectangle covers (0 nothing, 1 a line, 2 a label, as TCover counts; -1
    /// outside the view), with `take` its cells taken, and in labelCells the count of its cells
    /// that labels take.
    int Covered(const QRectF& rect, bool take, int* labelCells = nullptr);
    static constexpr int kCell = 4;
    int Cols_, Rows_;
    std::vector<char> Taken_; // per cell: 0 free, 1 a line, 2 a label or a mark
};

class TMapScene {
public:
    TMapScene(const TWayPointList& plan, const TRSBNList& beacons);
    ~TMapScene();
    TMapScene(const TMapScene&) = delete;
    TMapScene& operator=(const TMapScene&) = delete;

    /// The land, coastline and borders to draw (none: the map is drawn without them).
    void SetBaseMap(std::shared_ptr<const TBaseMap> baseMap);
    const std::shared_ptr<const TBaseMap>& BaseMap() const { return BaseMap_; }
    /// A line said on the map, for example why it has no base map; empty: none.
    void SetNote(const QString& note) { Note_ = note; }
    const QString& Note() const { return Note_; }

    /// Chooses the projection for the plan again and projects the route and the beacons, and
    /// the base map when the projection changed. Returns whether it changed.
    bool Update();
    /// The leg (1-based number of its first waypoint) or the waypoint drawn as current; 0: none.
    void SetCurrentRow(int row);
    int CurrentRow() const { return CurrentRow_; }

    const TMapProjection& Projection() const { return *Projection_; }
    /// Projected metres of a position; false where the map does not show it.
    bool ToWorld(const TGeoPoint& p, QPointF& world) const;

    /// The legs as drawn, projected: per leg its pieces (more than one where the map cuts it).
    const std::vector<std::vector<QPolygonF>>& Legs() const { return Legs_; }

    /// What "fit" shows: the route, else the beacons, else the whole domain.
    QRectF FitBounds() const;
    /// Everything the map can show.
    QRectF DomainBounds() const { return DomainBounds_.Rect(); }
    /// The viewport of a view of `size` pixels that shows `world` with `marginPx` to spare.
    static TMapViewport Fit(const QRectF& world, QSizeF size, double marginPx);

    void Paint(QPainter& painter, const TMapViewport& view) const;

    /// What lies under a pixel of a view, within a few pixels: the 1-based number of the
    /// nearest waypoint (0: none), of the leg whose line passes there (0: none), and the
    /// beacons there, nearest first.
    int WaypointAt(const TMapViewport& view, QPointF pixel) const;
    int LegAt(const TMapViewport& view, QPointF pixel) const;
    std::vector<int> BeaconsAt(const TMapViewport& view, QPointF pixel) const;
    /// The beacon's name, channel, and its distance from the current leg's end.
    QString BeaconTip(int beacon) const;

    TMapTexts Texts;

private:
    struct TPiece {
        QPolygonF Points;
        QRectF Bounds;
    };
    /// The smallest rectangle around the points added; a single point gives one of size 0.
    struct TBounds {
        double X0 = HUGE_VAL, X1 = -HUGE_VAL, Y0 = HUGE_VAL, Y1 = -HUGE_VAL;
        void Add(QPointF p);
        void Add(const QRectF& r);
        bool Empty() const { return X0 > X1; }
        QRectF Rect() const { return Empty() ? QRectF() : QRectF(X0, Y0, X1 - X0, Y1 - Y0); }
    };
    /// The base map's layers, projected, at one level of detail.
    struct TLayers {
        std::vector<TPiece> Land, Coast, Borders;
        QPainterPath LandPath; // every piece of Land, for the fill
    };
    struct TGridLine {
        QPolygonF Points;
        QString Label;
        bool Meridian;
    };

    void ProjectBaseMap();
    void ProjectRoute(const std::vector<std::vector<TLatLonDeg>>& routeLines);
    void ProjectBeacons();
    void ProjectCurrentLeg();
    /// The line's points projected (in place), those the projection cannot take left out.
    QPolygonF Projected(TDomainLine& line) const;
    void ProjectLines(const std::vector<std::vector<TLatLonDeg>>& lines,
                      std::vector<TPiece>& out) const;
    const TLayers& BaseMapAt(double scale) const;
    const std::vector<TGridLine>& Graticule(double stepDeg) const;
    /// The route's places, else the beacons'.
    std::vector<TLatLonDeg>
    PlacesToShow(const std::vector<std::vector<TLatLonDeg>>& routeLines) const;

    void PaintBaseMap(QPainter& painter, const TMapViewport& view) const;
    void PaintGraticule(QPainter& painter, const TMapViewport& view) const;
    void PaintCurrentLeg(QPainter& painter, const TMapViewport& view) const;
    void PaintRoute(QPainter& painter, const TMapViewport& view) const;
    void PaintBeacons(QPainter& painter, const TMapViewport& view, TLabelSpace& space) const;
    static QFont WaypointFont(const QPainter& painter);
    /// Where each waypoint's name goes (its baseline's start; NaN where not shown).
    std::vector<QPointF> PlaceWaypointNames(const QPainter& painter, const TMapViewport& view,
                                            TLabelSpace& space) const;
    void PaintWaypoints(QPainter& painter, const TMapViewport& view,
                        const std::vector<QPointF>& names) const;
    void PaintScaleBar(QPainter& painter, const TMapViewport& view) const;

    const TWayPointList& Plan_;
    const TRSBNList& Beacons_;
    std::shared_ptr<const TBaseMap> BaseMap_;
    std::unique_ptr<TMapProjection> Projection_;
    QString Note_;
    int CurrentRow_ = 0;

    // Projected metres.
    TLayers Base_;
    mutable std::map<int, TLayers> Simplified_; // by the level of detail, see BaseMapAt
    TBounds DomainBounds_;
    std::vector<std::vector<QPolygonF>> Legs_; // per leg, its pieces
    std::vector<QPointF> Waypoints_;           // NaN where not shown
    std::vector<QString> Names_;               // of the waypoints
    TBounds RouteBounds_;
    std::vector<QPointF> BeaconPoints_; // NaN where not shown
    std::vector<bool> Assigned_;
    TBounds BeaconBounds_;
    std::vector<QPolygonF> Reach_;       // the current leg's beacon reach
    std::vector<QPolygonF> SupportLine_; // beacon to support point, "СРП" legs
    mutable std::map<double, std::vector<TGridLine>> Graticules_;
    mutable double Px_ = 1; // device pixels of a view's pixel, during Paint
};

} // namespace kestrun
