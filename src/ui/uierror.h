// How the desktop program shows a failure: a message box with the failure's text, after which
// the program goes on.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

namespace kestrun {

/// The text of a failure as the user reads it, with the place on a second line when known.
QString ErrorMessage(const std::exception& e);

/// Where messages for the user go; the default shows a message box over the active window.
using TMessageReporter = std::function<void(const QString& text)>;
/// Installs a reporter (an empty one restores the message box); returns the previous one.
TMessageReporter SetMessageReporter(TMessageReporter reporter);

/// Shows a message for the user.
void ReportMessage(const QString& text);
/// Shows the message of a failure.
void ReportError(const std::exception& e);

/// Runs `f`; a failure ends it at the failing step and its message is shown as ReportError
/// shows it, without unwinding through Qt's own frames on the way.
template <class F> void RunReported(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

/// The application with the default error handler: an exception that leaves an event handler
/// is shown as a message and the event loop goes on.
class TKestrunApplication : public QApplication {
public:
    TKestrunApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kestrun
