// The main window's file commands: import, open, save, save as, print and the exports.
#include <QFileDialog>

#include "files/fpimport.h"
#include "files/navihelper.h"
#include "files/planfile.h"
#include "ui/fm_main.h"
#include "ui/world.h"

namespace kestrun {

namespace {

std::string Path(const QString& fileName) {
    return fileName.toStdString(); // the operating system's own form (UTF-8)
}

} // namespace

void TfmMain::mImportFPClick() {
    const QString name = QFileDialog::getOpenFileName(
        this, QStringLiteral("Импортировать флайт-план из MSFS2004"), QString(),
        QStringLiteral("FS 2004 flight plane (*.pln *.PLN)"));
    if (name.isEmpty()) return;
    ImportFlightPlan(World.WayPointList, Path(name));
    PlanFileName.clear();
    SetGridRowCounts();
    CurrentFileName = name;
    World.WayPointList.CalcPlan();
    RefreshTotals();
}

void TfmMain::mOpenRSBNClick() {
    const QString name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Открыть флайт-план с РСБН"), QString(),
                                     QStringLiteral("RSBN file (*.rbf *.RBF)"));
    if (name.isEmpty()) return;
    OpenPlanFile(World.WayPointList, Path(name));
    PlanFileName = name;
    SetGridRowCounts();
    World.WayPointList.CalcPlan();
    World.WayPointList.PlanModified = false;
    CurrentFileName = PlanFileName;
    RefreshTotals();
}

void TfmMain::mSaveRSBNClick() {
    if (PlanFileName.isEmpty()) {
        mSaveRSBN_asClick();
        return;
    }
    SavePlanFile(World.WayPointList, Path(PlanFileName));
    CurrentFileName = PlanFileName;
    World.WayPointList.PlanModified = false;
    RefreshTotals();
}

void TfmMain::mSaveRSBN_asClick() {
    const QString name =
        QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить флайт-план с РСБН"),
                                     PlanFileName, QStringLiteral("RSBN file (*.rbf *.RBF)"));
    if (name.isEmpty()) return;
    SavePlanFile(World.WayPointList,
                 Path(name.endsWith(QLatin1Char('.')) ? name + QStringLiteral("RBF") : name));
    PlanFileName = name;
    World.WayPointList.PlanModified = false;
    CurrentFileName = name;
    RefreshTotals();
}

void TfmMain::mExportClick() {
    const QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Сохранение флайт-плана для Штурманского помощника"),
        QStringLiteral("navi_helper.txt"), QStringLiteral("navi_helper.txt (navi_helper.txt)"));
    if (name.isEmpty()) return;
    ExportNaviHelper(World.WayPointList, Path(name));
}

void TfmMain::mPrintClick() {}
void TfmMain::mPrintPreviewClick() {}
void TfmMain::mExportPDFClick() {}
void TfmMain::mExportGPXClick() {}
void TfmMain::mExportKMLClick() {}

} // namespace kestrun
