#include "ui/fm_main.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

#include "base/cp1251.h"
#include "base/error.h"
#include "base/numconv.h"
#include "math/mathem.h"
#include "math/tools.h"
#include "ui/fm_about.h"
#include "ui/fm_config.h"
#include "ui/fm_help.h"
#include "ui/picker.h"
#include "ui/qtext.h"
#include "ui/supportpoint.h"
#include "ui/uierror.h"
#include "ui/world.h"

namespace kestrun {

namespace {

constexpr int kNameCol = 2;
constexpr int kCoordsCol = 3;
constexpr int kBeaconCol = 8;

double Degrees(double radians) {
    return static_cast<double>(radians * kRadToDeg);
}

// A hint is the menu command's caption without its first "&".
QString Hint(const QString& caption) {
    QString s = caption;
    const qsizetype amp = s.indexOf(QLatin1Char('&'));
    if (amp >= 0) s.remove(amp, 1);
    return s;
}

// Untyped positions of the coordinate mask come back as blanks: each becomes a zero, except the
// blank that separates the latitude from the longitude.
std::string FillUntyped(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ' ' && !(i + 1 < text.size() && (text[i + 1] == 'E' || text[i + 1] == 'W')))
            text[i] = '0';
    return text;
}

bool IsZeroTemplate(const std::string& text) {
    static const std::string templates[] = {
        Cp("N00°00.00’ E000°00.00’"), Cp("N00°00.00’ W000°00.00’"), Cp("S00°00.00’ E000°00.00’"),
        Cp("S00°00.00’ W000°00.00’")};
    for (const std::string& t : templates)
        if (text == t) return true;
    return false;
}

// A name keeps everything as typed but the Latin letters, which become capitals.
std::string UpperLatin(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The tool bar adds no margins, spacing or handle of its own, so that its buttons stand at
// their places whatever the platform's style would add.
class TToolBarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ToolBarItemMargin || metric == PM_ToolBarFrameWidth ||
            metric == PM_ToolBarItemSpacing || metric == PM_ToolBarHandleExtent)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A flat 23 x 22 button at x on the tool bar's band.
QToolButton* ToolButton(QWidget* band, int x, const char* name, QStyle::StandardPixmap icon,
                        const QString& hint) {
    auto* b = new QToolButton(band);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(true);
    b->setGeometry(x, 1, 23, 22);
    b->setIcon(band->style()->standardIcon(icon));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    return b;
}

// A thin etched line between two groups of buttons.
void BandSeparator(QWidget* band, int x) {
    auto* line = new QFrame(band);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    line->setGeometry(x, 3, 2, 18);
}

QAction* MenuItem(QMenu* menu, const char* name, const QString& caption,
                  const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

} // namespace

QString TfmMain::TitleText(const std::string& fileVersion, const std::string& fileDate) {
    return QStringLiteral(".:: Kestrun ::.       ") + ToQ(VersionText(fileVersion, fileDate));
}

TfmMain::TfmMain(TKestrunWorld& world, QWidget* parent) : QMainWindow(parent), World(world) {
    setObjectName(QStringLiteral("fmMain"));
    AskExit = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Confirm"), question,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    CreateControls();
    FormCreate();
}

TfmMain::~TfmMain() {
    // An editor still open hands its text back while this is still the main window; then the
    // grids go before the window's own parts.
    sgRSBN->CloseEditor();
    sgNVU->CloseEditor();
    delete sgRSBN;
    delete sgNVU;
}

void TfmMain::CreateMenu() {
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setNativeMenuBar(false);
    setMenuBar(MainMenu);

    mFile = MainMenu->addMenu(QStringLiteral("Файл"));
    mFile->setObjectName(QStringLiteral("mFile"));
    mImportFP = MenuItem(mFile, "mImportFP", QStringLiteral("Импорт из FS2002(4)"),
                         QKeySequence(Qt::CTRL | Qt::Key_I));
    mFile->addSeparator();
    mOpenRSBN = MenuItem(mFile, "mOpenRSBN", QStringLiteral("Открыть файл"),
                         QKeySequence(Qt::CTRL | Qt::Key_O));
    mSaveRSBN = MenuItem(mFile, "mSaveRSBN", QStringLiteral("Сохранить файл"),
                         QKeySequence(Qt::CTRL | Qt::Key_S));
    mSaveRSBN_as = MenuItem(mFile, "mSaveRSBN_as", QStringLiteral("Сохранить файл как..."));
    mFile->addSeparator();
    mPrint =
        MenuItem(mFile, "mPrint", QStringLiteral("Печать"), QKeySequence(Qt::CTRL | Qt::Key_P));
    mFile->addSeparator();
    mPrintPreview = MenuItem(mFile, "mPrintPreview", QStringLiteral("Print preview..."));
    mExportPDF = MenuItem(mFile, "mExportPDF", QStringLiteral("Export PDF..."));
    mExport = MenuItem(mFile, "mExport", QStringLiteral("Export for the navigator's helper..."));
    mExportGPX = MenuItem(mFile, "mExportGPX", QStringLiteral("Export GPX..."));
    mExportKML = MenuItem(mFile, "mExportKML", QStringLiteral("Export KML..."));
    mFile->addSeparator();
    mExit = MenuItem(mFile, "mExit", QStringLiteral("В&ыход"), QKeySequence(Qt::CTRL | Qt::Key_X));
    // Ctrl+X cuts text inside a cell editor; it leaves the program only outside one.
    mExit->setShortcutContext(Qt::WindowShortcut);

    mOptions = MainMenu->addMenu(QStringLiteral("Сервис"));
    mOptions->setObjectName(QStringLiteral("mOptions"));
    mAutoSelect = MenuItem(mOptions, "mAutoSelect", QStringLiteral("Автоподбор"));
    mOptions->addSeparator();
    mSettings = MenuItem(mOptions, "mSettings", QStringLiteral("Настройки"));

    // The Help menu stands at the right end of the menu bar.
    HelpMenuBar = new QMenuBar(MainMenu);
    HelpMenuBar->setObjectName(QStringLiteral("HelpMenuBar"));
    HelpMenuBar->setNativeMenuBar(false);
    mHelp = HelpMenuBar->addMenu(QStringLiteral("Помощь"));
    mHelp->setObjectName(QStringLiteral("mHelp"));
    mRefer = MenuItem(mHelp, "mRefer", QStringLiteral("Справка"));
    mHelp->addSeparator();
    mAbout = MenuItem(mHelp, "mAbout", QStringLiteral("О программе"));
    MainMenu->setCornerWidget(HelpMenuBar, Qt::TopRightCorner);

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
    connect(mExit, &QAction::triggered, this, &TfmMain::mExitClick);
    connect(mAutoSelect, &QAction::triggered, this, &TfmMain::mAutoSelectClick);
    connect(mSettings, &QAction::triggered, this, &TfmMain::mSettingsClick);
    connect(mRefer, &QAction::triggered, this, &TfmMain::mReferClick);
    connect(mAbout, &QAction::triggered, this, &TfmMain::mAboutClick);
}

void TfmMain::CreateControls() {
    resize(801, 629);
    // The design font is 8 points; the toolkit's own sans-serif face stands in for it.
    QFont design = font();
    design.setPointSize(8);
    setFont(design);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    CreateMenu();

    CoolBar1 = new QToolBar(this);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setMovable(false);
    CoolBar1->setFloatable(false);
    CoolBar1->setFixedHeight(25);
    auto* barStyle = new TToolBarStyle;
    barStyle->setParent(CoolBar1);
    CoolBar1->setStyle(barStyle);
    addToolBar(Qt::TopToolBarArea, CoolBar1);
    auto* band = new QWidget(CoolBar1);
    band->setFixedSize(200, 25);
    sbImport = ToolButton(band, 8, "sbImport", QStyle::SP_ArrowDown,
                          QStringLiteral("Импорт флайт-плана из FS2002(4)"));
    sbOpen = ToolButton(band, 32, "sbOpen", QStyle::SP_DialogOpenButton,
                        QStringLiteral("Открытие флайт-плана РСБН"));
    sbSave = ToolButton(band, 56, "sbSave", QStyle::SP_DialogSaveButton,
                        QStringLiteral("Сохранение флайт-плана РСБН"));
    BandSeparator(band, 86);
    sbAutoSelect = ToolButton(band, 96, "sbAutoSelect", QStyle::SP_BrowserReload,
                              QStringLiteral("Автоподбор маяков"));
    BandSeparator(band, 126);
    sbPrint = ToolButton(band, 136, "sbPrint", QStyle::SP_FileDialogDetailedView,
                         QStringLiteral("Печать флайт-плана"));
    BandSeparator(band, 166);
    sbExportToNH = ToolButton(band, 176, "sbExportToNH", QStyle::SP_ArrowRight, QString());
    CoolBar1->addWidget(band);
    connect(sbImport, &QToolButton::clicked, this, &TfmMain::mImportFPClick);
    connect(sbOpen, &QToolButton::clicked, this, &TfmMain::mOpenRSBNClick);
    connect(sbSave, &QToolButton::clicked, this, &TfmMain::mSaveRSBNClick);
    connect(sbAutoSelect, &QToolButton::clicked, this, &TfmMain::mAutoSelectClick);
    connect(sbPrint, &QToolButton::clicked, this, &TfmMain::mPrintClick);
    connect(sbExportToNH, &QToolButton::clicked, this, &TfmMain::mExportClick);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(1, 0, 1, 0); // the group at (2, 1) inside the bevel
    rgSupportPoint = NewSupportPointGroup(Panel1, rgSupportPointItems);
    rgSupportPoint->setFixedSize(185, 40);
    connect(rgSupportPointItems, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) rgSupportPointClick(id);
    });
    panelLayout->addWidget(rgSupportPoint, 0, Qt::AlignTop);
    panelLayout->addStretch();
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
    pcMain->addTab(tsRSBN, QStringLiteral("РСБН"));
    pcMain->addTab(tsNVU, QStringLiteral("НВУ"));
    layout->addWidget(pcMain, 1);

    sgRSBN =
        new TPlanGrid(QStringLiteral("sgRSBN"), World.WayPointList, RSBNColumns(), *this, tsRSBN);
    sgRSBN->UpperCaseKeys = true;
    auto* rsbnLayout = new QVBoxLayout(tsRSBN);
    rsbnLayout->setContentsMargins(0, 0, 0, 0);
    rsbnLayout->addWidget(sgRSBN);
    cbRSBNMode = new QComboBox(tsRSBN);
    cbRSBNMode->setObjectName(QStringLiteral("cbRSBNMode"));
    cbRSBNMode->hide();
    cbRSBN = new TBeaconPicker(World.BeaconList, sgRSBN->viewport());
    cbRSBN->hide();
    connect(cbRSBN, &TBeaconPicker::DropDown, this, &TfmMain::cbRSBNDropDown);
    connect(cbRSBN, &QComboBox::activated, this, &TfmMain::cbRSBNChange);
    connect(cbRSBN, &TBeaconPicker::Exited, this, &TfmMain::cbRSBNExit);
    connect(cbRSBN, &TBeaconPicker::EnterPressed, this, &TfmMain::cbRSBNKeyDown);

    sgNVU = new TPlanGrid(QStringLiteral("sgNVU"), World.WayPointList, NVUColumns(), *this, tsNVU);
    auto* nvuLayout = new QVBoxLayout(tsNVU);
    nvuLayout->setContentsMargins(0, 0, 0, 0);
    nvuLayout->addWidget(sgNVU);

    for (TPlanGrid* g : {sgRSBN, sgNVU})
        connect(g->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, g](const QModelIndex& current) {
                    if (current.isValid())
                        sgRSBNSelectCell(*g, current.column(), current.row() + 1);
                });
    // Pressing the current beacon cell again opens the picker again.
    connect(sgRSBN, &TPlanGrid::CurrentCellPressed, this,
            [this] { sgRSBNSelectCell(*sgRSBN, sgRSBN->Col(), sgRSBN->Row()); });
    connect(sgRSBN, &TPlanGrid::Scrolled, this, [this] {
        if (sgRSBN->Col() == kBeaconCol) cbRSBN->hide();
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
    const int widths[3] = {480, 240, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(bar);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusPanels[i]->setAlignment(Qt::AlignCenter);
        StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(StatusPanels[i]);
    }
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
    Step([&] { setWindowTitle(TitleText(World.VerInfo.FileVersion, World.VerInfo.FileDate)); });
    Step([&] {
        cbRSBNMode->clear();
        cbRSBNMode->addItems(
            {QString(), QStringLiteral("А.НА"), QStringLiteral("А.ОТ"), QStringLiteral("СРП")});
    });
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
        World.WayPointList.AppendWayPoint();
        SetGridRowCounts();
    });
    Step([&] { BeaconsReloaded(); });
    Step([&] { ShowSupportPointPanel(World.Config.ViewSPPanel); });
    Step([&] { RefreshTotals(); });
}

