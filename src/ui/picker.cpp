#include "ui/picker.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QProxyStyle>
#include <QStylePainter>
#include <QTimer>
#include <QWheelEvent>

#include "base/numconv.h"
#include "plan/fltpln.h"
#include "plan/rsbnlist.h"
#include "ui/qtext.h"

namespace kestrun {

namespace {

constexpr int kItemHeight = 13;
constexpr int kVisibleItems = 20;
constexpr int kListMinWidth = 260;

// The dropped-down list: typing jumps to the first beacon whose text starts with what was typed
// (letters typed in quick succession add up, as in every list).
class TBeaconListView : public QListView {
public:
    using QListView::QListView;

    void keyboardSearch(const QString& search) override {
        if (!Typed_.isValid() || Typed_.elapsed() > QApplication::keyboardInputInterval())
            Prefix_.clear();
        Typed_.start();
        Prefix_ += search;
        QAbstractItemModel* m = model();
        for (int row = 1; m && row < m->rowCount(); ++row) {
            const QModelIndex i = m->index(row, 0);
            if (i.data().toString().startsWith(Prefix_, Qt::CaseInsensitive)) {
                setCurrentIndex(i);
                return;
            }
        }
    }

private:
    QString Prefix_;
    QElapsedTimer Typed_;
};

// A drop-down list below the picker, at most kVisibleItems high, whatever list placement the
// platform's style prefers.
class TDropDownStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ComboBox_Popup) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

// ---- model ----

TBeaconPickerModel::TBeaconPickerModel(const TRSBNList& beacons, QObject* parent)
    : QAbstractListModel(parent), Beacons_(&beacons) {}

int TBeaconPickerModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Beacons_->Count() + 1;
}

QVariant TBeaconPickerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() == 0 || index.row() > Beacons_->Count()) {
        if (role == Qt::DisplayRole || role == PickerTextRole) return QString();
        return {};
    }
    const TRSBNRec& b = (*Beacons_)[index.row() - 1];
    switch (role) {
    case Qt::DisplayRole:
        return ToQ(b.Name + " [" + b.Number + "]");
    case PickerTextRole: {
        std::string text = b.Name + ", [" + b.Ident + "]";
        if (b.Annotated) text += Format(" (%1.0f km)", {b.LegDistance});
        return ToQ(text);
    }
    default:
        return {};
    }
}

void TBeaconPickerModel::Rebuild() {
    beginResetModel();
    endResetModel();
}

// ---- picker ----

TBeaconPicker::TBeaconPicker(TRSBNList& beacons, QWidget* parent)
    : QComboBox(parent), Beacons_(beacons), Model_(beacons) {
    setObjectName(QStringLiteral("cbRSBN"));
    setEditable(false);
    auto* style = new TDropDownStyle;
    style->setParent(this);
    setStyle(style);
    setMaxVisibleItems(kVisibleItems);
    // Sizing to the contents would measure every beacon at each show.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(1);
    auto* list = new TBeaconListView(this);
    list->setUniformItemSizes(true);
    list->setLayoutMode(QListView::Batched);
    // Wide enough for a name, its identifier and its distance, even over a narrow column.
    list->setMinimumWidth(kListMinWidth);
    setView(list);
    setModel(&Model_);
    setItemDelegate(new TBeaconItemDelegate(*this));
    connect(this, &QComboBox::activated, this, [this] {
        Picked_ = true;
        emit Picked();
    });
}

void TBeaconPicker::SetLeg(const TWayPointList& plan, int number) {
    Plan_ = &plan;
    Number_ = number;
}

void TBeaconPicker::showPopup() {
    if (Plan_ && Number_ >= 1 && Number_ + 1 <= Plan_->Count())
        Beacons_.AnnotateBeacons((*Plan_)[Number_ - 1], (*Plan_)[Number_]);
    else
        Beacons_.ClearBeaconAnnotations();
    DroppedDown_ = true;
    QComboBox::showPopup();
    // However the list closes, its window hides; a choice has been made by then or never is.
    QWidget* list = view()->window();
    if (list != window()) list->installEventFilter(this);
}

bool TBeaconPicker::eventFilter(QObject* object, QEvent* event) {
    if (event->type() == QEvent::Hide && object == view()->window() && DroppedDown_) {
        DroppedDown_ = false;
        // The choice (activated) follows the hiding of the list.
        QTimer::singleShot(0, this, [this] {
            if (!Picked_) emit Cancelled();
        });
    }
    return QComboBox::eventFilter(object, event);
}

void TBeaconPicker::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Alt+Down drops the list down; the other moves are the grid's.
        if (event->key() == Qt::Key_Down && event->modifiers() & Qt::AltModifier) break;
        event->ignore();
        return;
    default:
        break;
    }
    // Typing searches the dropped-down list.
    const QString text = event->text();
    if (!text.isEmpty() && text[0].isPrint() && text != QStringLiteral(" ")) {
        showPopup();
        view()->keyboardSearch(text);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_F4 || event->key() == Qt::Key_Down ||
        event->key() == Qt::Key_Space) {
        showPopup();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TBeaconPicker::wheelEvent(QWheelEvent* event) {
    event->ignore(); // the grid under it scrolls
}

void TBeaconPicker::paintEvent(QPaintEvent*) {
    // The closed picker shows its item as the list draws it, in the list's normal colours.
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText = Model_.index(currentIndex()).data(PickerTextRole).toString();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

// ---- items ----

TBeaconItemDelegate::TLook TBeaconItemDelegate::Look(const QStyleOptionViewItem& option,
                                                     const QModelIndex& index) const {
    TLook look;
    look.Text = index.data(PickerTextRole).toString();
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    look.Background = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base);
    look.Foreground = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    if (index.row() == 0 || !Picker_.DroppedDown()) return look;
    const TRSBNRec& b = Picker_.Model().Beacons()[index.row() - 1];
    if (!b.Annotated) return look;
    if (b.LegNearness == rmAzimuthTo || b.LegNearness == rmAzimuthFrom) {
        look.Text.prepend(b.LegNearness == rmAzimuthTo ? QStringLiteral("(^)")
                                                       : QStringLiteral("(v)"));
        look.Background = QColor(0, 255, 0);
        look.Foreground = Qt::black;
    } else if (b.LegDistance < kReachKm && !selected) {
        look.Background = QColor(0, 255, 255);
        look.Foreground = Qt::black;
    }
    return look;
}

void TBeaconItemDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const TLook look = Look(option, index);
    p->save();
    p->fillRect(option.rect, look.Background);
    p->setClipRect(option.rect);
    p->setPen(look.Foreground);
    p->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, look.Text);
    p->restore();
}

QSize TBeaconItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    // 13 pixels at the design font; a larger system font needs its own line height.
    return QSize(option.rect.width() > 0 ? option.rect.width() : 100,
                 std::max(kItemHeight, option.fontMetrics.height()));
}

} // namespace kestrun
