// The two plan grids: a table view over the plan whose model reads every cell from the
// waypoints when it is painted (nothing is cached), drawn by one delegate that follows the
// grids' colour and alignment rules.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <optional>
#include <vector>

#include "math/geopoint.h"

#include "plan/gridcells.h"

class QKeyEvent;

namespace kestrun {

class TPlanGrid;
class TPlanDocument;
class TBeaconPicker;
class TRSBNList;
class TWayPointList;

/// The window's handling of the keys of the grids; both grids share it.
class IPlanGridHandler {
public:
    /// A key pressed in the grid (or passed on by its editor); true when it was handled.
    virtual bool GridKeyDown(TPlanGrid& grid, QKeyEvent& key) = 0;

protected:
    ~IPlanGridHandler() = default;
};

/// Data roles besides the displayed text.
enum TPlanGridRole { GreyRole = Qt::UserRole + 1 };

/// Row r of the model is waypoint r + 1. Every change of the plan, made by the document, comes
/// as the model's own change signals; edits come back through setData and go to the document
/// as commands.
class TPlanGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TPlanGridModel(TPlanDocument& doc, std::vector<TColDescript> columns,
                   QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    /// Display text, GreyRole, and the editors' EditRole: the name, the coordinate text, or
    /// the leg's beacon index (-1 for none).
    QVariant data(const QModelIndex& index, int role) const override;
    /// Takes an edit: a name (Latin letters upper-cased), a typed coordinate text, or a beacon
    /// index. A coordinate text that is not a position is refused: the waypoint keeps its
    /// position and PositionRefused says so.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const TWayPointList& Plan() const;
    TPlanDocument& Document() { return Doc_; }
    const std::vector<TColDescript>& Columns() const { return Columns_; }
    TCellContent Content(int col) const;
    /// The position of the column that shows `content`, or -1.
    int Column(TCellContent content) const;
    /// Sets the caption of a column; the header shows it at once.
    void SetCaption(int col, const std::string& caption);
    /// Whether the beacon column takes a beacon chosen in the picker (the RSBN grid).
    bool BeaconsEditable = false;

signals:
    /// A typed coordinate text was refused; waypoint `number` keeps its position.
    void PositionRefused(const QString& text, int number);

private:
    TPlanDocument& Doc_;
    std::vector<TColDescript> Columns_;
};

/// One grid. Column widths start from the column table; dragging a header to another place
/// moves only the column's width, the captions and contents stay bound to their positions.
/// On the beacon column of a grid with `beacons`, the picker drops down on Enter, Alt+Down, F4,
/// a click or typing; the arrow keys and the wheel never change a beacon there.
class TPlanGrid : public QTableView {
    Q_OBJECT
public:
    TPlanGrid(const QString& objectName, TPlanDocument& doc, std::vector<TColDescript> columns,
              IPlanGridHandler& handler, TRSBNList* beacons = nullptr, QWidget* parent = nullptr);

    TPlanGridModel& Model() { return Model_; }
    const TPlanGridModel& Model() const { return Model_; }
    IPlanGridHandler& Handler() { return Handler_; }
    using QTableView::edit;
    /// The beacon list the picker shows; null for a grid without a picker.
    TRSBNList* Beacons() const { return Beacons_; }

    /// The current cell: grid row (1-based, 0 when there is none) and column.
    int Row() const;
    int Col() const;
    void SetCurrent(int row, int col);

    /// Letters a to z typed into the grid or its editor become A to Z before either sees them.
    bool UpperCaseKeys = false;

    bool EditorOpen() const { return !Editor_.isNull(); }
    /// The open beacon picker, or null.
    TBeaconPicker* Picker() const;
    /// Closes the open editor, handing its text back first.
    void CloseEditor();
    /// Drops the beacon picker down over the current cell when it is a beacon cell.
    bool OpenPicker();
    /// Whether the current cell is a beacon cell with a picker.
    bool OnPickerCell() const;

    /// The view's own handling of a key, after the handler passed it on.
    void BaseKeyPress(QKeyEvent* event) { QTableView::keyPressEvent(event); }

    /// Typing selects no cell: letters and digits go to the editor of an editable cell only.
    void keyboardSearch(const QString&) override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class TPlanGridDelegate;
    void KeepColumnsInPlace(int logical, int oldVisual, int newVisual);

    TPlanGridModel Model_;
    IPlanGridHandler& Handler_;
    TRSBNList* Beacons_;
    QPointer<QWidget> Editor_;
};

/// Draws every cell of both grids and makes their editors: a line edit for the name and the
/// coordinates (with the coordinate mask), the beacon picker for the beacon. Every edit is
/// committed here, through the model.
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

private:
    /// The picker's choice is committed and the picker closed; a list closed otherwise
    /// (Escape, a click elsewhere) changes nothing.
    void PickerPicked();
    void PickerCancelled();
};

/// The position a coordinate text typed into the mask stands for: untyped digits count as
/// zeros; a text the parser refuses, or with 60 or more minutes, gives none.
std::optional<TGeoPoint> TypedPosition(const std::string& cp1251);

/// The edit mask of the coordinates cell, in Qt's notation: a letter, then digits, with the
/// degree sign, point, closing mark and blank as fixed characters; untyped positions show "0".
QString CoordEditMask();

/// Whether a key event has no modifier key held (the keypad flag aside).
bool NoModifier(const QKeyEvent& event);

/// Whether a key event types one of the letters a to z.
bool IsLowerLatinKey(const QKeyEvent& event);

} // namespace kestrun
