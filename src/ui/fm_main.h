// The main window: tool bar, support-point selector, the two plan grids on tabs, the totals, the
// status bar and the menu. Every command is one QAction, shared by the menu, the tool bar and
// its shortcut; every change of the plan goes through the document (Doc), whose undo stack
// decides the modified mark, and RefreshTotals follows each one.
//
//   fm_main.cpp        the window, its actions, captions and remembered state
//   fm_main_edit.cpp   grid keys, copying, the support point, automatic beacon choice
//   fm_main_file.cpp   file commands, recent files, dropped files, the unsaved-work question
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <functional>
#include <string>
#include <vector>

#include "ui/plandoc.h"
#include "ui/plangrid.h"
#include "ui/printplan.h"

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QSettings;
class QTabWidget;
class QToolBar;

namespace kestrun {

struct TKestrunWorld;
class TfmConfig;
class TfmAbout;
class TfmHelp;
class TMapView;

class TfmMain : public QMainWindow, public IPlanGridHandler {
    Q_OBJECT
public:
    /// Creates the window and runs its creation steps. A step that fails leaves its message,
    /// shown once the window is on the screen, and the creation goes on with the next step.
    explicit TfmMain(TKestrunWorld& world, QWidget* parent = nullptr);
    ~TfmMain() override;

    TKestrunWorld& World;
    /// The plan as the window edits it; its undo stack's clean state is the modified mark.
    TPlanDocument Doc;

    // The other windows, set by the program's entry after their creation.
    TfmConfig* fmConfig = nullptr;
    TfmAbout* fmAbout = nullptr;
    TfmHelp* fmHelp = nullptr;

    /// The name of the file last imported, opened or saved, shown in the first status panel.
    QString CurrentFileName;
    /// The current plan file: the save dialog's file name. Empty: the next save asks for one.
    QString PlanFileName;
    /// The plans last opened or imported, newest first (at most 8).
    QStringList RecentFiles;

    /// Rewrites the totals labels and the status bar.
    void RefreshTotals();
    /// Reads a language file of the Language folder ("Russian.lng") and sets every caption.
    void ApplyLanguage(const std::string& fileName);
    /// Sets every caption of the program's windows from the current interface texts.
    void ApplyCaptions();
    /// The current interface text of a key.
    QString Text(const char* key) const;
    /// The beacon database was reloaded: an open picker goes, as its items named the old list.
    void BeaconsReloaded();
    /// Selects an item of the support-point selector (0 end waypoint, 1 traverse), which runs
    /// its click rule.
    void SelectSupportPoint(int item);
    /// Shows or hides the support-point selector; the panel under the tool bar follows.
    void ShowSupportPointPanel(bool visible);
    /// Shows a short note in the first status panel until the next change of the plan.
    void ShowNote(const QString& text);

    /// The version line: `format` (the text sVersion) with the parts of the file version and
    /// the file date put in: "Version: 1.2; release: 3; build: 4 (2026-01-31)".
    static QString VersionCaption(const QString& format, const std::string& fileVersion,
                                  const std::string& fileDate);
    /// The title: ".:: Kestrun ::.       " and the version line.
    static QString TitleText(const QString& format, const std::string& fileVersion,
                             const std::string& fileDate);

    /// The answer to the question before unsaved work would be dropped.
    enum class TAnswer { Save, Discard, Cancel };
    /// Asks the question with Save, Discard and Cancel; tests replace the message box.
    std::function<TAnswer(const QString& question)> Ask;
    /// Before a command drops a modified plan: asks, and saves when told to. True when the
    /// command may go on; a cancelled or failed save stops it.
    bool MaybeSave(const QString& question);
    /// How long a command that can be cancelled runs before its progress dialog shows.
    int ProgressDelayMs = 200;

