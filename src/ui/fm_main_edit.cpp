// The main window's editing: the grids' keys (append, insert, delete), copying cells for a
// spreadsheet, the support-point selector and the automatic choice of beacons. The editors
// themselves (name, coordinates, the beacon picker) are the grids' delegate's.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTabWidget>

#include "ui/fm_main.h"
#include "ui/progress.h"
#include "ui/world.h"

namespace kestrun {

TPlanGrid* TfmMain::CurrentGrid() const {
    return pcMain->currentWidget() == tsNVU ? sgNVU : sgRSBN;
}

bool TfmMain::GridKeyDown(TPlanGrid& grid, QKeyEvent& key) {
    const int row = grid.Row();
    switch (key.key()) {
    case Qt::Key_Up:
        return row == 1;
    case Qt::Key_Down:
        if (key.modifiers() & Qt::AltModifier) return false; // drops the beacon picker down
        grid.CloseEditor();
        if (row == Doc.Plan.Count()) {
            Doc.AppendWayPoint();
            // The other grid moves onto the new row too; this one moves by the key itself.
            TPlanGrid* other = &grid == sgRSBN ? sgNVU : sgRSBN;
            other->SetCurrent(Doc.Plan.Count(), other->Col());
        }
        return false;
    case Qt::Key_Insert:
        if (!NoModifier(key) || row < 1) return false;
        grid.CloseEditor();
        Doc.InsertWayPoint(row - 1);
        grid.SetCurrent(row, grid.Col()); // onto the new waypoint, which takes the row's number
        return true;
    case Qt::Key_Delete:
        if (!(key.modifiers() & Qt::ControlModifier)) return false;
        // Refused silently when the plan has a single waypoint.
        if (row >= 1) {
            grid.CloseEditor();
            Doc.DeleteWayPoint(row);
        }
        return true;
    default:
        return false;
    }
}

void TfmMain::rgSupportPointClick(int item) {
    Doc.SetSupPoint(static_cast<TSupPointKind>(item));
}

void TfmMain::mAutoSelectClick() {
    TCommandProgress progress(this, mAutoSelect->iconText(), Text("sProgress_AutoSelect"),
                              Text("sButton_Cancel"), ProgressDelayMs);
    Doc.AutoSelectBeacons(progress.Callback());
}

QString TfmMain::CopyText() const {
    const TPlanGrid* g = CurrentGrid();
    const QAbstractItemModel* m = g->model();
    int top = 0, bottom = m->rowCount() - 1, left = 1, right = m->columnCount() - 1;
    const QModelIndexList cells = g->selectionModel()->selectedIndexes();
    if (cells.size() > 1) {
        top = m->rowCount();
        bottom = -1;
        left = m->columnCount();
        right = -1;
        for (const QModelIndex& i : cells) {
            top = std::min(top, i.row());
            bottom = std::max(bottom, i.row());
            left = std::min(left, i.column());
            right = std::max(right, i.column());
        }
        left = std::max(left, 1); // the row marker holds no text
    }
    QStringList lines, cols;
    for (int c = left; c <= right; ++c) cols << m->headerData(c, Qt::Horizontal).toString();
    lines << cols.join(QLatin1Char('\t'));
    for (int r = top; r <= bottom; ++r) {
        cols.clear();
        for (int c = left; c <= right; ++c) cols << m->index(r, c).data().toString().trimmed();
        lines << cols.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TfmMain::mCopyClick() {
    QApplication::clipboard()->setText(CopyText());
}

} // namespace kestrun
