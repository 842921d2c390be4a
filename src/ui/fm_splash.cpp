#include "ui/fm_splash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace kestrun {

QPixmap TfmSplash::Picture(const QString& tagline) {
    QPixmap pm(310, 80);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 80);
    sky.setColorAt(0, QColor(24, 52, 96));
    sky.setColorAt(1, QColor(96, 150, 210));
    p.fillRect(pm.rect(), sky);
    // A great circle over the horizon and a beacon's range rings.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (int r = 10; r <= 40; r += 10) p.drawEllipse(QPoint(262, 44), r, r * 3 / 4);
    p.setPen(QPen(QColor(255, 210, 80), 2));
    QPainterPath route;
    route.moveTo(12, 70);
    route.quadTo(150, 4, 300, 52);
    p.drawPath(route);
    p.setBrush(QColor(255, 210, 80));
    p.drawEllipse(QPoint(262, 44), 3, 3);
    QFont f(QStringLiteral("Sans Serif"), 20, QFont::Bold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(14, 6, 200, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kestrun"));
    QFont small(QStringLiteral("Sans Serif"), 8);
    p.setFont(small);
    p.drawText(QRect(16, 44, 240, 16), Qt::AlignLeft | Qt::AlignVCenter, tagline);
    return pm;
}

TfmSplash::TfmSplash(const QString& tagline)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fmSplash"));
    setFixedSize(314, 84);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this);
    // A two-pixel lowered bevel round the 310 x 80 picture fills the 314 x 84 window exactly.
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(0, 0, 0, 0);
    auto* image = new QLabel(panel);
    image->setPixmap(Picture(tagline));
    inner->addWidget(image);
    layout->addWidget(panel);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace kestrun
