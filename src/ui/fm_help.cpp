#include "ui/fm_help.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include "base/fileio.h"
#include "ui/fixeddialog.h"
#include "ui/qtext.h"
#include "ui/world.h"

namespace kestrun {

TfmHelp::TfmHelp(TKestrunWorld& world, QWidget* parent) : QDialog(parent), World(world) {
    setObjectName(QStringLiteral("fmHelp"));
    SetUpFixedDialog(*this, Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint, QSize(459, 384),
                     QPoint(341, 103));
    setWindowTitle(QString());

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, 459, 337);
    Memo1->setReadOnly(true); // so Enter inserts no line break either
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth); // a paragraph is one line of the file

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 337, 459, 47);
    BitBtn1 = new QPushButton(QStringLiteral("Закрыть"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(184, 16, 89, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmHelp::BitBtn1Click);

    LoadHelpText();
}

void TfmHelp::LoadHelpText() {
    // The help file replaces the whole text, also when it is empty; a file that cannot be read
    // leaves the built-in text, without a message.
    QString text = BuiltInText();
    if (auto found = World.Locations.FindHelp(World.Config.Language)) {
        try {
            text = HelpFileText(*found);
        } catch (const std::exception&) {
        }
    }
    // Opened again in the same language, the text stays where it was scrolled to.
    if (text != Memo1->toPlainText()) Memo1->setPlainText(text);
}

void TfmHelp::showEvent(QShowEvent* event) {
    // The language may have been changed in the settings since the window was last shown.
    LoadHelpText();
    QDialog::showEvent(event);
}

void TfmHelp::BitBtn1Click() {
    close();
}

QString TfmHelp::BuiltInText() {
    return QStringList{QStringLiteral("Простой Kestrun."),
                       QString(),
                       QStringLiteral("По введенному или импортированному из FS2004 "
                                      "флайт-плану, калькулятор"),
                       QStringLiteral("расчитывает навигационные элементы для полетов по "
                                      "маякам РСБН."),
                       QString(),
                       QString()}
        .join(QLatin1Char('\n'));
}

QString TfmHelp::HelpFileText(const std::filesystem::path& path) {
    const std::string bytes = ReadFileBytes(path);
    // Lines end at CR LF, LF or CR; a final line end starts no further line.
    QStringList lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines << ToQ(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines << ToQ(line);
    return lines.join(QLatin1Char('\n'));
}

} // namespace kestrun
