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
#include <QAbstractButton>
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

QString RbfFilter(const TfmMain& m) {
    return Filter(m.Text("sFilter_RBF"), {QStringLiteral("*.rbf")});
}

TFileDialogForm odFltPln(const TfmMain& m) {
    // Every kind of flight plan the import reads, each as its own entry, and all of them; the
    // import tells them apart by their content. The original's entry comes first.
    const QString pln = QStringLiteral("*.pln"), fms = QStringLiteral("*.fms"),
                  lnm = QStringLiteral("*.lnmpln");
    return {"odFltPln",
            m.Text("sDialog_Import"),
            {Filter(m.Text("sFilter_FS2004"), {pln}), Filter(m.Text("sFilter_PLN"), {pln}),
             Filter(m.Text("sFilter_FMS"), {fms}), Filter(m.Text("sFilter_LnmPlan"), {lnm}),
             Filter(m.Text("sFilter_AllPlans"), {pln, fms, lnm})},
            QString()};
}

TFileDialogForm odRSBNFile(const TfmMain& m) {
    return {"odRSBNFile", m.Text("sDialog_Open"), {RbfFilter(m)}, QStringLiteral("RBF")};
}

TFileDialogForm SaveDialog(const TfmMain& m) {
    return {"SaveDialog", m.Text("sDialog_Save"), {RbfFilter(m)}, QStringLiteral("RBF"), true};
}

