// The splash window shown while the program starts: a picture of our own, drawn at creation.
#pragma once

#include <QWidget>

namespace kestrun {

class TfmSplash : public QWidget {
    Q_OBJECT
public:
    TfmSplash();
    /// The 310 x 80 picture.
    static QPixmap Picture();
};

} // namespace kestrun
