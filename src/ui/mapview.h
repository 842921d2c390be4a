// The map of the route and its beacons: a widget over a scene (ui/mapscene.h), navigated with
// the wheel (zoom at the cursor), by dragging (pan) and by a double click or its button (the
// whole route); the export of its view and the map page of the printout.
#pragma once

#include <QWidget>
#include <filesystem>
#include <memory>

#include "ui/mapscene.h"

class QPrinter;
class QToolButton;

namespace kestrun {

/// A view of a plan's map as the window keeps it between runs: the plan (a digest of its
/// waypoints' positions and the map's projection), the view's centre and scale.
struct TRememberedView {
    QString Plan;
    QPointF Center;
    double Scale = 0;
};

class TMapView : public QWidget {
    Q_OBJECT

public:
    /// A map of the plan and the beacons, which it reads at every paint and projects again at
    /// planChanged. Rows are the plan's 1-based waypoint numbers, as in the grids.
    TMapView(const TWayPointList& plan, const TRSBNList& beacons, QWidget* parent = nullptr);
    ~TMapView() override;

    /// The base map file, read when the map is first shown. A file that cannot be read leaves
    /// the map without land, and the map says why.
    void SetBaseMapFile(std::filesystem::path path) { BaseMapFile_ = std::move(path); }
    /// The base map, read now if it was not yet; null when it cannot be read.
    std::shared_ptr<const TBaseMap> BaseMap();

    TMapScene& Scene() { return Scene_; }
    /// The map's words in the interface language.
    void SetTexts(const TMapTexts& texts);
    const TMapViewport& Viewport() const { return View_; }
    /// Shows the part of the map that `view` (its centre and scale) shows, in this view's size.
    void SetViewport(const TMapViewport& view);
    int CurrentRow() const { return Scene_.CurrentRow(); }

    /// Shows the whole route, or the beacons when there is no route.
    void FitRoute();
    /// The view to keep: the one the map shows, with its plan; before the map was first shown,
    /// or for a plan without legs, the one handed to RememberView.
    TRememberedView RememberedView() const;
    /// A view shown instead of the whole route when the same plan's map is next shown.
    void RememberView(const TRememberedView& view) { Remembered_ = view; }
    /// Writes what the view shows: a PDF for a name ending in ".pdf" (either case), a PNG
    /// otherwise. Raises "Cannot create file %s" (an earlier file of that name stays intact).
    void ExportMap(const std::filesystem::path& path);

public slots:
    /// Highlights the leg that starts at waypoint `row` (on the last waypoint: the waypoint).
    void setCurrentRow(int row);
    /// The plan or the beacons changed: the projection is chosen again, and when it changed,
    /// or the route lies outside the view, the view shows the whole route again (another plan:
    /// its remembered view or its whole route). A hidden map does this when it is next shown.
    void planChanged();
    /// The plan is about to be replaced (new, opened, imported): its view is remembered, and
    /// the next plan's map shows its own remembered view or its whole route.
    void planAboutToBeReplaced();

signals:
    /// A waypoint or a leg was clicked: the row of the waypoint, or of the leg's first one.
    void currentRowRequested(int row);
    /// A beacon was clicked (or chosen from the context menu) while a leg is current.
    void beaconClicked(int beaconIndex);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void Click(QPointF at);
    bool HasCurrentLeg() const;
    void ZoomAt(QPointF at, double factor);
    /// The map's note on why it shows no land, in the interface language.
    void SayWhyNoLand();
    /// Projects the plan again and chooses the view (see planChanged).
    void Reproject();
    QString PlanDigest() const;
    /// Shows the remembered view when it is of this plan, else the whole route.
    void ShowPlanView();

    const TWayPointList& Plan_;
    const TRSBNList& Beacons_;
    TMapScene Scene_;
    TMapViewport View_;
    bool Fitted_ = false;
    bool Stale_ = false;    // the plan changed while the map was hidden
    bool Replaced_ = false; // ... by another plan, whose view is still to be chosen
    TRememberedView Remembered_;
    std::filesystem::path BaseMapFile_;
    bool BaseMapRead_ = false;
    QString BaseMapError_; // why the base map could not be read; empty: it was, or no file
    bool Pressed_ = false, Dragging_ = false;
    QPointF PressAt_, PressCenter_;
    QToolButton* sbFitRoute;
};

/// Draws the whole route with its beacons, fitted into `area` of the painter's device (a page
/// of the printout), under a title line, with the map's words `texts`. Lines and texts keep
/// their on-screen sizes in the device's own resolution.
void PaintRouteMap(QPainter& painter, const QRectF& area, const TWayPointList& plan,
                   const TRSBNList& beacons, std::shared_ptr<const TBaseMap> baseMap,
                   const QString& title, const TMapTexts& texts = {});

/// Ends a printout that `painter` is drawing on `printer` with a landscape page of the route's
/// map.
void PrintRouteMapPage(QPrinter& printer, QPainter& painter, const TWayPointList& plan,
                       const TRSBNList& beacons, std::shared_ptr<const TBaseMap> baseMap,
                       const QString& title, const TMapTexts& texts = {});

} // namespace kestrun
