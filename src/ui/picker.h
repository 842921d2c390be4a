// The beacon picker: a drop-down list over the beacon cell of the RSBN grid. Its items are a
// model over the beacon database (item 0 empty, item i the beacon i - 1), so that opening it
// costs the annotation of the beacons, not the building of thousands of list items.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QStyledItemDelegate>

namespace kestrun {

class TRSBNList;
class TWayPointList;

enum TPickerRole {
    /// The text the picker draws: "Name, [Ident]" and " (123 km)" for an annotated beacon.
    PickerTextRole = Qt::UserRole + 1,
};

class TBeaconPickerModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TBeaconPickerModel(const TRSBNList& beacons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    /// Display text "Name [Number]", which the list's keyboard search goes by.
    QVariant data(const QModelIndex& index, int role) const override;

    const TRSBNList& Beacons() const { return *Beacons_; }
    /// The beacon database was reloaded: the items follow it.
    void Rebuild();

private:
    const TRSBNList* Beacons_;
};

/// The picker `cbRSBN`: the editor of a beacon cell. It opens dropped down; choosing an item
/// commits it (Picked), closing the list in any other way (Escape, a click elsewhere) changes
/// nothing (Cancelled). Closed, it takes no arrow key and no wheel turn: they belong to the grid.
class TBeaconPicker : public QComboBox {
    Q_OBJECT
public:
    TBeaconPicker(TRSBNList& beacons, QWidget* parent = nullptr);

    TBeaconPickerModel& Model() { return Model_; }
    /// The leg the picker edits: from waypoint `number` of `plan` to the next one, if any.
    void SetLeg(const TWayPointList& plan, int number);
    /// Whether the list is dropped down (annotations are drawn only then).
    bool DroppedDown() const { return DroppedDown_; }

    /// Annotates the beacons against the leg (distances, marks), then drops the list down.
    void showPopup() override;

signals:
    void Picked();
    void Cancelled();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TRSBNList& Beacons_;
    TBeaconPickerModel Model_;
    const TWayPointList* Plan_ = nullptr;
    int Number_ = 0;
    bool DroppedDown_ = false;
    bool Picked_ = false;
};

/// Draws the picker's items with their annotations: "(^)", "(v)" on lime for a beacon at an end
/// of the leg, aqua for one within 360 km of the leg's end.
class TBeaconItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TBeaconItemDelegate(TBeaconPicker& picker) : QStyledItemDelegate(&picker), Picker_(picker) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// The item's text and colours as drawn; background invalid: the list's own.
    struct TLook {
        QString Text;
        QColor Background, Foreground;
    };
    TLook Look(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    TBeaconPicker& Picker_;
};

} // namespace kestrun
