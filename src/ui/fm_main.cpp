#include "ui/fm_main.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>

#include "base/error.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "ui/fm_about.h"
#include "ui/fm_config.h"
#include "ui/fm_help.h"
#include "ui/mapview.h"
#include "ui/qtext.h"
#include "ui/supportpoint.h"
#include "ui/uierror.h"
#include "ui/world.h"

// Resources of a static library are registered by name, outside any namespace.
static void InitResources() {
    Q_INIT_RESOURCE(kestrun);
}

namespace kestrun {

namespace {

double Degrees(double radians) {
    return static_cast<double>(radians * kRadToDeg);
}

// One command: its icon from the desktop's theme, else the bundled one, and its shortcuts.
QAction* Command(QWidget* owner, const char* name, const char* themeIcon, const char* fallback,
                 const QList<QKeySequence>& keys = {}) {
    auto* a = new QAction(owner);
    a->setObjectName(QLatin1String(name));
    if (themeIcon)
        a->setIcon(QIcon::fromTheme(
            QLatin1String(themeIcon),
            QIcon(QStringLiteral(":/icons/icons/%1.svg").arg(QLatin1String(fallback)))));
    a->setShortcuts(keys);
    owner->addAction(a);
    return a;
}

} // namespace

QString TfmMain::VersionCaption(const QString& format, const std::string& fileVersion,
                                const std::string& fileDate) {
    const TVersionParts v = SplitFileVersion(fileVersion);
    return format.arg(ToQ(v.Version), ToQ(v.Release), ToQ(v.Build), ToQ(fileDate));
}

QString TfmMain::TitleText(const QString& format, const std::string& fileVersion,
                           const std::string& fileDate) {
    return QStringLiteral(".:: Kestrun ::.       ") + VersionCaption(format, fileVersion, fileDate);
}

TfmMain::TfmMain(TKestrunWorld& world, QWidget* parent)
    : QMainWindow(parent), World(world), Doc(world.WayPointList) {
    InitResources();
    setObjectName(QStringLiteral("fmMain"));
    QIcon icon(QStringLiteral(":/icons/kestrun.svg"));
    icon.addFile(QStringLiteral(":/icons/kestrun-256.png"));
    setWindowIcon(icon);
    setAcceptDrops(true);
    Ask = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, Text("sConfirm"), question,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("SaveQuestion"));
        box.button(QMessageBox::Save)->setText(Text("sButton_Save"));
        box.button(QMessageBox::Discard)->setText(Text("sButton_Discard"));
        box.button(QMessageBox::Cancel)->setText(Text("sButton_Cancel"));
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Save:
            return TAnswer::Save;
        case QMessageBox::Discard:
            return TAnswer::Discard;
        default:
            return TAnswer::Cancel;
        }
    };
    CreateActions();
    CreateControls();
    connect(&Doc, &TPlanDocument::Changed, this, &TfmMain::RefreshTotals);
    connect(&Doc.Stack, &QUndoStack::cleanChanged, this, &TfmMain::RefreshTotals);
    FormCreate();
    ReadState();
    sgRSBN->setFocus(); // the pilot types into the grid from the start
}

TfmMain::~TfmMain() {
    // An editor still open hands its text back while this is still the main window; then the
    // grids go before the window's own parts.
    sgRSBN->CloseEditor();
    sgNVU->CloseEditor();
    delete sgRSBN;
    delete sgNVU;
}

