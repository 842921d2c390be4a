#include "ui/plangrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

#include "plan/fltpln.h"
#include "ui/qtext.h"
#include "ui/uierror.h"

namespace kestrun {

namespace {

// Rows take the height of a combo box, so that the beacon picker laid over a cell fills it.
constexpr int kRowHeight = 21;

// Columns of both tables that the editor may open on: the name and the coordinates.
constexpr int kNameCol = 2;
constexpr int kCoordsCol = 3;

constexpr QRgb kEvenRowColour = qRgb(215, 240, 255);
constexpr QRgb kGreyTextColour = qRgb(192, 192, 192);

// A failure inside a handler is shown here, as the program's default handler shows it, rather
// than unwinding through the view's own code; the program goes on.
template <class F> void Guard(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

TPlanGrid* GridOf(const QWidget* w) {
    for (QWidget* p = const_cast<QWidget*>(w); p; p = p->parentWidget())
        if (auto* g = qobject_cast<TPlanGrid*>(p)) return g;
    return nullptr;
}

// A raised inner edge: light on the left and top, shadow on the right and bottom.
void DrawButtonCell(QPainter* p, QRect r, const QPalette& pal) {
    p->fillRect(r, pal.button());
    p->setPen(pal.color(QPalette::Light));
    p->drawLine(r.topLeft(), r.topRight());
    p->drawLine(r.topLeft(), r.bottomLeft());
    p->setPen(pal.color(QPalette::Dark));
    p->drawLine(r.bottomLeft(), r.bottomRight());
    p->drawLine(r.topRight(), r.bottomRight());
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

} // namespace

QString CoordEditMask() {
    // "a" a letter, "0" a digit; the rest are literals; "0" shows in untyped positions. The
    // positions are optional, so that Enter hands back a partly typed text as well.
    return QStringLiteral("a00°00.00’ a000°00.00’;0");
}

bool IsLowerLatinKey(const QKeyEvent& event) {
    const QString t = event.text();
    return t.size() == 1 && t[0] >= QLatin1Char('a') && t[0] <= QLatin1Char('z');
}

// ---- model ----

TPlanGridModel::TPlanGridModel(const TWayPointList& plan, std::vector<TColDescript> columns,
                               QObject* parent)
    : QAbstractTableModel(parent), Plan_(&plan), Columns_(std::move(columns)) {}

int TPlanGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount_ - 1;
}

int TPlanGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Columns_.size());
}

QVariant TPlanGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1;
    const TCellContent content = Columns_[static_cast<std::size_t>(index.column())].Content;
    switch (role) {
    case Qt::DisplayRole:
        return ToQ(CellText(*Plan_, row, content));
    case GreyRole:
        return CellGrey(*Plan_, row, content);
    default:
        return {};
    }
}

QVariant TPlanGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return ToQ(Columns_[static_cast<std::size_t>(section)].Caption);
}

Qt::ItemFlags TPlanGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kNameCol || index.column() == kCoordsCol) f |= Qt::ItemIsEditable;
    return f;
}

void TPlanGridModel::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows > RowCount_) {
        beginInsertRows({}, RowCount_ - 1, rows - 2);
        RowCount_ = rows;
        endInsertRows();
    } else if (rows < RowCount_) {
        beginRemoveRows({}, rows - 1, RowCount_ - 2);
        RowCount_ = rows;
        endRemoveRows();
    }
}

void TPlanGridModel::SetCaption(int col, const std::string& caption) {
    Columns_[static_cast<std::size_t>(col)].Caption = caption;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

// ---- view ----

TPlanGrid::TPlanGrid(const QString& objectName, const TWayPointList& plan,
                     std::vector<TColDescript> columns, IPlanGridHandler& handler, QWidget* parent)
    : QTableView(parent), Model_(plan, std::move(columns)), Handler_(handler) {
    setObjectName(objectName);
    setModel(&Model_);
    setItemDelegate(new TPlanGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
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
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TPlanGrid::Scrolled);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &TPlanGrid::Scrolled);
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

void TPlanGrid::CloseEditor() {
    if (QWidget* e = Editor_.data()) {
        commitData(e);
        closeEditor(e, QAbstractItemDelegate::NoHint);
    }
}

void TPlanGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == Editor_.data()) Editor_.clear();
    QTableView::closeEditor(editor, hint);
}

void TPlanGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    viewport()->update(); // the row marker moves with the current row
}

void TPlanGrid::RepaintAll() {
    viewport()->update();
}

void TPlanGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace) {
        QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, event->modifiers());
        QTableView::keyPressEvent(&left);
        return;
    }
    if (UpperCaseKeys && IsLowerLatinKey(*event)) {
        QKeyEvent upper(QEvent::KeyPress, event->key(), event->modifiers(), event->text().toUpper(),
                        event->isAutoRepeat(), event->count());
        QTableView::keyPressEvent(&upper);
        return;
    }
    bool handled = false;
    Guard([&] { handled = Handler_.GridKeyDown(*this, *event); });
    if (handled) return;
    QTableView::keyPressEvent(event);
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
    const bool selected = grid->currentIndex() == index && grid->hasFocus();
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
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    if (index.column() == kCoordsCol) editor->setInputMask(CoordEditMask());
    const int col = index.column(), row = index.row() + 1;
    connect(editor, &QLineEdit::textChanged, editor, [grid, col, row, editor](const QString&) {
        Guard(
            [&] { grid->Handler().GridSetEditText(*grid, col, row, editor->displayText(), true); });
    });
    grid->Editor_ = editor;
    return editor;
}

void TPlanGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* e = qobject_cast<QLineEdit*>(editor);
    TPlanGrid* grid = GridOf(editor);
    if (!e || !grid) return;
    QString text;
    Guard([&] { text = grid->Handler().GridGetEditText(*grid, index.column(), index.row() + 1); });
    const QSignalBlocker block(e);
    e->setText(text);
}

void TPlanGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex& index) const {
    auto* e = qobject_cast<QLineEdit*>(editor);
    TPlanGrid* grid = GridOf(editor);
    if (!e || !grid) return;
    Guard([&] {
        grid->Handler().GridSetEditText(*grid, index.column(), index.row() + 1, e->displayText(),
                                        false);
    });
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
            if (key->key() == Qt::Key_Backspace) {
                QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, key->modifiers());
                QCoreApplication::sendEvent(editor, &left);
                return true;
            }
            if (grid->UpperCaseKeys && IsLowerLatinKey(*key)) {
                QKeyEvent upper(QEvent::KeyPress, key->key(), key->modifiers(),
                                key->text().toUpper(), key->isAutoRepeat(), key->count());
                QCoreApplication::sendEvent(editor, &upper);
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
            if (k == Qt::Key_Up || k == Qt::Key_Down ||
                (k == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) ||
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
