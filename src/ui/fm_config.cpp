#include "ui/fm_config.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "base/cp1251.h"
#include "files/beaconfile.h"
#include "settings/langs.h"
#include "ui/fixeddialog.h"
#include "ui/fm_main.h"
#include "ui/progress.h"
#include "ui/qtext.h"
#include "ui/supportpoint.h"
#include "ui/uierror.h"
#include "ui/world.h"

namespace kestrun {

TfmConfig::TfmConfig(TKestrunWorld& world, TfmMain& main)
    : QDialog(&main), World(world), Main(main) {
    setObjectName(QStringLiteral("fmConfig"));
    setWindowTitle(Main.Text("sConfig_Title"));
    SetUpFixedDialog(*this, Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint, QSize(493, 228),
                     QPoint(659, 262));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 16, 473, 153);

    lbInterfaceLanguage = new QLabel(QStringLiteral("Язык интерфейса"), Panel1);
    lbInterfaceLanguage->setObjectName(QStringLiteral("lbInterfaceLanguage"));
    lbInterfaceLanguage->move(8, 8);

    cbLanguage = new QComboBox(Panel1);
    cbLanguage->setObjectName(QStringLiteral("cbLanguage"));
    cbLanguage->setEditable(true); // a name can also be typed
    cbLanguage->setInsertPolicy(QComboBox::NoInsert);
    cbLanguage->setGeometry(8, 24, 145, 21);

    edRSBNFilePath = new QLineEdit(Panel1);
    edRSBNFilePath->setObjectName(QStringLiteral("edRSBNFilePath"));
    edRSBNFilePath->setGeometry(176, 24, 241, 21);

    btPathFinder = new QPushButton(QStringLiteral("..."), Panel1);
    btPathFinder->setObjectName(QStringLiteral("btPathFinder"));
    btPathFinder->setGeometry(424, 24, 25, 25);
    btPathFinder->setAutoDefault(false);
    connect(btPathFinder, &QPushButton::clicked, this, &TfmConfig::btPathFinderClick);

    cbViewSPPanel = new QCheckBox(QStringLiteral("Показывать панель выбора опорной точки"), Panel1);
    cbViewSPPanel->setObjectName(QStringLiteral("cbViewSPPanel"));
    cbViewSPPanel->setGeometry(16, 120, 254, 17);
    connect(cbViewSPPanel, &QCheckBox::toggled, this, [this] { cbViewSPPanelClick(); });

    rgSupportPoint = NewSupportPointGroup(Panel1, rgSupportPointItems);
    rgSupportPoint->setGeometry(274, 97, 185, 40);
    rgSupportPointItems->button(0)->setChecked(true);
    connect(rgSupportPointItems, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) rgSupportPointClick(id);
    });

    BitBtn1 = new QPushButton(QStringLiteral("Ok"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(136, 184, 100, 25);
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmConfig::BitBtn1Click);

    // Enter cancels: Cancel is the default button.
    BitBtn3 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setGeometry(256, 184, 100, 25);
    BitBtn3->setDefault(true);
    connect(BitBtn3, &QPushButton::clicked, this, &TfmConfig::BitBtn3Click);

    // FormCreate: the controls' changes run their click rules, as a click would; what they do
    // to the plan is part of the start-up, no change of the user's.
    cbViewSPPanel->setChecked(World.Config.ViewSPPanel);
    rgSupportPointItems->button(World.Config.SupPointDef >= 1 ? 1 : 0)->setChecked(true);
    Main.Doc.Stack.clear();
}

void TfmConfig::showEvent(QShowEvent* event) {
    FormActivate();
    QDialog::showEvent(event);
}

void TfmConfig::FormActivate() {
    // The captions follow the interface language.
    setWindowTitle(Main.Text("sConfig_Title"));
    cbViewSPPanel->setText(Main.Text("sConfig_ViewSPPanel"));
    SetSupportPointCaptions(rgSupportPoint, rgSupportPointItems, World.Texts);
    BitBtn1->setText(Main.Text("sButton_Ok"));
    BitBtn3->setText(Main.Text("sButton_Cancel"));
    FitCheckBoxCaption();

    lbInterfaceLanguage->setText(Main.Text("sInterface_Language"));
    lbInterfaceLanguage->adjustSize();

    std::vector<std::string> names;
    ListLanguageFiles(names, World.LanguageDir());
    QStringList list;
    for (const std::string& n : names) list << Utf8ToQ(n);
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    cbLanguage->clear();
    cbLanguage->addItems(list);
    const QString current = Utf8ToQ(World.Config.Language);
    const int found = current.isEmpty() ? -1 : cbLanguage->findText(current, Qt::MatchFixedString);
    cbLanguage->setCurrentIndex(found);
    if (found < 0) cbLanguage->setEditText(QString());

    edRSBNFilePath->setText(PathToQ(World.Config.RSBNBeaconFile));
    edRSBNFilePath->setCursorPosition(0);
}

