#include "row_model.h"

#include "window_kit.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
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
    return static_cast<int>(filtered_ ? shown_.size() : source_->Count());
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

void RowTableModel::ShowRows(std::vector<std::uint32_t> sourceRows) {
    beginResetModel();
    filtered_ = true;
    shown_ = std::move(sourceRows);
    endResetModel();
}

void RowTableModel::ShowAllRows() {
    if (!filtered_) return;
    beginResetModel();
    filtered_ = false;
    shown_ = {};
    endResetModel();
}

int RowTableModel::ShownRow(std::size_t sourceRow) const {
    if (!filtered_) return sourceRow < source_->Count() ? static_cast<int>(sourceRow) : -1;
    const auto at = std::lower_bound(shown_.begin(), shown_.end(), sourceRow);
    return at != shown_.end() && *at == sourceRow ? static_cast<int>(at - shown_.begin()) : -1;
}

// ---------------------------------------------------------------------------
// ReportListView

ReportListView::ReportListView(QWidget* parent) : QTreeView(parent) {
    setItemDelegate(new ReportItemDelegate(this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    setFont(GothicFont(15));

    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    header()->setMinimumSectionSize(8);

    // The selected row stays highlighted when the list loses focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void ReportListView::SetRowModel(RowTableModel* model) {
    model_ = model;
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
    QTreeView::keyPressEvent(event);
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
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    swallowRelease_ = true;
    event->accept();
    DoubleClicked();
}

void ReportListView::mousePressEvent(QMouseEvent* event) {
    swallowRelease_ = false;
    QTreeView::mousePressEvent(event);
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
    QTreeView::mouseReleaseEvent(event);
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
