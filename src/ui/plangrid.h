// The two plan grids: a table view over the plan whose model reads every cell from the
// waypoints when it is painted (nothing is cached), drawn by one delegate that follows the
// grids' colour and alignment rules.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <vector>

#include "plan/gridcells.h"

class QKeyEvent;

namespace kestrun {

class TPlanGrid;
class TWayPointList;

/// The window's handlers of the grids' events; both grids share them.
class IPlanGridHandler {
public:
    /// The editor asks for the text of cell (col, row); row 1 is the first waypoint.
    virtual QString GridGetEditText(TPlanGrid& grid, int col, int row) = 0;
    /// The editor hands back its text: after every change while open, and once when it closes.
    virtual void GridSetEditText(TPlanGrid& grid, int col, int row, const QString& text,
                                 bool editorOpen) = 0;
    /// A key pressed in the grid (or passed on by its editor); true when it was handled.
    virtual bool GridKeyDown(TPlanGrid& grid, QKeyEvent& key) = 0;

protected:
    ~IPlanGridHandler() = default;
};

/// Data roles besides the displayed text.
enum TPlanGridRole { GreyRole = Qt::UserRole + 1 };

/// Grid row r (1-based; row 0 is the header) is model row r - 1.
class TPlanGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TPlanGridModel(const TWayPointList& plan, std::vector<TColDescript> columns,
                   QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// The grid's row count, header included; rows beyond the plan are drawn empty.
    int RowCount() const { return RowCount_; }
    void SetRowCount(int rows);

    const TWayPointList& Plan() const { return *Plan_; }
    const std::vector<TColDescript>& Columns() const { return Columns_; }
    /// Sets the caption of a column; the header shows it at once.
    void SetCaption(int col, const std::string& caption);

private:
    const TWayPointList* Plan_;
    std::vector<TColDescript> Columns_;
    int RowCount_ = 2;
};

/// One grid. Column widths start from the column table; dragging a header to another place
/// moves only the column's width, the captions and contents stay bound to their positions.
class TPlanGrid : public QTableView {
    Q_OBJECT
public:
    TPlanGrid(const QString& objectName, const TWayPointList& plan,
              std::vector<TColDescript> columns, IPlanGridHandler& handler,
              QWidget* parent = nullptr);

    TPlanGridModel& Model() { return Model_; }
    const TPlanGridModel& Model() const { return Model_; }
    IPlanGridHandler& Handler() { return Handler_; }

    /// The current cell: grid row (1-based, 0 when there is none) and column.
    int Row() const;
    int Col() const;
    void SetCurrent(int row, int col);

    /// Letters a to z typed into the grid or its editor become A to Z before either sees them.
    bool UpperCaseKeys = false;

    bool EditorOpen() const { return !Editor_.isNull(); }
    /// Closes the open editor, handing its text back first.
    void CloseEditor();
    /// Repaints every visible cell from the plan.
    void RepaintAll();

    /// The view's own handling of a key, after the handler passed it on.
    void BaseKeyPress(QKeyEvent* event) { QTableView::keyPressEvent(event); }

signals:
    /// The grid scrolled.
    void Scrolled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class TPlanGridDelegate;
    void KeepColumnsInPlace(int logical, int oldVisual, int newVisual);

    TPlanGridModel Model_;
    IPlanGridHandler& Handler_;
    QPointer<QWidget> Editor_;
};

/// Draws every cell of both grids and provides their in-place editor.
class TPlanGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
};

/// The edit mask of the coordinates cell, in Qt's notation: a letter, then digits, with the
/// degree sign, point, closing mark and blank as fixed characters; untyped positions show "0".
QString CoordEditMask();

/// Whether a key event types one of the letters a to z.
bool IsLowerLatinKey(const QKeyEvent& event);

} // namespace kestrun
