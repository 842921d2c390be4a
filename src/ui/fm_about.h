// The About window.
#pragma once

#include <QDialog>

namespace kestrun {

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent = nullptr);
};

} // namespace kestrun
