// The settings window: the interface language, the beacon database, the support-point panel and
// the default support point. The check box and the radio group take effect at once; Ok writes
// RSBN.cfg back where it was read, reloads the beacons (choosing them anew when the database
// changed) and applies the language; Cancel, or Escape, drops the typed language and path.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrun {

struct TKestrunWorld;
class TfmMain;

class TfmConfig : public QDialog {
    Q_OBJECT
public:
    /// Creation selects the settings' panel state and default support point (both take effect
    /// in the main window through the controls' click rules) and clears the modified mark.
    TfmConfig(TKestrunWorld& world, TfmMain& main);

    TKestrunWorld& World;
    TfmMain& Main;

    QFrame* Panel1 = nullptr;
    QLabel* lbInterfaceLanguage = nullptr;
    QComboBox* cbLanguage = nullptr;
    QLineEdit* edRSBNFilePath = nullptr;
    QPushButton* btPathFinder = nullptr;
    QCheckBox* cbViewSPPanel = nullptr;
    QGroupBox* rgSupportPoint = nullptr;
    QButtonGroup* rgSupportPointItems = nullptr;
    QPushButton* BitBtn1 = nullptr; // Ok
    QPushButton* BitBtn3 = nullptr; // Cancel, the default button

    /// Picks the beacon file: the dialog opens in the saved file's folder with the "*.csv"
    /// entry for the shipped database's name, "*.dat" for a .dat file and "*.cfg" for any other.
    void btPathFinderClick();
    void cbViewSPPanelClick();
    void rgSupportPointClick(int item);
    /// Ok: saves the settings, reloads the beacon database and applies the language. The
    /// beacons are chosen anew only when the database changed; a database that cannot be read
    /// is kept as it was, and the rest is done all the same.
    void BitBtn1Click();
    void BitBtn3Click();

    /// The filter entry the beacon file dialog uses next (0 "*.csv", 1 "*.cfg", 2 "*.dat"); it
    /// stays as it was when no beacon file is saved.
    int BeaconFilterIndex = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void FitCheckBoxCaption();
    void ReloadBeacons();
};

} // namespace kestrun