void TfmMain::RefreshTotals() {
    const TWayPointList& plan = World.WayPointList;
    const double sum = Degrees(plan.SumForkMagDecl), course = Degrees(plan.FinalMagCourse);
    lbTotalDistance->setText(ToQ(Format(World.Texts.Get("sTotalDist"), {plan.TotalDist})));
    lbTotalDistance->adjustSize();
    lbFork->setText(ToQ(Format(World.Texts.Get("sFork"), {sum, course})));
    lbFork->adjustSize();
    SelectSupportPoint(plan.SupPoint);
    sgRSBN->RepaintAll();
    sgNVU->RepaintAll();
    QString first = CurrentFileName;
    if (!World.MagDecLoaded) {
        const QString note = QStringLiteral("No magdec.bgl: magnetic declination taken as 0");
        first = first.isEmpty() ? note : first + QStringLiteral("  (") + note + QLatin1Char(')');
    }
    StatusPanels[0]->setText(first);
    StatusPanels[1]->setText(
        ToQ(Format(World.Texts.Get("sStatBarDist"), {plan.TotalDist, sum, course})));
    StatusPanels[2]->setText(plan.PlanModified ? QStringLiteral("*") : QString());
}

void TfmMain::ApplyLanguage(const std::string& fileName) {
    TLanguageTexts& t = World.Texts;
    t.LoadLanguageFile(LanguageFilePath(World.LanguageDir(), fileName));
    auto T = [&](const char* key) { return ToQ(t.Get(key)); };
    mFile->setTitle(T("sMainMenu_mFile"));
    mOptions->setTitle(T("sMainMenu_mOptions"));
    mHelp->setTitle(T("sMainMenu_mHelp"));
    mImportFP->setText(T("sMainMenu_mImportFP"));
    mOpenRSBN->setText(T("sMainMenu_mOpenRSBN"));
    mSaveRSBN->setText(T("sMainMenu_mSaveRSBN"));
    mSaveRSBN_as->setText(T("sMainMenu_mSaveRSBN_as"));
    mPrint->setText(T("sMainMenu_mPrint"));
    mExit->setText(T("sMainMenu_mExit"));
    mAutoSelect->setText(T("sMainMenu_mAutoSelect"));
    mSettings->setText(T("sMainMenu_mSettings"));
    mRefer->setText(T("sMainMenu_mRefer"));
    mAbout->setText(T("sMainMenu_mAbout"));
    pcMain->setTabText(0, T("sPageControl_tsRSBN"));
    pcMain->setTabText(1, T("sPageControl_tsNVU"));
    lbTotalDistance->setText(T("sTotalDist"));
    lbFork->setText(T("sFork"));
    for (TPlanGrid* g : {sgRSBN, sgNVU}) {
        TPlanGridModel& m = g->Model();
        for (int c = 0; c < m.columnCount(); ++c) {
            const char* key = m.Columns()[static_cast<std::size_t>(c)].LanguageKey;
            if (*key) m.SetCaption(c, t.Get(key));
        }
    }
    sbImport->setToolTip(Hint(mImportFP->text()));
    sbOpen->setToolTip(Hint(mOpenRSBN->text()));
    sbSave->setToolTip(Hint(mSaveRSBN->text()));
    sbAutoSelect->setToolTip(Hint(mAutoSelect->text()));
    sbPrint->setToolTip(Hint(mPrint->text()));
    RefreshTotals();
    // The Help menu lives in the menu bar's right corner, so it stays at the right end.
    HelpMenuBar->adjustSize();
    MainMenu->adjustSize();
}

