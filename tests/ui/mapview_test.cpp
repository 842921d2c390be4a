// The map, offscreen: what it draws where, what a click on it asks for, its projections checked
// against PROJ and the Lambert conic's own formulas, and its export and printed page.
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <proj.h>

#include "base/fileio.h"
#include "files/beaconfile.h"
#include "files/planimport.h"
#include "math/bglmag.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "settings/locations.h"
#include "testutil.h"
#include "ui/mapview.h"

using namespace kestrun;
using test::kDeg;

namespace {

const std::filesystem::path kRun = KESTRUN_RUN_DIR;

// Whether a pixel within one of `at` has `colour`, each channel within `tolerance`.
bool ColourNear(const QImage& image, QPointF at, const QColor& colour, int tolerance = 0) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c =
                image.pixelColor(int(std::lround(at.x())) + dx, int(std::lround(at.y())) + dy);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

} // namespace

class TMapViewTest : public QObject {
    Q_OBJECT

    TRSBNList Beacons;
    TMagDecGrid Grid;
    TWayPointList Plan{Beacons, Grid};
    std::unique_ptr<TMapView> View;

    QPointF Pixel(const TGeoPoint& p) {
        QPointF world;
        if (!View->Scene().ToWorld(p, world)) return {-100, -100};
        return View->Viewport().ToScreen(world);
    }
    void Route(std::initializer_list<std::array<double, 2>> points) {
        Plan.Clear();
        for (const auto& p : points) Plan.AddWayPoint().SetPos(DegreesToGeoPoint(p[0], p[1]));
        Plan.CalcPlan();
    }

private slots:
    void init() {
        LoadBeaconFile(Beacons, kRun / DataFileName(TDataFile::DefaultBeacons));
        const auto route = kRun / "examples" / "moscow-irkutsk.pln";
        ImportFlightPlanBytes(Plan, ReadFileBytes(route), route);
        Plan.AutoSelectBeacons();
        Plan.CalcPlan();
        View = std::make_unique<TMapView>(Plan, Beacons);
        View->SetBaseMapFile(kRun / DataFileName(TDataFile::BaseMap));
        View->resize(900, 600);
        View->show();
        QVERIFY(QTest::qWaitForWindowExposed(View.get()));
        QVERIFY(View->BaseMap());
    }
    void cleanup() { View.reset(); }

    void waypointsAndLegsInTheRouteColour() {
        View->setCurrentRow(4);
        const QImage image = View->grab().toImage();
        for (int i = 0; i < Plan.Count(); ++i) {
            const QPointF at = Pixel(Plan[i].Pos);
            QVERIFY2(image.pixelColor(at.toPoint()) == mapcolours::kRoute,
                     qPrintable(QString::number(i)));
        }
        // Halfway along each leg's great circle, not on the straight line between its ends.
        for (int i = 0; i + 1 < Plan.Count(); ++i) {
            const TGeoPoint middle =
                DensifyGreatCircle(Plan[i].Pos, Plan[i + 1].Pos, Plan[i].Distance / 2 + 1)[1];
            QVERIFY2(ColourNear(image, Pixel(middle), mapcolours::kRoute),
                     qPrintable(QString::number(i)));
        }
    }

