// The settings, About and Help windows as the user meets them: Ok's steps, Cancel, the controls
// that take effect at once, the beacon file picker's folder and filter, Enter, the help text.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "filedialogs.h"
#include "plan/fltpln.h"
#include "settings/cfg.h"
#include "ui/fm_about.h"
#include "uitest.h"

using namespace kestrun;
using namespace kestrun::test;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

const std::string kShipped = std::string(KESTRUN_RUN_DIR) + "/rsbn_cis_fs2004.csv";

TConfig Settings(const std::string& beacons, std::uint8_t supPoint = 0) {
    TConfig c{std::filesystem::path(kShipped)};
    c.RSBNBeaconFile = beacons;
    c.SupPointDef = supPoint;
    return c;
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void okWithUnchangedSettings();
    void checkBoxAndCancel();
    void defaultSupportPointAtCreation();
    void enterCancels();
    void beaconPickerFolderAndFilter();
    void helpText();
    void aboutShowsTheTitlesVersion();
};

void TestConfig::okWithUnchangedSettings() {
    // A beacon chosen by hand, which the automatic choice would not make (the last of the
    // list), survives Ok unless the database changed; a database that cannot be read is kept,
    // and the language is applied all the same.
    enum TChange { kNone, kContent, kBadPath };
    for (TChange change : {kNone, kContent, kBadPath}) {
        TProgram p;
        p.WriteConfig(Settings(kShipped));
        QVERIFY(p.Start());
        TypeRoute(p);
        const std::string cfg = p.Work.File("RSBN.cfg");
        WriteBytes(cfg, "stale"); // Ok must write the settings over it
        const int hand = p.World->BeaconList.Count() - 1;
        p.Main().Doc.SetBeacon(1, hand);
        if (change == kContent) p.World->BeaconList.Records.pop_back(); // the file has it
        p.Main().Doc.MarkSaved();

        TfmConfig& c = *p.W->fmConfig;
        TDialogAnswers answers;
        answers.Custom([&](QDialog*) {
            if (change == kBadPath) c.edRSBNFilePath->setText(QStringLiteral("beacons.txt"));
            c.cbLanguage->setCurrentText(QStringLiteral("Russian"));
            QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        });
        p.Main().mSettingsClick();
        QCOMPARE(answers.Seen.back().ObjectName, QStringLiteral("fmConfig"));
        QCOMPARE(p.Main().mFile->title(), QStringLiteral("Файл"));
        QCOMPARE(ReadBytes(cfg), p.World->Config.SaveToString());
        QVERIFY(!QFile::exists(QStringLiteral(KESTRUN_RUN_DIR "/RSBN.cfg")));
        QCOMPARE(p.World->BeaconList.Count(), hand + 1);
        if (change == kContent) {
            QVERIFY(p.Plan()[0].BeaconIndex != hand); // chosen anew
            QCOMPARE(p.Status(2), QStringLiteral("*"));
            QVERIFY(p.Messages.isEmpty());
            continue;
        }
        QCOMPARE(p.Plan()[0].BeaconIndex, hand);
        QCOMPARE(p.Status(2), QString());
        if (change == kNone) QVERIFY(p.Messages.isEmpty());
        if (change == kBadPath)
            QCOMPARE(p.Messages, QStringList{QStringLiteral("База маяков оставлена прежней:\n"
                                                            "Bad format! beacons.txt")});
    }
}