void TfmMain::CreateActions() {
    mNew = Command(this, "mNew", "document-new", "new", {QKeySequence::New});
    mImportFP = Command(this, "mImportFP", "document-import", "import",
                        {QKeySequence(Qt::CTRL | Qt::Key_I)});
    mOpenRSBN = Command(this, "mOpenRSBN", "document-open", "open", {QKeySequence::Open});
    mSaveRSBN = Command(this, "mSaveRSBN", "document-save", "save", {QKeySequence::Save});
    mSaveRSBN_as = Command(this, "mSaveRSBN_as", nullptr, nullptr);
    mPrint = Command(this, "mPrint", "document-print", "print", {QKeySequence::Print});
    mPrintPreview = Command(this, "mPrintPreview", nullptr, nullptr);
    mExportPDF = Command(this, "mExportPDF", nullptr, nullptr);
    mExport = Command(this, "mExport", "document-export", "export");
    mExportGPX = Command(this, "mExportGPX", nullptr, nullptr);
    mExportKML = Command(this, "mExportKML", nullptr, nullptr);
    mExportPLN = Command(this, "mExportPLN", nullptr, nullptr);
    mExportFMS = Command(this, "mExportFMS", nullptr, nullptr);
    mExportLnmPlan = Command(this, "mExportLnmPlan", nullptr, nullptr);
    mExportMap = Command(this, "mExportMap", nullptr, nullptr);
    mPrintMap = Command(this, "mPrintMap", nullptr, nullptr);
    mPrintMap->setCheckable(true);
    mExit = Command(this, "mExit", nullptr, nullptr, {QKeySequence(Qt::CTRL | Qt::Key_X)});
    // Ctrl+X cuts text inside a cell editor (which takes the key first); elsewhere it leaves.
    mUndo = Command(this, "mUndo", "edit-undo", "undo", {QKeySequence::Undo});
    mRedo = Command(
        this, "mRedo", "edit-redo", "redo",
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    mCopy = Command(this, "mCopy", "edit-copy", "copy", {QKeySequence::Copy});
    mAutoSelect = Command(this, "mAutoSelect", "system-run", "autoselect");
    mSettings = Command(this, "mSettings", nullptr, nullptr);
    mRefer = Command(this, "mRefer", nullptr, nullptr);
    mAbout = Command(this, "mAbout", nullptr, nullptr);

    connect(mNew, &QAction::triggered, this, &TfmMain::mNewClick);
    connect(mImportFP, &QAction::triggered, this, &TfmMain::mImportFPClick);
    connect(mOpenRSBN, &QAction::triggered, this, &TfmMain::mOpenRSBNClick);
    connect(mSaveRSBN, &QAction::triggered, this, &TfmMain::mSaveRSBNClick);
    connect(mSaveRSBN_as, &QAction::triggered, this, &TfmMain::mSaveRSBN_asClick);
    connect(mPrint, &QAction::triggered, this, &TfmMain::mPrintClick);
    connect(mPrintPreview, &QAction::triggered, this, &TfmMain::mPrintPreviewClick);
    connect(mExportPDF, &QAction::triggered, this, &TfmMain::mExportPDFClick);
    connect(mExport, &QAction::triggered, this, &TfmMain::mExportClick);
    connect(mExportGPX, &QAction::triggered, this, &TfmMain::mExportGPXClick);
    connect(mExportKML, &QAction::triggered, this, &TfmMain::mExportKMLClick);
    connect(mExportPLN, &QAction::triggered, this, &TfmMain::mExportPLNClick);
    connect(mExportFMS, &QAction::triggered, this, &TfmMain::mExportFMSClick);
    connect(mExportLnmPlan, &QAction::triggered, this, &TfmMain::mExportLnmPlanClick);
    connect(mExportMap, &QAction::triggered, this, &TfmMain::mExportMapClick);
    connect(mExit, &QAction::triggered, this, &TfmMain::mExitClick);
    connect(mUndo, &QAction::triggered, &Doc.Stack, &QUndoStack::undo);
    connect(mRedo, &QAction::triggered, &Doc.Stack, &QUndoStack::redo);
    connect(&Doc.Stack, &QUndoStack::canUndoChanged, mUndo, &QAction::setEnabled);
    connect(&Doc.Stack, &QUndoStack::canRedoChanged, mRedo, &QAction::setEnabled);
    mUndo->setEnabled(false);
    mRedo->setEnabled(false);
    connect(mCopy, &QAction::triggered, this, &TfmMain::mCopyClick);
    connect(mAutoSelect, &QAction::triggered, this, &TfmMain::mAutoSelectClick);
    connect(mSettings, &QAction::triggered, this, &TfmMain::mSettingsClick);
    connect(mRefer, &QAction::triggered, this, &TfmMain::mReferClick);
    connect(mAbout, &QAction::triggered, this, &TfmMain::mAboutClick);

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setNativeMenuBar(false);
    setMenuBar(MainMenu);
    mFile = MainMenu->addMenu(QString());
    mFile->setObjectName(QStringLiteral("mFile"));
    mFile->addAction(mNew);
    mFile->addAction(mImportFP);
    mFile->addSeparator();
    mFile->addAction(mOpenRSBN);
    mRecent = mFile->addMenu(QString());
    mRecent->setObjectName(QStringLiteral("mRecent"));
    mFile->addAction(mSaveRSBN);
    mFile->addAction(mSaveRSBN_as);
    mFile->addSeparator();
    mFile->addAction(mPrint);
    mFile->addAction(mPrintMap);
    mFile->addSeparator();
    mFile->addAction(mPrintPreview);
    mExports = mFile->addMenu(QString());
    mExports->setObjectName(QStringLiteral("mExports"));
    mExports->addActions({mExport, mExportPDF, mExportGPX, mExportKML, mExportMap});
    mExports->addSeparator(); // the simulators' own flight plans
    mExports->addActions({mExportPLN, mExportFMS, mExportLnmPlan});
    mFile->addSeparator();
    mFile->addAction(mExit);

    mEdit = MainMenu->addMenu(QString());
    mEdit->setObjectName(QStringLiteral("mEdit"));
    mEdit->addAction(mUndo);
    mEdit->addAction(mRedo);
    mEdit->addSeparator();
    mEdit->addAction(mCopy);

    mOptions = MainMenu->addMenu(QString());
    mOptions->setObjectName(QStringLiteral("mOptions"));
    mOptions->addAction(mAutoSelect);
    mOptions->addSeparator();
    mOptions->addAction(mSettings);

    // The Help menu stands at the right end of the menu bar.
    HelpMenuBar = new QMenuBar(MainMenu);
    HelpMenuBar->setObjectName(QStringLiteral("HelpMenuBar"));
    HelpMenuBar->setNativeMenuBar(false);
    mHelp = HelpMenuBar->addMenu(QString());
    mHelp->setObjectName(QStringLiteral("mHelp"));
    mHelp->addAction(mRefer);
    mHelp->addSeparator();
    mHelp->addAction(mAbout);
    MainMenu->setCornerWidget(HelpMenuBar, Qt::TopRightCorner);

    CoolBar1 = addToolBar(QString());
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setIconSize(QSize(16, 16));
    CoolBar1->addAction(mNew);
    CoolBar1->addAction(mImportFP);
    CoolBar1->addAction(mOpenRSBN);
    CoolBar1->addAction(mSaveRSBN);
    CoolBar1->addSeparator();
    CoolBar1->addAction(mAutoSelect);
    CoolBar1->addSeparator();
    CoolBar1->addAction(mPrint);
    CoolBar1->addAction(mExport);
    CoolBar1->addSeparator();
    CoolBar1->addAction(mUndo);
    CoolBar1->addAction(mRedo);
    RebuildRecentMenu();
}

void TfmMain::CreateControls() {
    resize(801, 629);
    if (const QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    rgSupportPoint = NewSupportPointGroup(Panel1, rgSupportPointItems);
    rgSupportPoint->setGeometry(2, 1, 185, 40);
    connect(rgSupportPointItems, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) rgSupportPointClick(id);
    });
    layout->addWidget(Panel1);

    pcMain = new QTabWidget(central);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    QFont bold = pcMain->tabBar()->font();
    bold.setBold(true);
    pcMain->tabBar()->setFont(bold);
    tsRSBN = new QWidget;
    tsRSBN->setObjectName(QStringLiteral("tsRSBN"));
    tsNVU = new QWidget;
    tsNVU->setObjectName(QStringLiteral("tsNVU"));
    tsMap = new QWidget;
    tsMap->setObjectName(QStringLiteral("tsMap"));
    pcMain->addTab(tsRSBN, QString());
    pcMain->addTab(tsNVU, QString());
    pcMain->addTab(tsMap, QString());
    layout->addWidget(pcMain, 1);

    sgRSBN = new TPlanGrid(QStringLiteral("sgRSBN"), Doc, RSBNColumns(), *this, &World.BeaconList,
                           tsRSBN);
    sgRSBN->UpperCaseKeys = true;
    auto* rsbnLayout = new QVBoxLayout(tsRSBN);
    rsbnLayout->setContentsMargins(0, 0, 0, 0);
    rsbnLayout->addWidget(sgRSBN);
    sgNVU = new TPlanGrid(QStringLiteral("sgNVU"), Doc, NVUColumns(), *this, nullptr, tsNVU);
    auto* nvuLayout = new QVBoxLayout(tsNVU);
    nvuLayout->setContentsMargins(0, 0, 0, 0);
    nvuLayout->addWidget(sgNVU);
    mapView = new TMapView(World.WayPointList, World.BeaconList, tsMap);
    auto* mapLayout = new QVBoxLayout(tsMap);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->addWidget(mapView);
    ConnectMap();
    for (TPlanGrid* g : {sgRSBN, sgNVU})
        connect(&g->Model(), &TPlanGridModel::PositionRefused, this,
                [this](const QString& text, int number) {
                    ShowNote(Text("sPositionRefused").arg(text.trimmed()).arg(number));
                });

    pnInfo = new QFrame(central);
    pnInfo->setObjectName(QStringLiteral("pnInfo"));
    pnInfo->setFixedHeight(43);
    lbTotalDistance = new QLabel(pnInfo);
    lbTotalDistance->setObjectName(QStringLiteral("lbTotalDistance"));
    lbTotalDistance->move(8, 8);
    lbFork = new QLabel(pnInfo);
    lbFork->setObjectName(QStringLiteral("lbFork"));
    lbFork->move(8, 24);
    layout->addWidget(pnInfo);
    setCentralWidget(central);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(19);
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(bar);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setAlignment(Qt::AlignCenter);
        StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // The first panel gives up room to the totals, which always show whole.
        bar->addWidget(StatusPanels[i], i == 0 ? 1 : 0);
    }
    StatusPanels[0]->setMinimumWidth(1);
    StatusPanels[0]->setMaximumWidth(480);
    StatusPanels[2]->setFixedWidth(50);
}

