#include "ui/plangrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "base/error.h"
#include "base/textutil.h"
#include "math/tools.h"
#include "plan/fltpln.h"
#include "ui/picker.h"
#include "ui/plandoc.h"
#include "ui/qtext.h"
#include "ui/uierror.h"

namespace kestrun {

namespace {

// Rows take the height of a combo box, so that the beacon picker laid over a cell fills it.
constexpr int kRowHeight = 21;

constexpr QRgb kEvenRowColour = qRgb(215, 240, 255);
constexpr QRgb kGreyTextColour = qRgb(192, 192, 192);

// A name keeps everything as typed but the Latin letters, which become capitals.
std::string UpperLatin(std::string s) {
    for (char& c : s) c = UpperAscii(c);
    return s;
}

// The key a grid or its editor takes in place of `key`: Backspace moves left, and where letters
// are upper-cased, a to z become A to Z before the grid or the editor sees them. Null: none.
std::unique_ptr<QKeyEvent> StandInKey(const QKeyEvent& key, bool upperCase) {
    if (key.key() == Qt::Key_Backspace)
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Left, key.modifiers());
    if (upperCase && IsLowerLatinKey(key))
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, key.key(), key.modifiers(),
                                           key.text().toUpper(), key.isAutoRepeat(), key.count());
    return nullptr;
}

TPlanGrid* GridOf(const QWidget* w) {
    for (QWidget* p = const_cast<QWidget*>(w); p; p = p->parentWidget())
        if (auto* g = qobject_cast<TPlanGrid*>(p)) return g;
    return nullptr;
}

// A raised inner edge: light on the left and top, shadow on the right and bottom.
void DrawRaisedEdge(QPainter* p, QRect r, const QPalette& pal) {
    p->setPen(pal.color(QPalette::Light));
    p->drawLine(r.topLeft(), r.topRight());
    p->drawLine(r.topLeft(), r.bottomLeft());
    p->setPen(pal.color(QPalette::Dark));
    p->drawLine(r.bottomLeft(), r.bottomRight());
    p->drawLine(r.topRight(), r.bottomRight());
}

void DrawButtonCell(QPainter* p, QRect r, const QPalette& pal) {
    p->fillRect(r, pal.button());
    DrawRaisedEdge(p, r, pal);
    p->setPen(Qt::black);
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(-1, -1, 0, 0));
}

// The black triangle pointing right on the current row's marker cell, on the grown rectangle.
void DrawRowMarker(QPainter* p, QRect cell) {
    const int left = cell.left() - 1, top = cell.top() - 1;
    const int right = cell.right() + 2, bottom = cell.bottom() + 2;
    const QPoint corners[3] = {QPoint(left + 3, top + 4),
                               QPoint(right - 3, top + (bottom - top) / 2),
                               QPoint(left + 3, bottom - 4)};
    p->setPen(Qt::black);
    p->setBrush(Qt::black);
    p->drawPolygon(corners, 3);
}

// Header cells: the caption at (2, 2) on the button face, clipped to the cell, raised edges.
class TPlanGridHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter* p, const QRect& r, int logical) const override {
        if (!r.isValid()) return;
        p->save();
        p->fillRect(r, palette().button());
        p->setClipRect(r);
        p->setPen(palette().color(QPalette::ButtonText));
        p->drawText(QPoint(r.left() + 2, r.top() + 2 + fontMetrics().ascent()),
                    model()->headerData(logical, orientation()).toString());
        DrawRaisedEdge(p, r, palette());
        p->restore();
    }
};

} // namespace

QString CoordEditMask() {
    // "a" a letter, "0" a digit; the rest are literals; "0" shows in untyped positions. The
    // positions are optional, so that Enter hands back a partly typed text as well.
    return QStringLiteral("a00°00.00’ a000°00.00’;0");
}

