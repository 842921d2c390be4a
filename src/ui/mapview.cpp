#include "ui/mapview.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/fileio.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "ui/qtext.h"

namespace kestrun {

namespace {

constexpr double kFitMarginPx = 50; // room for the names at the route's ends
constexpr double kMaxScale = 0.1;   // pixels per metre: a pixel for 10 m
constexpr double kWheelStep = 1.25; // zoom of one notch of the wheel

} // namespace

TMapView::TMapView(const TWayPointList& plan, const TRSBNList& beacons, QWidget* parent)
    : QWidget(parent), Plan_(plan), Beacons_(beacons), Scene_(plan, beacons) {
    setObjectName(QStringLiteral("mapView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    sbFitRoute = new QToolButton(this);
    sbFitRoute->setObjectName(QStringLiteral("sbFitRoute"));
    sbFitRoute->setText(Scene_.Texts.FitRoute);
    connect(sbFitRoute, &QToolButton::clicked, this, [this] { FitRoute(); });
    View_.Size = size();
}

TMapView::~TMapView() = default;

void TMapView::SetTexts(const TMapTexts& texts) {
    Scene_.Texts = texts;
    if (BaseMapRead_ && !Scene_.BaseMap()) SayWhyNoLand();
    sbFitRoute->setText(texts.FitRoute);
    sbFitRoute->adjustSize();
    sbFitRoute->move(width() - sbFitRoute->width() - 6, 6);
}

std::shared_ptr<const TBaseMap> TMapView::BaseMap() {
    if (BaseMapRead_) return Scene_.BaseMap();
    BaseMapRead_ = true;
    try {
        if (!BaseMapFile_.empty())
            Scene_.SetBaseMap(std::make_shared<const TBaseMap>(ReadBaseMap(BaseMapFile_)));
    } catch (const std::exception& e) {
        BaseMapError_ = Utf8ToQ(ErrorText(e));
    }
    if (!Scene_.BaseMap()) SayWhyNoLand();
    return Scene_.BaseMap();
}

void TMapView::SayWhyNoLand() {
    const TMapTexts& t = Scene_.Texts;
    Scene_.SetNote(BaseMapError_.isEmpty() ? t.NoBaseMapFile : t.NoLand.arg(BaseMapError_));
    update();
}

void TMapView::FitRoute() {
    View_ = TMapScene::Fit(Scene_.FitBounds(), size(), kFitMarginPx);
    Fitted_ = true;
    update();
}

QString TMapView::PlanDigest() const {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::fromStdString(Scene_.Projection().Params().Definition()));
    for (int i = 0; i < Plan_.Count(); ++i)
        hash.addData(QByteArray::fromStdString(GeoPointToStr(Plan_[i].Pos)));
    return QString::fromLatin1(hash.result().toHex());
}

TRememberedView TMapView::RememberedView() const {
    // A plan without legs (a new one) keeps the last plan's view.
    if (!Fitted_ || Plan_.Count() < 2) return Remembered_;
    return {PlanDigest(), View_.Center, View_.Scale};
}

void TMapView::ShowPlanView() {
    if (Remembered_.Scale > 0 && Remembered_.Plan == PlanDigest())
        SetViewport({Remembered_.Center, Remembered_.Scale, size()});
    else
        FitRoute();
}

void TMapView::planAboutToBeReplaced() {
    Remembered_ = RememberedView();
    Replaced_ = true;
}

void TMapView::SetViewport(const TMapViewport& view) {
    View_.Center = view.Center;
    View_.Scale = view.Scale;
    View_.Size = size();
    Fitted_ = true;
    update();
}

bool TMapView::HasCurrentLeg() const {
    return CurrentRow() >= 1 && CurrentRow() < Plan_.Count();
}

void TMapView::setCurrentRow(int row) {
    if (row == Scene_.CurrentRow()) return;
    Scene_.SetCurrentRow(row);
    update();
}

void TMapView::planChanged() {
    // A hidden map (another tab is shown) projects again only when it is shown: edits in the
    // grids do not wait for it.
    if (isVisible())
        Reproject();
    else
        Stale_ = true;
}

void TMapView::Reproject() {
    Stale_ = false;
    const bool changed = Scene_.Update();
    const QRectF route = Scene_.FitBounds();
    if (std::exchange(Replaced_, false))
        ShowPlanView();
    else if (Fitted_ && (changed || !route.intersects(View_.WorldRect())))
        FitRoute();
    update();
}

void TMapView::ExportMap(const std::filesystem::path& path) {
    // A map not shown yet shows what it would show, in the size its place in the window has.
    BaseMap();
    if (Stale_) Reproject();
    if (!Fitted_) ShowPlanView();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (SameText(path.extension().native(), ".pdf")) {
        // One page the size of the view at 96 dots an inch, drawn as lines and text.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(QPageSize(QSizeF(View_.Size.width(), View_.Size.height()) * 25.4 / 96,
                                  QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        QPainter painter(&pdf);
        Scene_.Paint(painter, View_);
    } else {
        QImage image(size(), QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        Scene_.Paint(painter, View_);
        painter.end();
        if (!image.save(&buffer, "PNG")) RaiseCannotCreateFile(path);
    }
    buffer.close();
    WriteFileAtomic(path,
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Scene_.Paint(painter, View_);
}

void TMapView::resizeEvent(QResizeEvent*) {
    View_.Size = size();
    sbFitRoute->adjustSize();
    sbFitRoute->move(width() - sbFitRoute->width() - 6, 6);
    if (!Fitted_ && isVisible()) ShowPlanView();
}

void TMapView::showEvent(QShowEvent*) {
    BaseMap();
    View_.Size = size();
    if (Stale_) planChanged();
    if (!Fitted_) ShowPlanView();
}

void TMapView::ZoomAt(QPointF at, double factor) {
    const double minScale = TMapScene::Fit(Scene_.DomainBounds(), size(), 0).Scale / 2;
    const double scale = std::clamp(View_.Scale * factor, minScale, kMaxScale);
    // The point under the cursor stays where it is.
    const QPointF world = View_.ToWorld(at);
    View_.Scale = scale;
    View_.Center = QPointF(world.x() - (at.x() - width() / 2.0) / scale,
                           world.y() + (at.y() - height() / 2.0) / scale);
    update();
}

void TMapView::wheelEvent(QWheelEvent* e) {
    const double notches = e->angleDelta().y() / 120.0;
    if (notches != 0) ZoomAt(e->position(), std::pow(kWheelStep, notches));
    e->accept();
}

void TMapView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    Pressed_ = true;
    Dragging_ = false;
    PressAt_ = e->position();
    PressCenter_ = View_.Center;
}

void TMapView::mouseMoveEvent(QMouseEvent* e) {
    if (!Pressed_) return;
    const QPointF d = e->position() - PressAt_;
    if (!Dragging_ && std::abs(d.x()) + std::abs(d.y()) < 4) return;
    Dragging_ = true;
    setCursor(Qt::ClosedHandCursor);
    View_.Center = PressCenter_ + QPointF(-d.x(), d.y()) / View_.Scale;
    update();
}

void TMapView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !Pressed_) return QWidget::mouseReleaseEvent(e);
    Pressed_ = false;
    unsetCursor();
    if (!Dragging_) Click(e->position());
    Dragging_ = false;
}

void TMapView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) FitRoute();
}