void TfmMain::Step(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        PendingMessages_.push_back(ErrorMessage(e));
    }
}

void TfmMain::FormCreate() {
    for (const std::string& m : World.StartupMessages) PendingMessages_.push_back(Utf8ToQ(m));
    Step([&] { ApplyLanguage(World.Config.Language + ".lng"); });
    Step([&] { SelectSupportPoint(World.WayPointList.SupPoint); });
    Step([&] {
        // Without the grid every declination is 0; the status bar says so.
        // A broken file is reported and the next place tried, as kestrun-cli does.
        World.MagDecLoaded = false;
        std::vector<EKestrunError> failures;
        const auto loaded = LoadFirstMagDecGrid(
            World.MagDecGrid, World.Locations.Candidates(TDataFile::MagDec), failures);
        for (const EKestrunError& e : failures) PendingMessages_.push_back(ErrorMessage(e));
        if (!loaded && failures.empty())
            RaiseCannotOpenFile(std::filesystem::path(DataFileName(TDataFile::MagDec)));
        World.MagDecLoaded = loaded.has_value();
    });
    Step([&] {
        Doc.Replace(
            [&] {
                World.WayPointList.Clear();
                World.WayPointList.AddWayPoint();
            },
            true);
    });
    Step([&] { ShowSupportPointPanel(World.Config.ViewSPPanel); });
    Step([&] { RefreshTotals(); });
}

