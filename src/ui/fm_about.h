// The About window: the program's name, its version and its author line.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kestrun {

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* lbVersion = nullptr; // the running program's version line
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Закрыть"

    void BitBtn1Click();
};

} // namespace kestrun
