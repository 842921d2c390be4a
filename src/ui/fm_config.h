// The settings window.
#pragma once

#include <QDialog>

namespace kestrun {

struct TKestrunWorld;
class TfmMain;

class TfmConfig : public QDialog {
    Q_OBJECT
public:
    /// Creation selects the default support point of the settings in the main window (which
    /// sets the plan's support-point kind) and clears the modified mark.
    TfmConfig(TKestrunWorld& world, TfmMain& main);

    TKestrunWorld& World;
    TfmMain& Main;
};

} // namespace kestrun
