#include "ui/fm_help.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/fileio.h"
#include "ui/qtext.h"
#include "ui/world.h"

namespace kestrun {

TfmHelp::TfmHelp(TKestrunWorld& world, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmHelp"));
    resize(459, 384);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QStringLiteral(
        "Простой Kestrun.\n\nПо введенному или импортированному из FS2004 флайт-плану, "
        "калькулятор\nрасчитывает навигационные элементы для полетов по маякам РСБН.\n\n"));
    layout->addWidget(Memo1);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    layout->addWidget(close, 0, Qt::AlignHCenter);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    try {
        if (auto found = world.Locations.Find(TDataFile::Help))
            Memo1->setPlainText(ToQ(ReadFileBytes(found->string())));
    } catch (const std::exception&) {
        // an unreadable help file leaves the built-in text
    }
}

} // namespace kestrun