QString TfmMain::Text(const char* key) const {
    return ToQ(World.Texts.Get(key));
}

void TfmMain::RefreshTotals() {
    const TWayPointList& plan = World.WayPointList;
    const double sum = Degrees(plan.SumForkMagDecl), course = Degrees(plan.FinalMagCourse);
    lbTotalDistance->setText(ToQ(Format(World.Texts.Get("sTotalDist"), {plan.TotalDist})));
    lbTotalDistance->adjustSize();
    lbFork->setText(ToQ(Format(World.Texts.Get("sFork"), {sum, course})));
    lbFork->adjustSize();
    SelectSupportPoint(plan.SupPoint);
    QString first = CurrentFileName;
    if (!World.MagDecLoaded) {
        const QString note = Text("sNoMagDec");
        first = first.isEmpty() ? note : first + QStringLiteral("  (") + note + QLatin1Char(')');
    }
    Note_.clear();
    StatusPanels[0]->setText(first);
    StatusPanels[0]->setToolTip(QString());
    StatusPanels[1]->setText(
        ToQ(Format(World.Texts.Get("sStatBarDist"), {plan.TotalDist, sum, course})));
    StatusPanels[1]->setMinimumWidth(std::max(240, StatusPanels[1]->sizeHint().width()));
    StatusPanels[2]->setText(Doc.Modified() ? QStringLiteral("*") : QString());
}

