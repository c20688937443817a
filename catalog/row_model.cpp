#include "row_model.h"

#include "window_kit.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kr {

namespace {

constexpr Qt::Alignment Left = Qt::AlignLeft;
constexpr Qt::Alignment Right = Qt::AlignRight;
constexpr Qt::Alignment Centre = Qt::AlignHCenter;

std::vector<ColumnSpec> OptionColumns(int nameWidth) {
    return {
        {"オプション名", nameWidth, Left}, {"値段", 55, Right}, {"CP", 35, Centre},
        {"BP", 35, Centre},                {"ｸﾗｽ", 38, Centre}, {"効果", 200, Left},
    };
}

std::vector<ColumnSpec> MoveColumns(int nameWidth) {
    return {
        {"移動方式", nameWidth, Left}, {"値段", 55, Right}, {"CP", 35, Centre},  {"BP", 35, Centre},
        {"移動", 45, Centre},          {"旋回", 45, Centre}, {"ｸﾗｽ", 38, Centre}, {"備考", 300, Left},
    };
}

// The delegate also tells where an item's check box is drawn, so that the
// view can tell a double-click on the box from one elsewhere on the row.
class ReportItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The list frames the current row as a whole (ReportListView::paintEvent), not a cell.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }

    QRect CheckBoxRect(const QAbstractItemView* view, QStyleOptionViewItem option, const QModelIndex& index) const {
        initStyleOption(&option, index);
        if (!(option.features & QStyleOptionViewItem::HasCheckIndicator)) return {};
        QStyle* style = view->style();
        return style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    }
};

}  // namespace

const std::vector<ColumnSpec> MainOptionColumns = OptionColumns(100);
const std::vector<ColumnSpec> MainMoveColumns = MoveColumns(200);
const std::vector<ColumnSpec> PickerOptionColumns = OptionColumns(170);
const std::vector<ColumnSpec> PickerMoveColumns = MoveColumns(150);
const std::vector<ColumnSpec> WeaponColumns = {
    {"武器名称", 200, Left}, {"種別", 70, Centre},     {"値段", 55, Right},  {"CP", 33, Centre},
    {"BP", 33, Centre},      {"威力", 45, Centre},     {"命中判定", 100, Centre}, {"回数", 45, Centre},
    {"射程", 45, Centre},    {"連射", 45, Centre},     {"間接", 45, Centre}, {"ｸﾗｽ", 38, Centre},
    {"備考", 300, Left},
};

// ---------------------------------------------------------------------------
// RowTableModel

RowTableModel::RowTableModel(std::unique_ptr<Source> source, std::vector<ColumnSpec> columns, bool checkable,
                             QObject* parent)
    : QAbstractTableModel(parent), source_(std::move(source)), columns_(std::move(columns)), checkable_(checkable) {}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(shown_ ? shown_->size() : source_->Count());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= columnCount())
        return {};
    const std::size_t row = SourceRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Cp932ToQString(source_->Cell(row, index.column()));
    case Qt::TextAlignmentRole:
        return static_cast<int>(columns_[static_cast<std::size_t>(index.column())].Align | Qt::AlignVCenter);
    case Qt::CheckStateRole:
        if (checkable_ && index.column() == 0)
            return static_cast<int>(source_->Checked(row) ? Qt::Checked : Qt::Unchecked);
        return {};
    default:
        return {};
    }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const ColumnSpec& column = columns_[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return Utf8ToQString(column.Caption);
    case Qt::TextAlignmentRole:
        return static_cast<int>(column.Align | Qt::AlignVCenter);
    default:
        return {};
    }
}

Qt::ItemFlags RowTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkable_ && index.column() == 0) result |= Qt::ItemIsUserCheckable;
    return result;
}

bool RowTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !checkable_ || !index.isValid() || index.column() != 0 ||
        index.row() < 0 || index.row() >= rowCount())
        return false;
    source_->SetChecked(SourceRow(index.row()), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

void RowTableModel::Reset() {
    beginResetModel();
    endResetModel();
}

void RowTableModel::TicksChanged() {
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::CheckStateRole});
}

bool RowTableModel::ShowRows(std::shared_ptr<const RowNumbers> sourceRows) {
    if (!sourceRows) sourceRows = std::make_shared<const RowNumbers>();
    if (shown_ && (shown_ == sourceRows || *shown_ == *sourceRows)) return false;
    beginResetModel();
    shown_ = std::move(sourceRows);
    endResetModel();
    return true;
}

bool RowTableModel::ShowAllRows() {
    if (!shown_) return false;
    beginResetModel();
    shown_.reset();
    endResetModel();
    return true;
}

int RowTableModel::ShownRow(std::size_t sourceRow) const {
    if (!shown_) return sourceRow < source_->Count() ? static_cast<int>(sourceRow) : -1;
    const auto at = std::lower_bound(shown_->begin(), shown_->end(), sourceRow);
    return at != shown_->end() && *at == sourceRow ? static_cast<int>(at - shown_->begin()) : -1;
}

// ---------------------------------------------------------------------------
// ReportListView