void TfmMain::SetGridRowCounts() {
    const int rows = World.WayPointList.Count() + 1;
    sgRSBN->Model().SetRowCount(rows);
    sgNVU->Model().SetRowCount(rows);
}

void TfmMain::BeaconsReloaded() {
    cbRSBN->hide();
    cbRSBN->Model().Rebuild();
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

void TfmMain::mAutoSelectClick() {
    World.WayPointList.AutoSelectBeacons();
    World.WayPointList.CalcPlan();
    RefreshTotals();
}

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
    if (World.WayPointList.PlanModified &&
        !AskExit(QStringLiteral("Вы хотите выйти из программы \"Kestrun\" не сохранив плана?")))
        return;
    ExitConfirmed_ = true;
    close();
}

bool TfmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    // The window on the screen counts as its first activation, which a desktop without a
    // window manager never gives; the messages of the start-up follow.
    if (e->type() == QEvent::Show && !MessagesQueued_) {
        MessagesQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            FormActivate();
            ShowPendingMessages();
        });
    }
    return QMainWindow::event(e);
}

void TfmMain::FormActivate() {
    if (!FirstActivation_) return;
    FirstActivation_ = false;
    World.WayPointList.PlanModified = false;
    RefreshTotals();
}

void TfmMain::ShowPendingMessages() {
    std::vector<QString> messages;
    messages.swap(PendingMessages_);
    for (const QString& m : messages) ReportMessage(m);
}