void TfmMain::ShowNote(const QString& text) {
    Note_ = text;
    StatusPanels[0]->setText(text);
    StatusPanels[0]->setToolTip(text);
}

void TfmMain::ApplyLanguage(const std::string& fileName) {
    World.Texts.LoadLanguageFile(LanguageFilePath(World.LanguageDir(), fileName));
    ApplyQtTranslation(fileName);
    ApplyCaptions();
}

void TfmMain::ApplyQtTranslation(const std::string& languageFile) {
    // A language file is named by the language's English name ("Russian.lng"), as Qt names it.
    QString name = QString::fromStdString(languageFile);
    name.chop(4);
    QCoreApplication::removeTranslator(&QtTexts_);
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) != 0) continue;
        // The file dialogs' dates, sizes and kinds of file follow the language too.
        QLocale::setDefault(QLocale(language));
        if (QtTexts_.load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(&QtTexts_);
        return;
    }
    QLocale::setDefault(QLocale::system());
}

void TfmMain::ApplyCaptions() {
    const TLanguageTexts& t = World.Texts;
    mFile->setTitle(Text("sMainMenu_mFile"));
    mEdit->setTitle(Text("sMainMenu_mEdit"));
    mOptions->setTitle(Text("sMainMenu_mOptions"));
    mHelp->setTitle(Text("sMainMenu_mHelp"));
    mRecent->setTitle(Text("sMainMenu_mRecent"));
    mExports->setTitle(Text("sMainMenu_mExports"));
    const std::pair<QAction*, const char*> actions[] = {
        {mNew, "sMainMenu_mNew"},
        {mImportFP, "sMainMenu_mImportFP"},
        {mOpenRSBN, "sMainMenu_mOpenRSBN"},
        {mSaveRSBN, "sMainMenu_mSaveRSBN"},
        {mSaveRSBN_as, "sMainMenu_mSaveRSBN_as"},
        {mPrint, "sMainMenu_mPrint"},
        {mPrintPreview, "sMainMenu_mPrintPreview"},
        {mExportPDF, "sMainMenu_mExportPDF"},
        {mExport, "sMainMenu_mExport"},
        {mExportGPX, "sMainMenu_mExportGPX"},
        {mExportKML, "sMainMenu_mExportKML"},
        {mExportPLN, "sMainMenu_mExportPLN"},
        {mExportFMS, "sMainMenu_mExportFMS"},
        {mExportLnmPlan, "sMainMenu_mExportLnmPlan"},
        {mExportMap, "sMainMenu_mExportMap"},
        {mPrintMap, "sMainMenu_mPrintMap"},
        {mExit, "sMainMenu_mExit"},
        {mUndo, "sMainMenu_mUndo"},
        {mRedo, "sMainMenu_mRedo"},
        {mCopy, "sMainMenu_mCopy"},
        {mAutoSelect, "sMainMenu_mAutoSelect"},
        {mSettings, "sMainMenu_mSettings"},
        {mRefer, "sMainMenu_mRefer"},
        {mAbout, "sMainMenu_mAbout"},
    };
    // The tool bar's hints are the actions' texts without their "&" (Qt's own default).
    for (const auto& [action, key] : actions) action->setText(Text(key));
    CoolBar1->setWindowTitle(Text("sToolBar"));
    pcMain->setTabText(0, Text("sPageControl_tsRSBN"));
    pcMain->setTabText(1, Text("sPageControl_tsNVU"));
    pcMain->setTabText(2, Text("sPageControl_tsMap"));
    mapView->SetTexts({Text("sMap_FitRoute"), Text("sMap_Assign"), Text("sMap_Channel"),
                       Text("sMap_Distance"), Text("sMap_Km"), Text("sMap_NoBaseMapFile"),
                       Text("sMap_NoLand")});
    SetSupportPointCaptions(rgSupportPoint, rgSupportPointItems, t);
    for (TPlanGrid* g : {sgRSBN, sgNVU}) {
        TPlanGridModel& m = g->Model();
        for (int c = 0; c < m.columnCount(); ++c) {
            const char* key = m.Columns()[static_cast<std::size_t>(c)].LanguageKey;
            if (*key) m.SetCaption(c, t.Get(key));
        }
    }
    const TVerInfo& v = World.VerInfo;
    setWindowTitle(TitleText(Text("sVersion"), v.FileVersion, v.FileDate));
    // The About and Help windows are laid out by their own units; only their texts follow.
    if (fmAbout) {
        fmAbout->lbVersion->setText(VersionCaption(Text("sVersion"), v.FileVersion, v.FileDate));
        fmAbout->Label2->setText(Text("sAbout_Credit"));
        fmAbout->BitBtn1->setText(Text("sButton_Close"));
    }
    if (fmHelp) fmHelp->BitBtn1->setText(Text("sButton_Close"));
    RefreshTotals();
    // The Help menu lives in the menu bar's right corner, so it stays at the right end.
    HelpMenuBar->adjustSize();
    MainMenu->adjustSize();
}