bool NoModifier(const QKeyEvent& event) {
    // The keypad's Insert is Insert too.
    return (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

std::optional<TGeoPoint> TypedPosition(const std::string& cp1251) {
    // Untyped positions of the mask come back as blanks: each becomes a zero, except the blank
    // that separates the latitude from the longitude.
    std::string text = cp1251;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ' ' && !(i + 1 < text.size() && (text[i + 1] == 'E' || text[i + 1] == 'W')))
            text[i] = '0';
    // "N55°58.35’ E037°24.68’": the tens of the minutes stand after each degree sign. The
    // parser carries 60 minutes and more into the degrees, as files may write them; typed,
    // they are a slip.
    for (std::size_t deg = text.find('\xB0'); deg != std::string::npos;
         deg = text.find('\xB0', deg + 1))
        if (deg + 1 < text.size() && text[deg + 1] >= '6' && text[deg + 1] <= '9') return {};
    try {
        return StrToGeoPoint(text);
    } catch (const EKestrunError&) {
        return {};
    }
}

bool IsLowerLatinKey(const QKeyEvent& event) {
    const QString t = event.text();
    return t.size() == 1 && t[0] >= QLatin1Char('a') && t[0] <= QLatin1Char('z');
}

// ---- model ----

TPlanGridModel::TPlanGridModel(TPlanDocument& doc, std::vector<TColDescript> columns,
                               QObject* parent)
    : QAbstractTableModel(parent), Doc_(doc), Columns_(std::move(columns)) {
    connect(&doc, &TPlanDocument::Changed, this, [this] {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
    connect(&doc, &TPlanDocument::AboutToInsert, this,
            [this](int i) { beginInsertRows({}, i, i); });
    connect(&doc, &TPlanDocument::Inserted, this, [this] { endInsertRows(); });
    connect(&doc, &TPlanDocument::AboutToRemove, this,
            [this](int i) { beginRemoveRows({}, i, i); });
    connect(&doc, &TPlanDocument::Removed, this, [this] { endRemoveRows(); });
    connect(&doc, &TPlanDocument::AboutToReset, this, [this] { beginResetModel(); });
    connect(&doc, &TPlanDocument::ResetDone, this, [this] { endResetModel(); });
}

const TWayPointList& TPlanGridModel::Plan() const {
    return Doc_.Plan;
}

int TPlanGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Doc_.Plan.Count();
}

int TPlanGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Columns_.size());
}

TCellContent TPlanGridModel::Content(int col) const {
    return col >= 0 && col < columnCount() ? Columns_[static_cast<std::size_t>(col)].Content
                                           : ccMarker;
}

int TPlanGridModel::Column(TCellContent content) const {
    return ColumnOf(Columns_, content);
}

QVariant TPlanGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int row = index.row() + 1;
    const TCellContent content = Content(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return ToQ(CellText(Plan(), row, content));
    case GreyRole:
        return CellGrey(Plan(), row, content);
    case Qt::EditRole: {
        const TWayPoint& w = Plan()[index.row()];
        if (content == ccName) return ToQ(w.Name);
        if (content == ccCoords) return ToQ(GeoPointToStr(w.Pos));
        if (content == ccBeacon) return Plan().BeaconOf(w) ? w.BeaconIndex : -1;
        return {};
    }
    default:
        return {};
    }
}

bool TPlanGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const int number = index.row() + 1;
    bool taken = false;
    RunReported([&] {
        switch (Content(index.column())) {
        case ccName:
            Doc_.SetName(number, UpperLatin(FromQ(value.toString())));
            taken = true;
            break;
        case ccCoords:
            if (const auto pos = TypedPosition(FromQ(value.toString()))) {
                Doc_.SetPos(number, *pos);
                taken = true;
            } else {
                emit PositionRefused(value.toString(), number);
            }
            break;
        case ccBeacon:
            Doc_.SetBeacon(number, value.toInt());
            taken = true;
            break;
        default:
            break;
        }
    });
    return taken;
}

QVariant TPlanGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return ToQ(Columns_[static_cast<std::size_t>(section)].Caption);
}

Qt::ItemFlags TPlanGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const TCellContent c = Content(index.column());
    if (c == ccName || c == ccCoords || (c == ccBeacon && BeaconsEditable)) f |= Qt::ItemIsEditable;
    return f;
}