void TfmMain::closeEvent(QCloseEvent* e) {
    if (!ExitConfirmed_ && World.WayPointList.PlanModified &&
        !AskExit(QStringLiteral("Вы хотите выйти из программы \"Kestrun\" не сохранив плана?"))) {
        e->ignore();
        return;
    }
    ExitConfirmed_ = false;
    e->accept();
    emit Closed();
}

// ---- grid editing ----

QString TfmMain::GridGetEditText(TPlanGrid&, int col, int row) {
    TWayPointList& plan = World.WayPointList;
    QString text;
    if (row > 0 && row <= plan.Count()) {
        if (col == kCoordsCol) text = ToQ(GeoPointToStr(plan.GetWayPoint(row).Pos));
        if (col == kNameCol) text = ToQ(plan.GetWayPoint(row).Name);
    }
    // Opening the editor recomputes the plan, and so marks it modified.
    plan.CalcPlan();
    RefreshTotals();
    return text;
}

void TfmMain::GridSetEditText(TPlanGrid&, int col, int row, const QString& text, bool editorOpen) {
    TWayPointList& plan = World.WayPointList;
    if (row <= 0 || row > plan.Count()) return;
    TWayPoint& w = plan.GetWayPoint(row);
    if (col == kNameCol) {
        w.SetName(UpperLatin(FromQ(text)));
        plan.CalcPlan();
        RefreshTotals();
    } else if (col == kCoordsCol) {
        const std::string s = FromQ(text);
        if (editorOpen) {
            if (IsZeroTemplate(s)) w.SetPos(TGeoPoint{0, 0});
            return;
        }
        TGeoPoint p;
        bool parsed = true;
        try {
            p = StrToGeoPoint(FillUntyped(s));
        } catch (const EKestrunError&) {
            parsed = false; // a rejected text changes nothing and shows no message
        }
        if (parsed) w.SetPos(p);
        plan.CalcPlan();
        RefreshTotals();
    }
}