void TfmMain::ConnectMap() {
    if (auto found = World.Locations.Find(TDataFile::BaseMap)) mapView->SetBaseMapFile(*found);
    connect(&Doc, &TPlanDocument::AboutToReset, mapView, &TMapView::planAboutToBeReplaced);
    connect(&Doc, &TPlanDocument::Changed, mapView, &TMapView::planChanged);
    // The row last made current in either grid is the map's; a row chosen on the map becomes
    // current in both.
    for (TPlanGrid* g : {sgRSBN, sgNVU})
        connect(g->selectionModel(), &QItemSelectionModel::currentRowChanged, mapView,
                [this](const QModelIndex& current) { mapView->setCurrentRow(current.row() + 1); });
    connect(mapView, &TMapView::currentRowRequested, this, [this](int row) {
        for (TPlanGrid* g : {sgRSBN, sgNVU}) g->SetCurrent(row, std::max(g->Col(), 1));
    });
    connect(mapView, &TMapView::beaconClicked, this,
            [this](int beacon) { Doc.SetBeacon(mapView->CurrentRow(), beacon); });
}

void TfmMain::BeaconsReloaded() {
    sgRSBN->CloseEditor();
}

void TfmMain::SelectSupportPoint(int item) {
    item = std::clamp(item, 0, 1);
    if (QAbstractButton* b = rgSupportPointItems->button(item)) b->setChecked(true);
}

void TfmMain::ShowSupportPointPanel(bool visible) {
    rgSupportPoint->setVisible(visible);
    Panel1->setFixedHeight(visible ? rgSupportPoint->height() + 4 : 2);
}

// ---- commands ----

void TfmMain::mSettingsClick() {
    if (fmConfig) fmConfig->exec();
}

void TfmMain::mAboutClick() {
    if (fmAbout) fmAbout->exec();
}

void TfmMain::mReferClick() {
    if (fmHelp) {
        fmHelp->show();
        fmHelp->raise();
    }
}

void TfmMain::mExitClick() {
    if (!MaybeSave(Text("sExitQuestion"))) return;
    ExitConfirmed_ = true;
    close();
}

