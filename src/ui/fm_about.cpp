#include "ui/fm_about.h"

#include <QLabel>
#include <QPushButton>

namespace kestrun {

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmAbout"));
    setFixedSize(290, 149);
    auto* name = new QLabel(QStringLiteral("Kestrun"), this);
    name->move(104, 32);
    auto* author = new QLabel(QStringLiteral("The Kestrun developers, 2026"), this);
    author->move(64, 64);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    close->setGeometry(96, 104, 97, 25);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace kestrun