bool TfmMain::GridKeyDown(TPlanGrid& grid, QKeyEvent& key) {
    TWayPointList& plan = World.WayPointList;
    const int row = grid.Row();
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (&grid == sgRSBN && grid.Col() == kBeaconCol && row > 0) {
            OpenBeaconPicker();
            return true;
        }
        return false;
    case Qt::Key_Up:
        return row == 1;
    case Qt::Key_Down:
        grid.CloseEditor();
        if (row == grid.Model().RowCount() - 1) {
            plan.AppendWayPoint();
            SetGridRowCounts();
            const int last = grid.Model().RowCount() - 1;
            sgRSBN->SetCurrent(last, &grid == sgRSBN ? grid.Col() : sgRSBN->Col());
            sgNVU->SetCurrent(last, &grid == sgNVU ? grid.Col() : sgNVU->Col());
            sgRSBN->RepaintAll();
            sgNVU->RepaintAll();
        }
        return false;
    case Qt::Key_Insert:
        if (!NoModifier(key) || row < 1) return false;
        grid.CloseEditor();
        plan.InsertWayPoint(row - 1);
        SetGridRowCounts();
        grid.RepaintAll();
        return true;
    case Qt::Key_Delete:
        if (!(key.modifiers() & Qt::ControlModifier)) return false;
        // Refused silently when the grid shows a single waypoint row.
        if (grid.Model().RowCount() - 1 >= 2 && row >= 1 && row <= plan.Count()) {
            grid.CloseEditor();
            plan.DeleteWayPoint(row);
            SetGridRowCounts();
            plan.CalcPlan();
            RefreshTotals();
        }
        return true;
    default:
        return false;
    }
}

