// Feedback for a command that takes long: the busy cursor while it runs and, for a command
// that can be stopped, a progress dialog with Cancel, shown only once the command looks like
// taking longer than a short moment (Qt's minimum duration).
#pragma once

#include <QApplication>
#include <QProgressDialog>

#include "plan/fltpln.h"

namespace kestrun {

/// The override cursor for as long as it lives.
class TBusyCursor {
public:
    explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) {
        QApplication::setOverrideCursor(shape);
    }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

/// A command that can be cancelled: the busy cursor (the pointer still reaches Cancel) and a
/// progress dialog, modal to `parent`, from creation to destruction. The dialog shows once the
/// command has run for `delayMs` or looks like running longer.
class TCommandProgress {
public:
    TCommandProgress(QWidget* parent, const QString& title, const QString& label,
                     const QString& cancel, int delayMs);
    /// The core's progress callback: moves the bar and lets the user reach Cancel; false once
    /// the user has cancelled.
    TProgress Callback();

private:
    TBusyCursor Cursor_{Qt::BusyCursor};
    QProgressDialog Dialog_;
};

} // namespace kestrun