TFileDialogForm sdExportToNaviHelper(const TfmMain& m) {
    return {"sdExportToNaviHelper",
            m.Text("sDialog_ExportNH"),
            {Filter(m.Text("sFilter_NaviHelper"), {QStringLiteral("navi_helper.txt")})},
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

/// Whether an export may be written to `file`: a file that is there already is replaced only when
/// the user says so.
bool MayReplace(TfmMain& m, const QString& title, const QString& file) {
    if (!FileExists(QToPath(file))) return true;
    QMessageBox box(QMessageBox::Question, title,
                    m.Text("sFileExists").arg(file) + QLatin1Char('\n') +
                        m.Text("sReplaceQuestion"),
                    QMessageBox::Yes | QMessageBox::No, &m);
    box.setObjectName(QStringLiteral("ReplaceQuestion"));
    box.button(QMessageBox::Yes)->setText(m.Text("sButton_Yes"));
    box.button(QMessageBox::No)->setText(m.Text("sButton_No"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

/// An export command: asks where the file goes, offering `initial`, then writes it there; a
/// refusal or an error is reported as every command's is.
template <class Write>
void RunExport(TfmMain& m, const TFileDialogForm& form, const QString& initial, Write&& write) {
    RunReported([&] {
        const QString file = AskFileName(&m, form, initial);
        if (!file.isEmpty() && MayReplace(m, form.Title, file)) write(file);
    });
}

/// The save dialog of an export to the kind of file `filterKey` names, with the extension ext.
TFileDialogForm ExportForm(const TfmMain& m, const char* name, const char* titleKey,
                           const char* filterKey, const QString& ext) {
    return {name,
            m.Text(titleKey),
            {Filter(m.Text(filterKey), {QStringLiteral("*.") + ext})},
            ext,
            true};
}

/// An export of the plan by one of the core's writers, offered beside the current file.
void ExportPlanFile(TfmMain& m, const char* name, const char* titleKey, const char* filterKey,
                    const QString& ext,
                    void (*write)(const TWayPointList&, const std::filesystem::path&)) {
    RunExport(m, ExportForm(m, name, titleKey, filterKey, ext), ExportName(m.CurrentFileName, ext),
              [&](const QString& file) { write(m.World.WayPointList, QToPath(file)); });
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
    RunReported([&] {
        if (!MaybeSave(Text("sSaveQuestion"))) return;
        const QString name = AskFileName(this, odFltPln(*this), QString());
        if (name.isEmpty()) return;
        ImportFP(*this, name);
        AddRecentFile(name);
    });
}

void TfmMain::mOpenRSBNClick() {
    RunReported([&] {
        if (!MaybeSave(Text("sSaveQuestion"))) return;
        const QString name = AskFileName(this, odRSBNFile(*this), PlanFileName);
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
    RunReported([&] {
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
    RunReported([&] {
        if (PlanFileName.isEmpty()) {
            mSaveRSBN_asClick();
            return;
        }
        SaveRSBN(*this, PlanFileName);
    });
}

void TfmMain::mSaveRSBN_asClick() {
    RunReported([&] {
        const QString name = AskFileName(this, SaveDialog(*this), PlanFileName);
        if (name.isEmpty()) return;
        // Later saves go to the file written, never to a second file named as typed ("plan.").
        SaveRSBN(*this, PlanFileTarget(name));
    });
}

void TfmMain::mExportClick() {
    RunExport(*this, sdExportToNaviHelper(*this), QStringLiteral("navi_helper.txt"),
              [&](const QString& name) { ExportNaviHelper(World.WayPointList, QToPath(name)); });
}

void TfmMain::mPrintClick() {
    RunReported([&] {
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
        RunReported([&] {
            PrintPlan(*p, World.WayPointList, windowTitle(), CurrentFileName,
                      World.Texts.Get("sPrint_Page"), MapPage());
        });
    });
    preview.exec();
}

void TfmMain::mExportPDFClick() {
    const QString pdf = QStringLiteral("pdf");
    RunExport(*this, ExportForm(*this, "sdExportPDF", "sDialog_ExportPDF", "sFilter_PDF", pdf),
              ExportName(CurrentFileName, pdf), [&](const QString& name) {
                  ExportPlanPdf(World.WayPointList, windowTitle(), CurrentFileName,
                                World.Texts.Get("sPrint_Page"), name, MapPage());
              });
}

void TfmMain::mExportGPXClick() {
    ExportPlanFile(*this, "sdExportGPX", "sDialog_ExportGPX", "sFilter_GPX", QStringLiteral("gpx"),
                   ExportGpx);
}

void TfmMain::mExportKMLClick() {
    ExportPlanFile(*this, "sdExportKML", "sDialog_ExportKML", "sFilter_KML", QStringLiteral("kml"),
                   ExportKml);
}

void TfmMain::mExportPLNClick() {
    ExportPlanFile(*this, "sdExportPLN", "sDialog_ExportPLN", "sFilter_PLN", QStringLiteral("pln"),
                   ExportPln);
}

void TfmMain::mExportFMSClick() {
    ExportPlanFile(*this, "sdExportFMS", "sDialog_ExportFMS", "sFilter_FMS", QStringLiteral("fms"),
                   ExportFms);
}

void TfmMain::mExportLnmPlanClick() {
    ExportPlanFile(*this, "sdExportLnmPlan", "sDialog_ExportLnmPlan", "sFilter_LnmPlan",
                   QStringLiteral("lnmpln"), ExportLnmPlan);
}

TPrintAfter TfmMain::MapPage() {
    if (!mPrintMap->isChecked()) return {};
    return [this](QPrinter& printer, QPainter& painter) {
        PrintRouteMapPage(printer, painter, World.WayPointList, World.BeaconList,
                          mapView->BaseMap(), windowTitle(), mapView->Scene().Texts);
    };
}

void TfmMain::mExportMapClick() {
    // A picture, or the same view as a PDF of lines and text.
    TFileDialogForm form =
        ExportForm(*this, "sdExportMap", "sDialog_ExportMap", "sFilter_PNG", QStringLiteral("png"));
    form.Filters << Filter(Text("sFilter_PDF"), {QStringLiteral("*.pdf")});
    RunExport(*this, form, ExportName(CurrentFileName, QStringLiteral("png")),
              [&](const QString& file) { mapView->ExportMap(QToPath(file)); });
}

} // namespace kestrun
