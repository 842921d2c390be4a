#include "ui/fm_about.h"

#include <QLabel>
#include <QPushButton>

#include "ui/fixeddialog.h"

namespace kestrun {

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmAbout"));
    // A frame without any title-bar button and without a title.
    SetUpFixedDialog(*this, {}, QSize(290, 149), QPoint(475, 451));
    setWindowTitle(QString());

    Label1 = new QLabel(QStringLiteral("Kestrun"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(104, 32);
    // The version and the credit line take the interface language's texts from the main window.
    lbVersion = new QLabel(this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->setGeometry(0, 48, 290, 14);
    lbVersion->setAlignment(Qt::AlignHCenter);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 64, 290, 14);
    Label2->setAlignment(Qt::AlignHCenter);

    BitBtn1 = new QPushButton(QStringLiteral("Закрыть"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(96, 104, 97, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmAbout::BitBtn1Click);
}

void TfmAbout::BitBtn1Click() {
    accept();
}

} // namespace kestrun