    void clicksAskForRowsAndBeacons() {
        QSignalSpy rows(View.get(), &TMapView::currentRowRequested);
        QSignalSpy beacons(View.get(), &TMapView::beaconClicked);
        QTest::mouseClick(View.get(), Qt::LeftButton, {}, Pixel(Plan[4].Pos).toPoint());
        QCOMPARE(rows.count(), 1);
        QCOMPARE(rows.takeFirst().at(0).toInt(), 5);
        const TGeoPoint middle =
            DensifyGreatCircle(Plan[6].Pos, Plan[7].Pos, Plan[6].Distance / 2 + 1)[1];
        QTest::mouseClick(View.get(), Qt::LeftButton, {}, Pixel(middle).toPoint());
        QCOMPARE(rows.count(), 1);
        QCOMPARE(rows.takeFirst().at(0).toInt(), 7);

        // A beacon away from the route: assigned to the current leg, none on the last row.
        int beacon = -1;
        for (int b = 0; b < Beacons.Count() && beacon < 0; ++b) {
            const QPointF at = Pixel(Beacons[b].Position);
            bool clear = QRectF(20, 20, 860, 560).contains(at) &&
                         View->Scene().LegAt(View->Viewport(), at) == 0;
            for (int i = 0; i < Plan.Count(); ++i)
                clear = clear && QLineF(at, Pixel(Plan[i].Pos)).length() > 15;
            if (clear) beacon = b;
        }
        QVERIFY(beacon >= 0);
        View->setCurrentRow(3);
        QTest::mouseClick(View.get(), Qt::LeftButton, {},
                          Pixel(Beacons[beacon].Position).toPoint());
        QCOMPARE(beacons.count(), 1);
        QCOMPARE(beacons.takeFirst().at(0).toInt(), beacon);
        View->setCurrentRow(Plan.Count());
        QTest::mouseClick(View.get(), Qt::LeftButton, {},
                          Pixel(Beacons[beacon].Position).toPoint());
        QCOMPARE(beacons.count() + rows.count(), 0);
    }

    void reachCirclePassesThreeHundredSixtyKilometresFromTheBeacon() {
        View->setCurrentRow(1);
        const TRSBNRec* beacon = Plan.BeaconOf(Plan[0]);
        QVERIFY(beacon);
        QPointF centre;
        QVERIFY(View->Scene().ToWorld(beacon->Position, centre));
        View->SetViewport({centre, 250.0 / 360000, {}}); // some 250 pixels for 360 km
        const QImage image = View->grab().toImage();
        // Due north along the meridian: 360 km and (not on the circle) 370 km.
        for (const double km : {360.0, 370.0}) {
            TGeoPoint north = beacon->Position;
            north.Lat += km / 6378.137;
            QCOMPARE(ColourNear(image, Pixel(north), mapcolours::kReach, 50), km == 360);
        }
    }