    // ---- controls, named as the program names them ----
    QMenuBar* MainMenu = nullptr;
    QMenuBar* HelpMenuBar = nullptr; // at the right end of the menu bar
    QMenu *mFile = nullptr, *mEdit = nullptr, *mOptions = nullptr, *mHelp = nullptr,
          *mRecent = nullptr;
    QAction *mNew = nullptr, *mImportFP = nullptr, *mOpenRSBN = nullptr, *mSaveRSBN = nullptr,
            *mSaveRSBN_as = nullptr, *mPrint = nullptr, *mPrintPreview = nullptr,
            *mExportPDF = nullptr, *mExport = nullptr, *mExportGPX = nullptr, *mExportKML = nullptr,
            *mExportMap = nullptr, *mExit = nullptr;
    /// Checked: the printout (print, preview, PDF) ends with a landscape page of the route's
    /// map. Remembered with the window's state.
    QAction* mPrintMap = nullptr;
    /// File -> Export: the navigator's helper, PDF, GPX, KML, the map and the simulators'
    /// flight plans.
    QMenu* mExports = nullptr;
    QAction *mExportPLN = nullptr, *mExportFMS = nullptr, *mExportLnmPlan = nullptr;
    QAction *mUndo = nullptr, *mRedo = nullptr, *mCopy = nullptr;
    QAction *mAutoSelect = nullptr, *mSettings = nullptr, *mRefer = nullptr, *mAbout = nullptr;
    QToolBar* CoolBar1 = nullptr;
    QFrame* Panel1 = nullptr;
    QGroupBox* rgSupportPoint = nullptr;
    QButtonGroup* rgSupportPointItems = nullptr;
    QTabWidget* pcMain = nullptr;
    QWidget *tsRSBN = nullptr, *tsNVU = nullptr, *tsMap = nullptr;
    TPlanGrid *sgRSBN = nullptr, *sgNVU = nullptr;
    /// The map of the route and the beacons; its current leg follows the grids' current row.
    TMapView* mapView = nullptr;
    QFrame* pnInfo = nullptr;
    QLabel *lbTotalDistance = nullptr, *lbFork = nullptr;
    QLabel* StatusPanels[3] = {};

    // ---- commands ----
    void mAutoSelectClick();
    void mSettingsClick();
    void mAboutClick();
    void mReferClick();
    void mExitClick();
    void mCopyClick();

    // File commands (fm_main_file.cpp).
    void mNewClick();
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
    void mExportPLNClick();
    void mExportFMSClick();
    void mExportLnmPlanClick();
    void mExportMapClick();
    /// Opens a file named on the command line, in the recent list or dropped on the window: a
    /// plan file (.rbf in any letter case) is opened, any other file imported as a flight plan.
    /// Raises what the reader raises.
    void OpenFile(const QString& fileName);
    /// The same after the unsaved-work question; an error is shown as every command's is.
    void OpenFileCommand(const QString& fileName);

    // ---- grid editing ----
    bool GridKeyDown(TPlanGrid& grid, QKeyEvent& key) override;
    void rgSupportPointClick(int item);
    /// The copied text: the selected cells of the current grid, or all of it when a single
    /// cell is selected, tab-separated, with the headings first.
    QString CopyText() const;

    /// Where the window keeps its own state (geometry, column widths, recent files): a file of
    /// its own beside RSBN.cfg.
    QString StateFile() const;

signals:
    /// The window closed: the program ends.
    void Closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateControls();
    void FormCreate();
    void FormActivate();
    /// Runs one creation step; a failure is kept until the window is shown.
    void Step(const std::function<void()>& step);
    void ShowPendingMessages();
    void ReadState();
    void WriteState() const;
    void FitIntoScreen();
    void RebuildRecentMenu();
    void AddRecentFile(const QString& fileName);
    TPlanGrid* CurrentGrid() const;
    /// The map's wiring: the current row both ways, a clicked beacon assigned to the current
    /// leg (one command of the undo stack), the plan's changes.
    void ConnectMap();
    /// The map page after the table's, when the printout asks for one (else nothing).
    TPrintAfter MapPage();

    /// Qt's own texts (file and print dialogs) in the interface language, where Qt has them.
    void ApplyQtTranslation(const std::string& languageFile);

    QTranslator QtTexts_;
    bool FirstActivation_ = true;
    bool FrameFitted_ = false; // fitted with the window manager's frame known
    bool ExitConfirmed_ = false;
    bool MessagesQueued_ = false;
    QString Note_;
    std::vector<QString> PendingMessages_;
};

} // namespace kestrun
