// The main window's file commands: new, import, open, save, save as, print, print preview and
// the exports, the recent files and files dropped on the window. Each asks for a file name,
// hands it to the core's reader or writer and then brings the window's state up to date:
//
//   command            modified   CurrentFileName        PlanFileName (the save dialog's)
//   new                no         emptied                emptied
//   import             yes        the imported file      emptied
//   open               no         the plan file          the plan file
//   save, save as      no         the file written       the file written
//   print, exports     unchanged  unchanged              unchanged
//   (the exports: navigator's helper, PDF, GPX, KML, the simulators' .pln, .fms and .lnmpln)
//
// New, import and open replace the plan and forget the undo history; over a modified plan they
// ask first whether to save it. A reader or writer that raises ends the command at that step:
// the readers leave the plan as it was, and the steps after the failing one do not run.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <filesystem>

#include "base/fileio.h"
#include "files/fpimport.h"
#include "files/gpxexport.h"
#include "files/kmlexport.h"
#include "files/navihelper.h"
#include "files/planexport.h"
#include "files/planfile.h"
#include "ui/fm_main.h"
#include "ui/mapview.h"
#include "ui/printplan.h"
#include "ui/progress.h"
#include "ui/qtext.h"
#include "ui/uierror.h"
#include "ui/world.h"