bool TfmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        if (!FrameFitted_) FitIntoScreen(); // again, once the window manager's frame is known
        FormActivate();
    }
    // The window on the screen counts as its first activation, which a desktop without a
    // window manager never gives; the messages of the start-up follow.
    if (e->type() == QEvent::Show && !MessagesQueued_) {
        MessagesQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            FitIntoScreen();
            FormActivate();
            ShowPendingMessages();
        });
    }
    return QMainWindow::event(e);
}

void TfmMain::FormActivate() {
    if (!FirstActivation_) return;
    FirstActivation_ = false;
    // What the start-up did to the plan is no change of the user's.
    Doc.Stack.clear();
    RefreshTotals();
}

void TfmMain::ShowPendingMessages() {
    std::vector<QString> messages;
    messages.swap(PendingMessages_);
    for (const QString& m : messages) ReportMessage(m);
}

void TfmMain::closeEvent(QCloseEvent* e) {
    if (!ExitConfirmed_ && !MaybeSave(Text("sExitQuestion"))) {
        e->ignore();
        return;
    }
    ExitConfirmed_ = false;
    WriteState();
    e->accept();
    emit Closed();
}

// ---- the window's own state ----

QString TfmMain::StateFile() const {
    const std::filesystem::path cfg = World.Locations.ConfigFile();
    return PathToQ(cfg.parent_path() / "kestrun-window.ini");
}

void TfmMain::ReadState() {
    const QSettings s(StateFile(), QSettings::IniFormat);
    restoreGeometry(s.value(QStringLiteral("Window/Geometry")).toByteArray());
    restoreState(s.value(QStringLiteral("Window/State")).toByteArray());
    sgRSBN->horizontalHeader()->restoreState(s.value(QStringLiteral("Grids/RSBN")).toByteArray());
    sgNVU->horizontalHeader()->restoreState(s.value(QStringLiteral("Grids/NVU")).toByteArray());
    RecentFiles = s.value(QStringLiteral("RecentFiles")).toStringList();
    mPrintMap->setChecked(s.value(QStringLiteral("Print/MapPage"), false).toBool());
    mapView->RememberView({s.value(QStringLiteral("Map/Plan")).toString(),
                           s.value(QStringLiteral("Map/Center")).toPointF(),
                           s.value(QStringLiteral("Map/Scale")).toDouble()});
    RebuildRecentMenu();
}

void TfmMain::WriteState() const {
    QSettings s(StateFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Window/Geometry"), saveGeometry());
    s.setValue(QStringLiteral("Window/State"), saveState());
    s.setValue(QStringLiteral("Grids/RSBN"), sgRSBN->horizontalHeader()->saveState());
    s.setValue(QStringLiteral("Grids/NVU"), sgNVU->horizontalHeader()->saveState());
    s.setValue(QStringLiteral("RecentFiles"), RecentFiles);
    s.setValue(QStringLiteral("Print/MapPage"), mPrintMap->isChecked());
    const TRememberedView map = mapView->RememberedView();
    s.setValue(QStringLiteral("Map/Plan"), map.Plan);
    s.setValue(QStringLiteral("Map/Center"), map.Center);
    s.setValue(QStringLiteral("Map/Scale"), map.Scale);
}

void TfmMain::FitIntoScreen() {
    const QScreen* s = screen();
    if (!s || isMaximized() || isFullScreen()) return;
    const QRect avail = s->availableGeometry();
    // Before the window manager has framed the window its frame is not known yet: a title bar
    // and thin borders are allowed for.
    QSize decor = frameGeometry().size() - size();
    if (decor.isEmpty()) decor = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QRect frame(frameGeometry().topLeft(), size() + decor);
    if (avail.contains(frame)) return;
    // The window itself gives up the room, and its frame goes where the screen shows it.
    resize(std::min(width(), avail.width() - decor.width()),
           std::min(height(), avail.height() - decor.height()));
    const QSize outer = size() + decor;
    move(std::clamp(frame.x(), avail.left(),
                    std::max(avail.left(), avail.right() + 1 - outer.width())),
         std::clamp(frame.y(), avail.top(),
                    std::max(avail.top(), avail.bottom() + 1 - outer.height())));
}

} // namespace kestrun
