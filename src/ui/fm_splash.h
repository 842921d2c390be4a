// The splash window shown while the program starts: a picture of our own, drawn at creation.
#pragma once

#include <QWidget>

namespace kestrun {

class TfmSplash : public QWidget {
    Q_OBJECT
public:
    /// The splash window with `tagline` under the program's name.
    explicit TfmSplash(const QString& tagline);
    /// The 310 x 80 picture.
    static QPixmap Picture(const QString& tagline);
};

} // namespace kestrun