void TfmMain::sgRSBNSelectCell(TPlanGrid& grid, int col, int row) {
    if (&grid == sgRSBN && col == kBeaconCol && row > 0) OpenBeaconPicker();
}

// ---- beacon picker ----

void TfmMain::OpenBeaconPicker() {
    const int row = sgRSBN->Row();
    if (row < 1) return;
    PickerRow_ = row;
    const QRect r = sgRSBN->visualRect(sgRSBN->Model().index(row - 1, kBeaconCol));
    cbRSBN->setGeometry(r.left() + 1, r.top() + 1, r.width() + 1, r.height() + 1);
    // The picker opens on the leg's own beacon (the empty item when it has none), so that
    // looking at the list and leaving it changes nothing.
    int item = 0;
    if (row <= World.WayPointList.Count()) {
        const TWayPoint& w = World.WayPointList.GetWayPoint(row);
        if (World.BeaconList.IsValidIndex(w.BeaconIndex)) item = w.BeaconIndex + 1;
    }
    cbRSBN->setCurrentIndex(item);
    cbRSBN->show();
    cbRSBN->raise();
    cbRSBN->setFocus(Qt::OtherFocusReason);
}

void TfmMain::cbRSBNDropDown() {
    TWayPointList& plan = World.WayPointList;
    const int r = sgRSBN->Row();
    if (r >= 1 && r + 1 <= plan.Count())
        World.BeaconList.AnnotateBeacons(plan.GetWayPoint(r), plan.GetWayPoint(r + 1));
    else
        World.BeaconList.ClearBeaconAnnotations();
}

void TfmMain::CommitBeacon(int item) {
    if (Committing_) return;
    Committing_ = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{Committing_};
    TWayPointList& plan = World.WayPointList;
    if (PickerRow_ >= 1 && PickerRow_ <= plan.Count())
        plan.GetWayPoint(PickerRow_).SetBeacon(item >= 1 ? item - 1 : -1);
    plan.CalcPlan();
    cbRSBN->hide();
    RefreshTotals();
}

void TfmMain::cbRSBNChange(int item) {
    CommitBeacon(item);
}

void TfmMain::cbRSBNExit() {
    if (cbRSBN->isVisible()) CommitBeacon(cbRSBN->currentIndex());
}

void TfmMain::cbRSBNKeyDown() {
    if (!cbRSBN->isVisible()) return;
    sgRSBN->setFocus(Qt::OtherFocusReason); // leaving the picker commits its item
    if (cbRSBN->isVisible()) CommitBeacon(cbRSBN->currentIndex());
}

void TfmMain::rgSupportPointClick(int item) {
    const auto kind = static_cast<TSupPointKind>(item);
    if (kind == World.WayPointList.SupPoint) return;
    World.WayPointList.SupPoint = kind;
    World.WayPointList.CalcPlan();
    RefreshTotals();
}

} // namespace kestrun
