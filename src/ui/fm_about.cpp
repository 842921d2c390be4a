#include "ui/fm_about.h"

#include <QLabel>
#include <QPushButton>

#include "settings/spverinfo.h"
#include "ui/fixeddialog.h"
#include "ui/qtext.h"

namespace kestrun {

TfmAbout::TfmAbout(const TVerInfo& verInfo, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmAbout"));
    // A frame without any title-bar button and without a title.
    SetUpFixedDialog(*this, {}, QSize(290, 149), QPoint(475, 451));
    setWindowTitle(QString());

    Label1 = new QLabel(QStringLiteral("Kestrun"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(104, 32);
    lbVersion = new QLabel(ToQ(VersionText(verInfo.FileVersion, verInfo.FileDate)), this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->setGeometry(0, 48, 290, 14);
    lbVersion->setAlignment(Qt::AlignHCenter);
    Label2 = new QLabel(QStringLiteral("The Kestrun developers, 2025-2026"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(64, 64);

    BitBtn1 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(96, 104, 97, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmAbout::BitBtn1Click);
}

void TfmAbout::BitBtn1Click() {
    accept();
}

} // namespace kestrun
