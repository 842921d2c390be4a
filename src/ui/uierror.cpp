#include "ui/uierror.h"

#include <QMessageBox>

#include "base/error.h"
#include "ui/qtext.h"

namespace kestrun {

namespace {

TMessageReporter& Reporter() {
    static TMessageReporter reporter;
    return reporter;
}

} // namespace

QString ErrorMessage(const std::exception& e) {
    QString text = Utf8ToQ(ErrorText(e));
    const std::string where = ErrorWhere(e);
    if (!where.empty()) text += QLatin1Char('\n') + Utf8ToQ(where);
    return text;
}

TMessageReporter SetMessageReporter(TMessageReporter reporter) {
    TMessageReporter previous = std::move(Reporter());
    Reporter() = std::move(reporter);
    return previous;
}

void ReportMessage(const QString& text) {
    if (Reporter()) {
        Reporter()(text);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

void ReportError(const std::exception& e) {
    ReportMessage(ErrorMessage(e));
}

bool TKestrunApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(e);
    }
    return false;
}

} // namespace kestrun