void TfmConfig::FitCheckBoxCaption() {
    // The caption is kept whole in the room left of the radio group: where this font is wider
    // than the one the window was laid out for, the caption's own font is made smaller.
    cbViewSPPanel->setFont(font());
    for (QFont f = cbViewSPPanel->font();
         cbViewSPPanel->sizeHint().width() > cbViewSPPanel->width() && f.pointSizeF() > 6;) {
        f.setPointSizeF(f.pointSizeF() - 0.5);
        cbViewSPPanel->setFont(f);
    }
}

void TfmConfig::btPathFinderClick() {
    const std::filesystem::path saved(World.Config.RSBNBeaconFile);
    QString folder;
    if (saved.empty()) {
        // Where the shipped database lies: beside the executable or in the installed data.
        const auto shipped = World.Locations.Find(TDataFile::DefaultBeacons);
        folder = PathToQ(shipped ? shipped->parent_path() : World.Locations.ExeDir());
    } else {
        folder = PathToQ(saved.parent_path());
        // The shipped database's name exactly, letter case counting; a .dat list by its extension.
        BeaconFilterIndex = saved.filename() == "rsbn_cis_fs2004.csv"      ? 0
                            : SameText(saved.extension().native(), ".dat") ? 2
                                                                           : 1;
    }
    QFileDialog d(this);
    d.setObjectName(QStringLiteral("odRSBNFilePath"));
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setOption(QFileDialog::ReadOnly, false);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    const QStringList filters{QStringLiteral("*.csv (*.[cC][sS][vV])"),
                              QStringLiteral("*.cfg (*.[cC][fF][gG])"),
                              QStringLiteral("*.dat (*.[dD][aA][tT])")};
    d.setOption(QFileDialog::HideNameFilterDetails);
    d.setNameFilters(filters);
    d.selectNameFilter(filters[BeaconFilterIndex]);
    d.setDirectory(folder);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return;
    BeaconFilterIndex = std::max<int>(0, static_cast<int>(filters.indexOf(d.selectedNameFilter())));
    edRSBNFilePath->setText(d.selectedFiles().constFirst());
}

void TfmConfig::cbViewSPPanelClick() {
    Main.ShowSupportPointPanel(cbViewSPPanel->isChecked());
    World.Config.SetViewSPPanel(cbViewSPPanel->isChecked());
}

void TfmConfig::rgSupportPointClick(int item) {
    World.Config.SetSupPointDef(static_cast<std::uint8_t>(item));
    // Runs the main window's click rule when its selection changes.
    Main.SelectSupportPoint(item);
}

void TfmConfig::BitBtn1Click() {
    // Ok closes the window; each step below runs whatever the others do, and a failing one
    // reports its message.
    accept();
    const QString language = cbLanguage->currentText();
    World.Config.Language = language.toStdString();
    World.Config.RSBNBeaconFile = QToPath(edRSBNFilePath->text()).string();
    // Written back to the file the settings were read from (or the user's configuration
    // folder), never beside the executable, which a user may not write to.
    RunReported([&] { World.Config.SaveToFile(World.Locations.ConfigFile()); });
    // The language first, so that a message about the beacons is in it.
    Main.ApplyLanguage(language.toStdString() + ".lng");
    ReloadBeacons();
}

void TfmConfig::ReloadBeacons() {
    const std::filesystem::path path = World.Config.BeaconFile();
    TRSBNList fresh;
    try {
        const TBusyCursor busy;
        LoadBeaconFile(fresh, path);
    } catch (const std::exception& e) {
        ReportMessage(Main.Text("sBeaconsKept") + QLatin1Char('\n') + ErrorMessage(e));
        return;
    }
    // Another file, or the file's content changed: the beacons' places in the list mean other
    // beacons now, so every leg's is chosen anew. Otherwise every leg keeps its own, also one
    // chosen by hand.
    if (path == World.BeaconFile && fresh.SameRecords(World.BeaconList)) return;
    TCommandProgress progress(&Main, windowTitle(), Main.Text("sProgress_AutoSelect"),
                              Main.Text("sButton_Cancel"), Main.ProgressDelayMs);
    // Chosen before the database is swapped in: a cancelled choice keeps both as they were.
    const auto chosen = World.WayPointList.ChooseBeacons(fresh, progress.Callback());
    if (!chosen) return;
    Main.BeaconsReloaded();
    std::swap(World.BeaconList, fresh); // with its index
    World.BeaconFile = path;
    World.WayPointList.AssignBeacons(*chosen);
    Main.Doc.Recompute();
}

void TfmConfig::BitBtn3Click() {
    reject();
}

} // namespace kestrun
