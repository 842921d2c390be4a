// The main window: tool bar, support-point selector, the two plan grids on two tabs, the totals,
// the status bar and the menu. RefreshTotals is the one place where the totals, the status bar
// and the grids are brought up to date after any change of the plan.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "ui/plangrid.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace kestrun {

struct TKestrunWorld;
class TBeaconPicker;
class TfmConfig;
class TfmAbout;
class TfmHelp;

class TfmMain : public QMainWindow, public IPlanGridHandler {
    Q_OBJECT
public:
    /// Creates the window and runs its creation steps. A step that fails leaves its message,
    /// shown once the window is on the screen, and the creation goes on with the next step.
    explicit TfmMain(TKestrunWorld& world, QWidget* parent = nullptr);
    ~TfmMain() override;

    TKestrunWorld& World;

    // The other windows, set by the program's entry after their creation.
    TfmConfig* fmConfig = nullptr;
    TfmAbout* fmAbout = nullptr;
    TfmHelp* fmHelp = nullptr;

    /// The name of the file last imported, opened or saved, shown in the first status panel.
    QString CurrentFileName;
    /// The current plan file: the save dialog's file name. Empty: the next save asks for one.
    QString PlanFileName;

    /// Rewrites the totals labels and the status bar and repaints both grids.
    void RefreshTotals();
    /// Reads a language file of the Language folder ("Russian.lng") and sets every caption.
    void ApplyLanguage(const std::string& fileName);
    /// Row count of both grids := number of waypoints + 1.
    void SetGridRowCounts();
    /// The beacon database was reloaded: the picker's items follow it.
    void BeaconsReloaded();
    /// Selects an item of the support-point selector (0 end waypoint, 1 traverse), which runs
    /// its click rule.
    void SelectSupportPoint(int item);
    /// Shows or hides the support-point selector; the panel under the tool bar follows.
    void ShowSupportPointPanel(bool visible);

    /// The title built from the version information: ".:: Kestrun ::.       Version: 1.2;
    /// release: 3; build: 4 (2026-01-31)".
    static QString TitleText(const std::string& fileVersion, const std::string& fileDate);

    /// Asks whether to leave with an unsaved plan; true for OK. Tests replace the message box.
    std::function<bool(const QString& question)> AskExit;

    // ---- controls, named as the program names them ----
    QMenuBar* MainMenu = nullptr;
    QMenuBar* HelpMenuBar = nullptr; // at the right end of the menu bar
    QMenu *mFile = nullptr, *mOptions = nullptr, *mHelp = nullptr;
    QAction *mImportFP = nullptr, *mOpenRSBN = nullptr, *mSaveRSBN = nullptr,
            *mSaveRSBN_as = nullptr, *mPrint = nullptr, *mPrintPreview = nullptr,
            *mExportPDF = nullptr, *mExport = nullptr, *mExportGPX = nullptr, *mExportKML = nullptr,
            *mExit = nullptr;
    QAction *mAutoSelect = nullptr, *mSettings = nullptr, *mRefer = nullptr, *mAbout = nullptr;
    QToolBar* CoolBar1 = nullptr;
    QToolButton *sbImport = nullptr, *sbOpen = nullptr, *sbSave = nullptr, *sbAutoSelect = nullptr,
                *sbPrint = nullptr, *sbExportToNH = nullptr;
    QFrame* Panel1 = nullptr;
    QGroupBox* rgSupportPoint = nullptr;
    QButtonGroup* rgSupportPointItems = nullptr;
    QTabWidget* pcMain = nullptr;
    QWidget *tsRSBN = nullptr, *tsNVU = nullptr;
    TPlanGrid *sgRSBN = nullptr, *sgNVU = nullptr;
    QComboBox* cbRSBNMode = nullptr;
    TBeaconPicker* cbRSBN = nullptr;
    QFrame* pnInfo = nullptr;
    QLabel *lbTotalDistance = nullptr, *lbFork = nullptr;
    QLabel* StatusPanels[3] = {};

    // ---- commands ----
    void mAutoSelectClick();
    void mSettingsClick();
    void mAboutClick();
    void mReferClick();
    void mExitClick();

    // File commands (fm_main_file.cpp).
    void mImportFPClick();
    void mOpenRSBNClick();
    void mSaveRSBNClick();
    void mSaveRSBN_asClick();
    void mPrintClick();
    void mPrintPreviewClick();
    void mExportPDFClick();
    void mExportClick();
    void mExportGPXClick();
    void mExportKMLClick();
    /// Opens a file named on the command line (as the desktop passes it): a plan file (.rbf in
    /// any letter case) is opened, any other file imported as a flight plan.
    void OpenFile(const QString& fileName);

    // ---- grid editing and the beacon picker ----
    QString GridGetEditText(TPlanGrid& grid, int col, int row) override;
    void GridSetEditText(TPlanGrid& grid, int col, int row, const QString& text,
                         bool editorOpen) override;
    bool GridKeyDown(TPlanGrid& grid, QKeyEvent& key) override;
    void sgRSBNSelectCell(TPlanGrid& grid, int col, int row);
    /// Lays the beacon picker over the current beacon cell of sgRSBN, with the leg's own beacon
    /// selected, and gives it the input focus.
    void OpenBeaconPicker();
    void cbRSBNDropDown();
    void cbRSBNChange(int item);
    void cbRSBNExit();
    void cbRSBNKeyDown();
    void rgSupportPointClick(int item);

signals:
    /// The window closed: the program ends.
    void Closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void FormCreate();
    void FormActivate();
    /// Runs one creation step; a failure is kept until the window is shown.
    void Step(const std::function<void()>& step);
    void CommitBeacon(int item);
    void ShowPendingMessages();

    bool FirstActivation_ = true;
    bool ExitConfirmed_ = false;
    bool MessagesQueued_ = false;
    bool Committing_ = false;
    int PickerRow_ = 0;
    std::vector<QString> PendingMessages_;
};

} // namespace kestrun