void TestConfig::checkBoxAndCancel() {
    TProgram p;
    p.WriteConfig(Settings(kShipped));
    QVERIFY(p.Start());
    TfmConfig& c = *p.W->fmConfig;
    const QByteArray before = [&] {
        QFile f(Q(p.Work.File("RSBN.cfg")));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QVERIFY(!p.Main().rgSupportPoint->isVisibleTo(&p.Main()));
    TDialogAnswers answers;
    answers.Custom([&](QDialog*) {
        c.cbViewSPPanel->click();
        c.edRSBNFilePath->setText(QStringLiteral("/elsewhere/beacons.cfg"));
        QTest::mouseClick(c.BitBtn3, Qt::LeftButton);
    });
    p.Main().mSettingsClick();
    QVERIFY(p.Main().rgSupportPoint->isVisibleTo(&p.Main())); // at once, kept by Cancel
    QVERIFY(p.World->Config.ViewSPPanel);
    QCOMPARE(p.World->Config.RSBNBeaconFile, kShipped);
    QFile f(Q(p.Work.File("RSBN.cfg")));
    f.open(QIODevice::ReadOnly);
    QCOMPARE(f.readAll(), before);
    // Opened again, the field shows the saved path.
    QString shown;
    answers.Custom([&](QDialog* d) {
        shown = c.edRSBNFilePath->text();
        d->reject();
    });
    p.Main().mSettingsClick();
    QCOMPARE(shown, Q(kShipped));
}

void TestConfig::defaultSupportPointAtCreation() {
    for (std::uint8_t def : {0, 1, 7}) {
        TProgram p;
        p.WriteConfig(Settings(kShipped, def));
        QVERIFY(p.Start());
        const int item = def >= 1 ? 1 : 0;
        QCOMPARE(p.W->fmConfig->rgSupportPointItems->checkedId(), item);
        QCOMPARE(p.Main().rgSupportPointItems->checkedId(), item);
        QCOMPARE(static_cast<int>(p.Plan().SupPoint), item);
        QCOMPARE(p.Status(2), QString());
    }
}

void TestConfig::enterCancels() {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        TProgram p;
        p.WriteConfig(Settings(kShipped));
        QVERIFY(p.Start());
        TfmConfig& c = *p.W->fmConfig;
        TDialogAnswers answers;
        answers.Custom([&](QDialog*) {
            c.edRSBNFilePath->setFocus();
            c.edRSBNFilePath->setText(QStringLiteral("typed.csv"));
            QTest::keyClick(c.edRSBNFilePath, key);
        });
        p.Main().mSettingsClick();
        QCOMPARE(c.result(), int(QDialog::Rejected));
        QCOMPARE(p.World->Config.RSBNBeaconFile, kShipped);
    }
}

void TestConfig::beaconPickerFolderAndFilter() {
    TempDir other;
    struct Case {
        std::string saved;
        QString folder, filter;
    } cases[] = {
        {kShipped, QStringLiteral(KESTRUN_RUN_DIR), QStringLiteral("*.csv")},
        {other.File("RSBN_CIS_FS2004.CSV"), Q(other.Path), QStringLiteral("*.cfg")},
        {other.File("beacons.cfg"), Q(other.Path), QStringLiteral("*.cfg")},
        {other.File("rsbn.DAT"), Q(other.Path), QStringLiteral("*.dat")},
    };
    for (const Case& k : cases) {
        TProgram p;
        p.WriteConfig(Settings(kShipped));
        QVERIFY(p.Start());
        p.World->Config.RSBNBeaconFile = k.saved;
        QString folder, filter;
        TDialogAnswers answers;
        answers.Custom([&](QDialog* d) {
            auto* f = qobject_cast<QFileDialog*>(d);
            folder = f->directory().absolutePath();
            filter = f->selectedNameFilter();
            d->reject();
        });
        p.W->fmConfig->btPathFinderClick();
        QCOMPARE(folder, QDir(k.folder).absolutePath());
        QVERIFY2(filter.startsWith(k.filter), qPrintable(filter));
    }
}

void TestConfig::helpText() {
    struct Case {
        const char* name;
        const char* bytes; // RSBNHelp.txt in the working folder; nullptr: none anywhere
        QString shown;
    } cases[] = {
        {"file", "\xcf\xf0\xe8\xe2\xe5\xf2\r\nline 2\rline 3\n\nend\r\n",
         QStringLiteral("Привет\nline 2\nline 3\n\nend")},
        {"empty file", "", QString()},
        {"no file", nullptr, TfmHelp::BuiltInText()},
        {"English", "\xcf\xf0\xe8\xe2\xe5\xf2", QStringLiteral("Hello")}, // and RSBNHelp_English
    };
    for (const Case& c : cases) {
        TempDir exe; // no help text beside the executable
        TProgram p(exe.Path);
        const bool english = std::string_view(c.name) == "English";
        if (c.bytes) WriteBytes(p.Work.File("RSBNHelp.txt"), c.bytes);
        if (english) {
            WriteBytes(p.Work.File("RSBNHelp_English.txt"), "Hello");
            TConfig config;
            config.Language = "English";
            p.WriteConfig(config);
        }
        QVERIFY(p.Start());
        QCOMPARE(p.W->fmHelp->Memo1->toPlainText(), c.shown);
        if (!english) continue;
        // Russian chosen since: the window shows that text when it is opened again.
        p.World->Config.Language = "Russian";
        p.Main().mReferClick();
        QCOMPARE(p.W->fmHelp->Memo1->toPlainText(), QStringLiteral("Привет"));
    }
    QCOMPARE(TfmHelp::BuiltInText().count(QLatin1Char('\n')), 5); // six lines
}

void TestConfig::aboutShowsTheTitlesVersion() {
    TProgram p;
    QVERIFY(p.Start());
    QCOMPARE(p.W->fmAbout->lbVersion->text(),
             p.Main().windowTitle().section(QStringLiteral("       "), 1));
}

KESTRUN_UI_TEST_MAIN(TestConfig)
#include "fm_config_test.moc"