    void projectionsForRoutesOfEveryKind() {
        struct TCase {
            std::vector<TLatLonDeg> Places;
            TMapProjectionKind Kind;
        };
        const TCase cases[] = {
            {{{55.97, 37.41}, {52.27, 104.39}}, TMapProjectionKind::Conic},
            {{{64.73, 177.74}, {64.51, -165.44}, {64.82, -147.86}}, TMapProjectionKind::Conic},
            {{{68.78, 32.75}, {86, 10}, {71.29, -156.77}}, TMapProjectionKind::Stereographic},
            {{{-10, 20}, {11, 40}}, TMapProjectionKind::Mercator}};
        for (const TCase& c : cases) {
            const TMapProjectionParams p = ChooseMapProjection(c.Places);
            QCOMPARE(p.Kind, c.Kind);
            double lo = 90, hi = -90;
            for (const TLatLonDeg& q : c.Places) {
                lo = std::min(lo, q.LatDeg), hi = std::max(hi, q.LatDeg);
                QVERIFY(std::fabs(DomainX(p.Domain, q.LonDeg)) < 170); // the seam runs elsewhere
            }
            if (c.Kind != TMapProjectionKind::Stereographic)
                QVERIFY(lo <= std::min(p.Lat1Deg, p.Lat2Deg) &&
                        std::max(p.Lat1Deg, p.Lat2Deg) <= hi);
        }

        // The route's conic: scale 1 along both standard parallels (on the sphere, where 0.01
        // degree of longitude is R cos(lat) 0.01 degree), less between them; PROJ's own factors
        // agree, and Snyder's formulas give the same point.
        const TMapProjectionParams p = ChooseMapProjection(cases[0].Places);
        const TMapProjection proj(p);
        const double R = 6378137, lon0 = p.Domain.CentralLonDeg;
        auto parallelScale = [&](double lat) {
            double x0, y0, x1, y1;
            proj.Forward(TLatLonDeg{lat, lon0}, x0, y0);
            proj.Forward(TLatLonDeg{lat, lon0 + 0.01}, x1, y1);
            return std::hypot(x1 - x0, y1 - y0) / (R * std::cos(lat * kDeg) * 0.01 * kDeg);
        };
        QVERIFY(std::fabs(parallelScale(p.Lat1Deg) - 1) < 1e-6);
        QVERIFY(std::fabs(parallelScale(p.Lat2Deg) - 1) < 1e-6);
        QVERIFY(parallelScale((p.Lat1Deg + p.Lat2Deg) / 2) < 1 - 1e-5);
        PJ* own = proj_create(nullptr, p.Definition().c_str());
        const PJ_FACTORS f = proj_factors(own, proj_coord(lon0 * kDeg, p.Lat1Deg * kDeg, 0, 0));
        proj_destroy(own);
        QVERIFY(std::fabs(f.parallel_scale - 1) < 1e-9 && std::fabs(f.meridional_scale - 1) < 1e-9);
        const double f1 = p.Lat1Deg * kDeg, f2 = p.Lat2Deg * kDeg, f0 = p.Lat0Deg * kDeg;
        auto t = [](double lat) { return std::tan(test::kPiD / 4 + lat / 2); };
        const double n = std::log(std::cos(f1) / std::cos(f2)) / std::log(t(f2) / t(f1));
        const double F = std::cos(f1) * std::pow(t(f1), n) / n;
        const double rho = R * F / std::pow(t(60 * kDeg), n), rho0 = R * F / std::pow(t(f0), n);
        double x, y;
        QVERIFY(proj.Forward(TLatLonDeg{60, 100}, x, y));
        QVERIFY(std::fabs(x - rho * std::sin(n * (100 - lon0) * kDeg)) < 1e-3);
        QVERIFY(std::fabs(y - (rho0 - rho * std::cos(n * (100 - lon0) * kDeg))) < 1e-3);
    }

    void routeAcrossTheAntimeridianDrawsInOnePiece() {
        Route({{64.73, 177.74}, {64.51, -165.44}, {64.82, -147.86}}); // Anadyr, Nome, Fairbanks
        View->planChanged();
        QCOMPARE(View->Scene().Legs().size(), 2u);
        const QTransform toScreen = View->Viewport().WorldToScreen();
        for (const auto& leg : View->Scene().Legs()) {
            QCOMPARE(leg.size(), 1u);
            const QPolygonF screen = toScreen.map(leg[0]);
            QVERIFY(QRectF(0, 0, 900, 600).contains(screen.boundingRect()));
            for (qsizetype i = 1; i < screen.size(); ++i)
                QVERIFY(QLineF(screen[i - 1], screen[i]).length() < 40);
        }
    }

    void exportAndPrintedPage() {
        test::TempDir dir;
        View->ExportMap(dir.File("map.png"));
        QCOMPARE(QImage(QString::fromStdString(dir.File("map.png"))).size(), QSize(900, 600));
        View->ExportMap(dir.File("map.PDF"));
        QVERIFY(ReadFileBytes(dir.File("map.PDF")).starts_with("%PDF"));
        QCOMPARE(test::MessageOf([&] { View->ExportMap(dir.File("no/map.png")); }).substr(0, 24),
                 "Cannot create file " + dir.File("no").substr(0, 5));

        // A portrait page of the printout, then the map's landscape page.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.File("print.pdf")));
        printer.setPageOrientation(QPageLayout::Portrait);
        QPainter painter(&printer);
        PrintRouteMapPage(printer, painter, Plan, Beacons, View->BaseMap(),
                          QStringLiteral("UUEE - UIII"));
        QVERIFY(printer.width() > printer.height());
        painter.end();
        QVERIFY(ReadFileBytes(dir.File("print.pdf")).size() > 100000); // the land, drawn as lines
    }
};

QTEST_MAIN(TMapViewTest)
#include "mapview_test.moc"