namespace kestrun {

namespace {

/// Runs a command: an error ends it at the failing step and its message is shown as the
/// default handler shows it, without unwinding through Qt's own frames on the way.
template <class F> void RunCommand(F&& command) {
    try {
        command();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

/// A pattern that matches in any letter case: "*.pln" becomes "*.[pP][lL][nN]". File names on
/// Linux are case-sensitive, and Windows tools write extensions in capitals.
QString AnyCase(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

/// A dialog filter shown as `shown` ("RSBN file (*.rbf)") that matches `patterns` in any letter
/// case. The dialog hides the last parenthesised group, which holds the working patterns.
QString Filter(const QString& shown, const QStringList& patterns) {
    QStringList any;
    for (const QString& p : patterns) any << AnyCase(p);
    return shown + QStringLiteral(" (") + any.join(QLatin1Char(' ')) + QLatin1Char(')');
}

struct TFileDialogForm {
    const char* Name; // object name, as the window names its dialogs
    QString Title;
    QStringList Filters;
    QString DefaultSuffix;
    bool Save = false;
};

/// Runs a file dialog; the chosen file's full name, or an empty text when it was cancelled.
/// The dialog appends DefaultSuffix to a name typed without any "." (as "route" -> route.RBF).
QString AskFileName(QWidget* parent, const TFileDialogForm& form, const QString& initial) {
    QFileDialog d(parent, form.Title);
    d.setObjectName(QString::fromLatin1(form.Name));
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setOption(QFileDialog::HideNameFilterDetails);
    d.setOption(QFileDialog::DontConfirmOverwrite);
    d.setAcceptMode(form.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(form.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    d.setNameFilters(form.Filters);
    d.setDefaultSuffix(form.DefaultSuffix);
    if (!initial.isEmpty()) {
        const QFileInfo info(initial);
        if (info.path() != QStringLiteral(".")) d.setDirectory(info.absolutePath());
        d.selectFile(info.fileName());
    }
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return d.selectedFiles().constFirst();
}

QString RbfFilter() {
    return Filter(QStringLiteral("RSBN file (*.rbf)"), {QStringLiteral("*.rbf")});
}

// The simulators' flight plans as the import and the exports name them.
QString PlnKind() {
    return QStringLiteral("FSX, Prepar3D and MSFS flight plan (*.pln)");
}
QString FmsKind() {
    return QStringLiteral("X-Plane flight plan (*.fms)");
}
QString LnmPlanKind() {
    return QStringLiteral("Little Navmap flight plan (*.lnmpln)");
}

TFileDialogForm odFltPln(const QString& title) {
    // Every kind of flight plan the import reads, each as its own entry, and all of them; the
    // import tells them apart by their content. The original's entry comes first.
    const QString pln = QStringLiteral("*.pln"), fms = QStringLiteral("*.fms"),
                  lnm = QStringLiteral("*.lnmpln");
    return {"odFltPln",
            title,
            {Filter(QStringLiteral("FS 2004 flight plane (*.pln)"), {pln}),
             Filter(PlnKind(), {pln}), Filter(FmsKind(), {fms}), Filter(LnmPlanKind(), {lnm}),
             Filter(QStringLiteral("All flight plans (*.pln *.fms *.lnmpln)"), {pln, fms, lnm})},
            QString()};
}

TFileDialogForm odRSBNFile(const QString& title) {
    return {"odRSBNFile", title, {RbfFilter()}, QStringLiteral("RBF")};
}

TFileDialogForm SaveDialog(const QString& title) {
    return {"SaveDialog", title, {RbfFilter()}, QStringLiteral("RBF"), true};
}

TFileDialogForm sdExportToNaviHelper(const QString& title) {
    return {"sdExportToNaviHelper",
            title,
            {Filter(QStringLiteral("navi_helper.txt"), {QStringLiteral("navi_helper.txt")})},
            QStringLiteral("txt"),
            true};
}

/// The name a plan is written to: a name typed with a final "." gets the default extension
/// ("plan." is written as plan.RBF).
QString PlanFileTarget(const QString& chosen) {
    return chosen.endsWith(QLatin1Char('.')) ? chosen + QStringLiteral("RBF") : chosen;
}

/// One line per waypoint whose beacon the database lacks, from the text `line` ("%1" the
/// waypoint's number, "%2" its name, "%3" the beacon's).
QString MissingBeaconsText(const QString& line, const std::vector<TMissingBeacon>& missing) {
    QStringList lines;
    for (const TMissingBeacon& m : missing)
        lines << line.arg(m.WayPoint + 1).arg(ToQ(m.Name), ToQ(m.BeaconName));
    return lines.join(QLatin1Char('\n'));
}

/// A file name for an export beside the current file: "route.rbf" -> "route.pdf".
QString ExportName(const QString& current, const QString& suffix) {
    if (current.isEmpty()) return QStringLiteral("plan.") + suffix;
    const QFileInfo info(current);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix);
}

/// Asks where an export with the extension ext goes, offering the plan's own name with it.
QString AskExportName(QWidget* parent, const char* name, const QString& title, const QString& shown,
                      const QString& ext, const QString& current) {
    const TFileDialogForm form{
        name, title, {Filter(shown, {QStringLiteral("*.") + ext})}, ext, true};
    return AskFileName(parent, form, ExportName(current, ext));
}

/// Whether an export may be written to `file`: a file that is there already is replaced only when
/// the user says so.
bool MayReplace(QWidget* parent, const QString& title, const QString& file) {
    if (!FileExists(QToPath(file))) return true;
    QMessageBox box(QMessageBox::Question, title,
                    QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("ReplaceQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

/// An export command: asks where the file goes, then writes it there; a refusal or an error is
/// reported as every command's is.
template <class Write>
void RunExport(QWidget* parent, const char* name, const QString& title, const QString& shown,
               const QString& ext, const QString& current, Write&& write) {
    RunCommand([&] {
        const QString file = AskExportName(parent, name, title, shown, ext, current);
        if (!file.isEmpty() && MayReplace(parent, title, file)) write(file);
    });
}

// Import and open are one call into the core each: a big plan gets the wait cursor, and
// nothing to cancel, since a reader that fails leaves the plan as it was.
void ImportFP(TfmMain& m, const QString& name) {
    {
        const TBusyCursor busy;
        m.Doc.Replace([&] { ImportFlightPlan(m.World.WayPointList, QToPath(name)); }, false);
    }
    m.PlanFileName.clear(); // the next save asks for a name
    m.CurrentFileName = name;
    m.RefreshTotals();
}

void OpenRSBN(TfmMain& m, const QString& name) {
    std::vector<TMissingBeacon> missing;
    {
        const TBusyCursor busy;
        m.Doc.Replace([&] { missing = OpenPlanFile(m.World.WayPointList, QToPath(name)); }, true);
    }
    m.PlanFileName = name;
    m.CurrentFileName = m.PlanFileName;
    m.RefreshTotals();
    // A later save would drop these names for good, so the user hears of them now.
    if (!missing.empty()) ReportMessage(MissingBeaconsText(m.Text("sMissingBeacon"), missing));
}

/// Writes the plan file; from then on it is the plan's file and the plan counts as saved.
void SaveRSBN(TfmMain& m, const QString& name) {
    SavePlanFile(m.World.WayPointList, QToPath(name));
    m.PlanFileName = name;
    m.CurrentFileName = name;
    m.Doc.MarkSaved();
    m.RefreshTotals();
}

/// The kinds of file a drop or the command line hands over: plan files and flight plans.
bool IsPlanKind(const QString& name) {
    for (const char* ext : {".rbf", ".pln", ".fms", ".lnmpln"})
        if (name.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) return true;
    return false;
}

constexpr int kRecentFiles = 8;

} // namespace

bool TfmMain::MaybeSave(const QString& question) {
    if (!Doc.Modified()) return true;
    switch (Ask(question)) {
    case TAnswer::Discard:
        return true;
    case TAnswer::Cancel:
        return false;
    case TAnswer::Save:
        mSaveRSBNClick();
        return !Doc.Modified(); // a cancelled or failed save stops the command
    }
    return false;
}

void TfmMain::mNewClick() {
    if (!MaybeSave(Text("sSaveQuestion"))) return;
    Doc.Replace(
        [&] {
            World.WayPointList.Clear();
            World.WayPointList.AddWayPoint();
        },
        true);
    PlanFileName.clear();
    CurrentFileName.clear();
    RefreshTotals();
}

void TfmMain::mImportFPClick() {
    RunCommand([&] {
        if (!MaybeSave(Text("sSaveQuestion"))) return;
        const QString name = AskFileName(this, odFltPln(Text("sDialog_Import")), QString());
        if (name.isEmpty()) return;
        ImportFP(*this, name);
        AddRecentFile(name);
    });
}

void TfmMain::mOpenRSBNClick() {
    RunCommand([&] {
        if (!MaybeSave(Text("sSaveQuestion"))) return;
        const QString name = AskFileName(this, odRSBNFile(Text("sDialog_Open")), PlanFileName);
        if (name.isEmpty()) return;
        OpenRSBN(*this, name);
        AddRecentFile(name);
    });
}

void TfmMain::OpenFile(const QString& fileName) {
    const QString name = QFileInfo(fileName).absoluteFilePath();
    if (name.endsWith(QStringLiteral(".rbf"), Qt::CaseInsensitive))
        OpenRSBN(*this, name);
    else
        ImportFP(*this, name);
    AddRecentFile(name);
}

void TfmMain::OpenFileCommand(const QString& fileName) {
    RunCommand([&] {
        if (MaybeSave(Text("sSaveQuestion"))) OpenFile(fileName);
    });
}

void TfmMain::AddRecentFile(const QString& fileName) {
    RecentFiles.removeAll(fileName);
    RecentFiles.prepend(fileName);
    while (RecentFiles.size() > kRecentFiles) RecentFiles.removeLast();
    RebuildRecentMenu();
}

void TfmMain::RebuildRecentMenu() {
    mRecent->clear();
    for (qsizetype i = 0; i < RecentFiles.size(); ++i) {
        const QString file = RecentFiles[i];
        QAction* a = mRecent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file));
        connect(a, &QAction::triggered, this, [this, file] { OpenFileCommand(file); });
    }
    mRecent->setEnabled(!RecentFiles.isEmpty());
}

void TfmMain::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls[0].isLocalFile() && IsPlanKind(urls[0].toLocalFile()))
        event->acceptProposedAction();
}

void TfmMain::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls[0].isLocalFile()) return;
    event->acceptProposedAction();
    // The question and the dialogs come after the drop has ended.
    const QString file = urls[0].toLocalFile();
    QTimer::singleShot(0, this, [this, file] { OpenFileCommand(file); });
}

void TfmMain::mSaveRSBNClick() {
    RunCommand([&] {
        if (PlanFileName.isEmpty()) {
            mSaveRSBN_asClick();
            return;
        }
        SaveRSBN(*this, PlanFileName);
    });
}

void TfmMain::mSaveRSBN_asClick() {
    RunCommand([&] {
        const QString name = AskFileName(this, SaveDialog(Text("sDialog_Save")), PlanFileName);
        if (name.isEmpty()) return;
        // Later saves go to the file written, never to a second file named as typed ("plan.").
        SaveRSBN(*this, PlanFileTarget(name));
    });
}

void TfmMain::mExportClick() {
    RunCommand([&] {
        const QString title = Text("sDialog_ExportNH");
        const QString name =
            AskFileName(this, sdExportToNaviHelper(title), QStringLiteral("navi_helper.txt"));
        if (!name.isEmpty() && MayReplace(this, title, name))
            ExportNaviHelper(World.WayPointList, QToPath(name));
    });
}

void TfmMain::mPrintClick() {
    RunCommand([&] {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        dialog.setObjectName(QStringLiteral("PrintDialog"));
        if (dialog.exec() != QDialog::Accepted) return;
        PrintPlan(printer, World.WayPointList, windowTitle(), CurrentFileName,
                  World.Texts.Get("sPrint_Page"), MapPage());
    });
}

void TfmMain::mPrintPreviewClick() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(Text("sDialog_PrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        // The preview paints from inside its own drawing, where an error cannot travel on.
        try {
            PrintPlan(*p, World.WayPointList, windowTitle(), CurrentFileName,
                      World.Texts.Get("sPrint_Page"), MapPage());
        } catch (const std::exception& e) {
            ReportError(e);
        }
    });
    preview.exec();
}

void TfmMain::mExportPDFClick() {
    RunExport(this, "sdExportPDF", Text("sDialog_ExportPDF"), QStringLiteral("PDF file (*.pdf)"),
              QStringLiteral("pdf"), CurrentFileName, [&](const QString& name) {
                  ExportPlanPdf(World.WayPointList, windowTitle(), CurrentFileName,
                                World.Texts.Get("sPrint_Page"), name, MapPage());
              });
}

void TfmMain::mExportGPXClick() {
    RunExport(this, "sdExportGPX", Text("sDialog_ExportGPX"), QStringLiteral("GPX route (*.gpx)"),
              QStringLiteral("gpx"), CurrentFileName,
              [&](const QString& name) { ExportGpx(World.WayPointList, QToPath(name)); });
}

void TfmMain::mExportKMLClick() {
    RunExport(this, "sdExportKML", Text("sDialog_ExportKML"), QStringLiteral("KML file (*.kml)"),
              QStringLiteral("kml"), CurrentFileName,
              [&](const QString& name) { ExportKml(World.WayPointList, QToPath(name)); });
}

void TfmMain::mExportPLNClick() {
    RunExport(this, "sdExportPLN", Text("sDialog_ExportPLN"), PlnKind(), QStringLiteral("pln"),
              CurrentFileName,
              [&](const QString& name) { ExportPln(World.WayPointList, QToPath(name)); });
}

void TfmMain::mExportFMSClick() {
    RunExport(this, "sdExportFMS", Text("sDialog_ExportFMS"), FmsKind(), QStringLiteral("fms"),
              CurrentFileName,
              [&](const QString& name) { ExportFms(World.WayPointList, QToPath(name)); });
}

void TfmMain::mExportLnmPlanClick() {
    RunExport(this, "sdExportLnmPlan", Text("sDialog_ExportLnmPlan"), LnmPlanKind(),
              QStringLiteral("lnmpln"), CurrentFileName,
              [&](const QString& name) { ExportLnmPlan(World.WayPointList, QToPath(name)); });
}

TPrintAfter TfmMain::MapPage() {
    if (!mPrintMap->isChecked()) return {};
    return [this](QPrinter& printer, QPainter& painter) {
        PrintRouteMapPage(printer, painter, World.WayPointList, World.BeaconList,
                          mapView->BaseMap(), windowTitle());
    };
}

void TfmMain::mExportMapClick() {
    RunCommand([&] {
        const QString title = Text("sDialog_ExportMap");
        const TFileDialogForm form{
            "sdExportMap",
            title,
            {Filter(QStringLiteral("PNG image (*.png)"), {QStringLiteral("*.png")}),
             Filter(QStringLiteral("PDF file (*.pdf)"), {QStringLiteral("*.pdf")})},
            QStringLiteral("png"),
            true};
        const QString file =
            AskFileName(this, form, ExportName(CurrentFileName, QStringLiteral("png")));
        if (!file.isEmpty() && MayReplace(this, title, file)) mapView->ExportMap(QToPath(file));
    });
}

} // namespace kestrun
