// The frame the program's dialogs share: fixed size, placed where the design put it, and the
// 8-point font their pixel layout was made for.
#pragma once

#include <QDialog>
#include <QFont>

namespace kestrun {

/// Gives `dialog` a fixed-size dialog frame with a title bar and the `buttons` on it (none, or
/// system menu and close), the size and place of the design, and an 8-point font.
inline void SetUpFixedDialog(QDialog& dialog, Qt::WindowFlags buttons, QSize size, QPoint at) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | buttons);
    dialog.setFixedSize(size);
    // The windows are laid out in pixels for an 8-point font.
    QFont small = dialog.font();
    small.setPointSize(8);
    dialog.setFont(small);
    dialog.move(at);
}

} // namespace kestrun
