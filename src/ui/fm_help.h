// The help window: the text of "RSBNHelp.txt", or a short built-in text.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace kestrun {

struct TKestrunWorld;

class TfmHelp : public QDialog {
    Q_OBJECT
public:
    TfmHelp(TKestrunWorld& world, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
};

} // namespace kestrun
