#include "ui/progress.h"

namespace kestrun {

TCommandProgress::TCommandProgress(QWidget* parent, const QString& title, const QString& label,
                                   const QString& cancel, int delayMs)
    : Dialog_(label, cancel, 0, 1, parent) {
    Dialog_.setObjectName(QStringLiteral("ProgressDialog"));
    // A title bar with the command's name whole, and closing it cancels as Cancel does.
    Dialog_.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    Dialog_.setWindowTitle(title);
    Dialog_.setMinimumWidth(Dialog_.fontMetrics().horizontalAdvance(title) + 160);
    Dialog_.setWindowModality(Qt::WindowModal); // its setValue then lets Cancel be clicked
    Dialog_.setMinimumDuration(delayMs);
    // The dialog stays at its end until the command has finished with the result, and a
    // Cancel clicked at the very end still counts.
    Dialog_.setAutoReset(false);
    Dialog_.setAutoClose(false);
}

TProgress TCommandProgress::Callback() {
    return [this](int done, int total) {
        if (Dialog_.maximum() != total) Dialog_.setMaximum(total);
        Dialog_.setValue(done);
        return !Dialog_.wasCanceled();
    };
}

} // namespace kestrun