void TPlanGridModel::SetCaption(int col, const std::string& caption) {
    Columns_[static_cast<std::size_t>(col)].Caption = caption;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

// ---- view ----

TPlanGrid::TPlanGrid(const QString& objectName, TPlanDocument& doc,
                     std::vector<TColDescript> columns, IPlanGridHandler& handler,
                     TRSBNList* beacons, QWidget* parent)
    : QTableView(parent), Model_(doc, std::move(columns)), Handler_(handler), Beacons_(beacons) {
    setObjectName(objectName);
    Model_.BeaconsEditable = beacons != nullptr;
    setHorizontalHeader(new TPlanGridHeader(Qt::Horizontal, this));
    setModel(&Model_);
    setItemDelegate(new TPlanGridDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    QHeaderView* h = horizontalHeader();
    h->setMinimumSectionSize(1);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    h->setHighlightSections(false);
    h->setSectionsMovable(true);
    h->setFixedHeight(kRowHeight);
    h->setStretchLastSection(false);
    // The widths are made for the design font, in which the coordinate column just holds a
    // position; a wider font widens every column by the same factor.
    const double scale = std::max(
        1.0,
        (fontMetrics().horizontalAdvance(QStringLiteral("N55°58.62’ E037°24.67’")) + 6) / 125.0);
    for (int c = 0; c < Model_.columnCount(); ++c)
        h->resizeSection(
            c, static_cast<int>(Model_.Columns()[static_cast<std::size_t>(c)].Width * scale + 0.5));
    connect(h, &QHeaderView::sectionMoved, this, &TPlanGrid::KeepColumnsInPlace);
    SetCurrent(1, 1);
}

int TPlanGrid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int TPlanGrid::Col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void TPlanGrid::SetCurrent(int row, int col) {
    const QModelIndex i = Model_.index(row - 1, col);
    if (i.isValid()) setCurrentIndex(i);
}

TBeaconPicker* TPlanGrid::Picker() const {
    return qobject_cast<TBeaconPicker*>(Editor_.data());
}

void TPlanGrid::CloseEditor() {
    if (QWidget* e = Editor_.data()) {
        commitData(e);
        closeEditor(e, QAbstractItemDelegate::NoHint);
    }
}

bool TPlanGrid::OnPickerCell() const {
    return Beacons_ && currentIndex().isValid() && Model_.Content(Col()) == ccBeacon;
}

bool TPlanGrid::OpenPicker() {
    if (!OnPickerCell()) return false;
    if (!Picker() && !edit(currentIndex(), AllEditTriggers, nullptr)) return false;
    if (TBeaconPicker* p = Picker()) p->showPopup();
    return Picker() != nullptr;
}

bool TPlanGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // A click on a beacon cell drops the picker down (mouseReleaseEvent); the view's own click
    // triggers would only lay a closed one over the cell.
    if (Beacons_ && index.isValid() && Model_.Content(index.column()) == ccBeacon &&
        (trigger == DoubleClicked || trigger == SelectedClicked || trigger == EditKeyPressed))
        return false;
    return QTableView::edit(index, trigger, event);
}

void TPlanGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == Editor_.data()) Editor_.clear();
    // The picker's list may have had the focus rather than the picker: the grid takes it back
    // from either.
    const QWidget* focus = QApplication::focusWidget();
    const bool refocus = qobject_cast<TBeaconPicker*>(editor) &&
                         (!focus || focus == editor || editor->isAncestorOf(focus));
    QTableView::closeEditor(editor, hint);
    if (refocus) setFocus();
}

void TPlanGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    viewport()->update(); // the row marker moves with the current row
}

void TPlanGrid::keyPressEvent(QKeyEvent* event) {
    if (const auto standIn = StandInKey(*event, UpperCaseKeys)) {
        QTableView::keyPressEvent(standIn.get());
        return;
    }
    bool handled = false;
    RunReported([&] { handled = Handler_.GridKeyDown(*this, *event); });
    if (handled) return;
    const int k = event->key();
    const bool enter = k == Qt::Key_Return || k == Qt::Key_Enter;
    if (OnPickerCell() &&
        (enter || k == Qt::Key_F4 || (k == Qt::Key_Down && event->modifiers() & Qt::AltModifier))) {
        OpenPicker();
        return;
    }
    // Enter opens the editor on a cell that can be edited.
    if (enter && state() != EditingState && (currentIndex().flags() & Qt::ItemIsEditable)) {
        QTableView::edit(currentIndex());
        return;
    }
    QTableView::keyPressEvent(event);
}

void TPlanGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()) == currentIndex())
        OpenPicker();
}

void TPlanGrid::KeepColumnsInPlace(int, int oldVisual, int newVisual) {
    QHeaderView* h = horizontalHeader();
    std::vector<int> widths;
    for (int v = 0; v < h->count(); ++v) widths.push_back(h->sectionSize(h->logicalIndex(v)));
    {
        const QSignalBlocker block(h);
        h->moveSection(newVisual, oldVisual);
    }
    for (int v = 0; v < h->count(); ++v)
        h->resizeSection(h->logicalIndex(v), widths[static_cast<std::size_t>(v)]);
    viewport()->update();
}

// ---- delegate ----