void TMapView::Click(QPointF at) {
    // A waypoint before a beacon standing on it: the beacon stays reachable from the context
    // menu, and a click that only looks does not change the plan.
    if (const int row = Scene_.WaypointAt(View_, at)) {
        emit currentRowRequested(row);
        return;
    }
    const std::vector<int> beacons = Scene_.BeaconsAt(View_, at);
    if (!beacons.empty() && HasCurrentLeg()) {
        emit beaconClicked(beacons.front());
        return;
    }
    if (const int leg = Scene_.LegAt(View_, at)) emit currentRowRequested(leg);
}

void TMapView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    if (HasCurrentLeg()) {
        const QString leg = ToQ(Plan_[CurrentRow() - 1].Name) + QStringLiteral(" - ") +
                            ToQ(Plan_[CurrentRow()].Name);
        for (int b : Scene_.BeaconsAt(View_, e->pos())) {
            const TRSBNRec& r = Beacons_[b];
            QAction* a = menu.addAction(Scene_.Texts.Assign.arg(ToQ(r.Name), ToQ(r.Ident), leg));
            connect(a, &QAction::triggered, this, [this, b] { emit beaconClicked(b); });
        }
        if (!menu.isEmpty()) menu.addSeparator();
    }
    menu.addAction(sbFitRoute->text(), this, [this] { FitRoute(); });
    menu.exec(e->globalPos());
}

bool TMapView::event(QEvent* e) {
    if (e->type() != QEvent::ToolTip) return QWidget::event(e);
    const auto* help = static_cast<QHelpEvent*>(e);
    QString tip;
    if (const int row = Scene_.WaypointAt(View_, help->pos()); row && row <= Plan_.Count()) {
        const TWayPoint& w = Plan_[row - 1];
        tip = ToQ(w.Name) + QLatin1Char('\n') + ToQ(GeoPointToStr(w.Pos));
    } else if (const std::vector<int> b = Scene_.BeaconsAt(View_, help->pos()); !b.empty()) {
        tip = Scene_.BeaconTip(b.front());
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

void PaintRouteMap(QPainter& painter, const QRectF& area, const TWayPointList& plan,
                   const TRSBNList& beacons, std::shared_ptr<const TBaseMap> baseMap,
                   const QString& title, const TMapTexts& texts) {
    TMapScene scene(plan, beacons);
    scene.Texts = texts;
    scene.SetBaseMap(std::move(baseMap));
    // Screen pixels at 96 an inch, so that lines and symbols keep their sizes on paper.
    const double k = painter.device()->logicalDpiX() / 96.0;
    painter.save();
    painter.translate(area.topLeft());
    painter.scale(k, k);
    const QSizeF size = area.size() / k;
    QFont font = painter.font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    const double titleHeight = QFontMetricsF(font).height() + 6;
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 0, size.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop, title);
    const QSizeF mapSize(size.width(), size.height() - titleHeight);
    painter.translate(0, titleHeight);
    painter.setClipRect(QRectF(QPointF(0, 0), mapSize));
    scene.Paint(painter, TMapScene::Fit(scene.FitBounds(), mapSize, kFitMarginPx));
    painter.setClipping(false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(0, 0), mapSize));
    painter.restore();
}

void PrintRouteMapPage(QPrinter& printer, QPainter& painter, const TWayPointList& plan,
                       const TRSBNList& beacons, std::shared_ptr<const TBaseMap> baseMap,
                       const QString& title, const TMapTexts& texts) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.newPage();
    const QRectF area(0, 0, printer.width(), printer.height());
    PaintRouteMap(painter, area, plan, beacons, std::move(baseMap), title, texts);
}

} // namespace kestrun