ReportListView::ReportListView(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new ReportItemDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setCornerButtonEnabled(false);
    // Tab goes on to the next widget, as in any list.
    setTabKeyNavigation(false);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setFont(GothicFont(15));

    QHeaderView* columns = horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setSectionsMovable(false);
    columns->setSectionsClickable(false);
    columns->setSortIndicatorShown(false);
    columns->setHighlightSections(false);
    columns->setMinimumSectionSize(8);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Every row has the same height, so no row is measured to lay the list out.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(RowHeight(false));

    // The selected row stays highlighted when the list loses focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

int ReportListView::RowHeight(bool checkable) const {
    // As tall as the tallest cell a row can have: a line of text in the list's
    // font, Japanese or Latin, and the check box.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features = QStyleOptionViewItem::HasDisplay;
    if (checkable) option.features |= QStyleOptionViewItem::HasCheckIndicator;
    int height = 0;
    for (const QString& text : {QStringLiteral("あ漢ｱ"), QStringLiteral("Mg0+/-|")}) {
        option.text = text;
        height = std::max(height, style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height());
    }
    return height;
}

void ReportListView::SetRowModel(RowTableModel* model) {
    model_ = model;
    if (model) verticalHeader()->setDefaultSectionSize(RowHeight(model->Checkable()));
    setModel(model);
    if (!model) return;
    const auto& columns = model->Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) setColumnWidth(static_cast<int>(i), columns[i].Width);
}

long ReportListView::SelectedRow() const {
    if (!selectionModel()) return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : static_cast<long>(rows.front().row());
}

void ReportListView::SelectRow(long row) {
    if (!model_ || !selectionModel()) return;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = model_->index(static_cast<int>(row), 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void ReportListView::keyPressEvent(QKeyEvent* event) {
    const int key = VirtualKeyOf(event->key());
    if (key != 0 && KeyDown && KeyDown(key)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex ReportListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    switch (cursorAction) {
    case MoveLeft:
    case MoveRight: {
        // Left and Right scroll the columns; the current row stays.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + (cursorAction == MoveLeft ? -1 : 1) * bar->singleStep());
        return currentIndex();
    }
    case MoveHome:
    case MoveEnd: {
        // Home and End go to the first and last row, with Ctrl or without,
        // in the column of the current cell.
        const int rows = model() ? model()->rowCount() : 0;
        if (rows == 0) return {};
        const QModelIndex current = currentIndex();
        return model()->index(cursorAction == MoveHome ? 0 : rows - 1, current.isValid() ? current.column() : 0);
    }
    default:
        return QTableView::moveCursor(cursorAction, modifiers);
    }
}

void ReportListView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (dy != 0) KeepWholeTopRow();
}

void ReportListView::updateGeometries() {
    QTableView::updateGeometries();
    KeepWholeTopRow();
}

void ReportListView::KeepWholeTopRow() {
    // Scrolled to the end, a table would show the last row at the bottom
    // edge and cut the top one; a report list shows whole rows from the top.
    if (verticalScrollMode() != ScrollPerItem) return;
    QHeaderView* rows = verticalHeader();
    const int offset = rows->offset();
    rows->setOffsetToSectionPosition(verticalScrollBar()->value());
    if (rows->offset() != offset) viewport()->update();
}

void ReportListView::UpdateRow(int row) {
    if (row < 0 || !model() || row >= model()->rowCount()) return;
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

void ReportListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The frame of the current row moves with it.
    UpdateRow(previous.row());
    UpdateRow(current.row());
}

void ReportListView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    UpdateRow(currentIndex().row());
}

void ReportListView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    UpdateRow(currentIndex().row());
}

void ReportListView::keyboardSearch(const QString& search) {
    // Typing finds a row by the start of its caption, whatever column the
    // current cell is in.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
}

void ReportListView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // The current row is framed as a whole while the list has the focus.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !(hasFocus() || viewport()->hasFocus())) return;
    const int top = rowViewportPosition(current.row());
    const int height = rowHeight(current.row());
    if (top + height < 0 || top > viewport()->height()) return;
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_KeyboardFocusChange;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
    frame.backgroundColor =
        palette().color(group, selectionModel()->isRowSelected(current.row()) ? QPalette::Highlight : QPalette::Window);
    const QHeaderView* columns = horizontalHeader();
    frame.rect = QRect(-columns->offset(), top, columns->length(), height);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void ReportListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // On a check box the double-click is the box's own second click: the
    // first click already toggled it, and neither the row handler nor the
    // closing release may toggle it again.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() == 0 && (index.flags() & Qt::ItemIsUserCheckable)) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualRect(index);
        const auto* delegate = dynamic_cast<const ReportItemDelegate*>(itemDelegate());
        if (delegate && delegate->CheckBoxRect(this, option, index).contains(event->position().toPoint())) {
            swallowRelease_ = true;
            event->accept();
            return;
        }
    }
    if (!DoubleClicked) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    swallowRelease_ = true;
    event->accept();
    DoubleClicked();
}

void ReportListView::mousePressEvent(QMouseEvent* event) {
    swallowRelease_ = false;
    QTableView::mousePressEvent(event);
}

// A double-click ends with a release that the item's delegate would take for
// one more click on the check box below the pointer.
void ReportListView::mouseReleaseEvent(QMouseEvent* event) {
    if (swallowRelease_) {
        swallowRelease_ = false;
        setState(NoState);
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_F2: return VirtualKey::F2;
    case Qt::Key_Delete: return VirtualKey::Delete;
    case Qt::Key_Escape: return VirtualKey::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VirtualKey::Enter;
    case Qt::Key_Space: return VirtualKey::Space;
    default: return 0;
    }
}

}  // namespace kr