void TPlanGridDelegate::paint(QPainter* p, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const TPlanGrid* grid = GridOf(option.widget);
    if (!grid) return;
    const TPlanGridModel& model = grid->Model();
    const int row = index.row() + 1;
    if (row > model.Plan().Count()) return; // beyond the plan: left unpainted
    const TColDescript& col = model.Columns()[static_cast<std::size_t>(index.column())];
    const QPalette& pal = option.palette;
    const QRect r = option.rect;
    p->save();
    if (col.Align == caMarker) {
        DrawButtonCell(p, r, pal);
        if (grid->currentIndex().row() == index.row()) DrawRowMarker(p, r);
        p->restore();
        return;
    }
    const bool selected = grid->hasFocus() && (grid->currentIndex() == index ||
                                               grid->selectionModel()->isSelected(index));
    QColor back, text;
    if (selected) {
        back = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    } else {
        back = row % 2 ? pal.color(QPalette::Base) : QColor(kEvenRowColour);
        text = pal.color(QPalette::Text);
    }
    if (index.data(GreyRole).toBool()) text = QColor(kGreyTextColour);
    p->fillRect(r, back);
    const QString s = index.data(Qt::DisplayRole).toString();
    if (!s.isEmpty()) {
        const int width = option.fontMetrics.horizontalAdvance(s);
        int offset = 2;
        if (col.Align == caRight) {
            offset = r.width() - width - 2;
            if (offset <= 0) offset = 2;
        }
        // Clipped to the cell only when the text would run into the next one.
        const bool clip = offset + width > r.width();
        if (clip) p->setClipRect(r);
        p->setPen(text);
        p->drawText(QPoint(r.left() + offset, r.top() + 2 + option.fontMetrics.ascent()), s);
    }
    p->restore();
}

QWidget* TPlanGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
    TPlanGrid* grid = GridOf(parent);
    QWidget* editor = nullptr;
    if (grid->Model().Content(index.column()) == ccBeacon) {
        auto* picker = new TBeaconPicker(*grid->Beacons(), parent);
        picker->SetLeg(grid->Model().Plan(), index.row() + 1);
        connect(picker, &TBeaconPicker::Picked, this, &TPlanGridDelegate::PickerPicked);
        connect(picker, &TBeaconPicker::Cancelled, this, &TPlanGridDelegate::PickerCancelled);
        editor = picker;
    } else {
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        if (grid->Model().Content(index.column()) == ccCoords) line->setInputMask(CoordEditMask());
        editor = line;
    }
    grid->Editor_ = editor;
    return editor;
}

void TPlanGridDelegate::PickerPicked() {
    auto* picker = qobject_cast<TBeaconPicker*>(sender());
    emit commitData(picker);
    emit closeEditor(picker);
}

void TPlanGridDelegate::PickerCancelled() {
    emit closeEditor(qobject_cast<TBeaconPicker*>(sender()), RevertModelCache);
}

void TPlanGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QVariant value = index.data(Qt::EditRole);
    if (auto* picker = qobject_cast<TBeaconPicker*>(editor)) {
        // The picker opens on the leg's own beacon (the empty item when it has none).
        picker->setCurrentIndex(value.toInt() + 1);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setText(value.toString());
    }
}

void TPlanGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    if (auto* picker = qobject_cast<TBeaconPicker*>(editor))
        model->setData(index, picker->currentIndex() - 1);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        model->setData(index, line->displayText());
}

void TPlanGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

bool TPlanGridDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        TPlanGrid* grid = GridOf(editor);
        if (grid) {
            if (const auto standIn = StandInKey(*key, grid->UpperCaseKeys)) {
                QCoreApplication::sendEvent(editor, standIn.get());
                return true;
            }
            // Enter hands the text back as typed, partly typed coordinates included.
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                grid->CloseEditor();
                grid->setFocus();
                return true;
            }
            // The editor reports these keys to the grid first; the grid closes the editor
            // (taking its text back) and handles them as its own.
            const bool ctrl = key->modifiers() & Qt::ControlModifier;
            const int k = key->key();
            // Up on the first row is swallowed by the grid; the editor stays open.
            if (k == Qt::Key_Up && grid->Row() == 1) return true;
            if (k == Qt::Key_Up || k == Qt::Key_Down || (k == Qt::Key_Insert && NoModifier(*key)) ||
                (k == Qt::Key_Delete && ctrl)) {
                grid->CloseEditor();
                grid->setFocus();
                QKeyEvent copy(QEvent::KeyPress, k, key->modifiers(), key->text());
                QCoreApplication::sendEvent(grid, &copy);
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace kestrun
