// Shows a core row list in a report-style view without one widget item per
// cell: the model asks the list for a cell's text when it is drawn.
#pragma once

#include "com.h"
#include "search_fold.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kr {

struct ColumnSpec {
    const char* Caption;  // UTF-8
    int Width;            // pixels
    Qt::Alignment Align;  // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter
};

// Column layouts of the three kinds, for the pickers and the main window.
extern const std::vector<ColumnSpec> MainOptionColumns;    // "オプション名" 100, ...
extern const std::vector<ColumnSpec> MainMoveColumns;      // "移動方式" 200, ...
extern const std::vector<ColumnSpec> WeaponColumns;        // the same in both windows
extern const std::vector<ColumnSpec> PickerOptionColumns;  // "オプション名" 170, ...
extern const std::vector<ColumnSpec> PickerMoveColumns;    // "移動方式" 150, ...

class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Row access the model needs, whatever the kind of entry.
    struct Source {
        virtual ~Source() = default;
        virtual std::size_t Count() const = 0;
        virtual std::string_view Caption(std::size_t row) const = 0;
        virtual std::string Cell(std::size_t row, int column) const = 0;
        virtual bool Checked(std::size_t row) const = 0;
        virtual void SetChecked(std::size_t row, bool checked) = 0;
    };
    // Any list of rows with a caption, cells and a tick per row.
    template <class List>
    static std::unique_ptr<Source> SourceOf(List& list);

    RowTableModel(std::unique_ptr<Source> source, std::vector<ColumnSpec> columns, bool checkable,
                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The core list changed (rows added, removed, cells rewritten): redraw all.
    void Reset();
    // Ticks changed, nothing else: the shown rows, the selection and the
    // place in the list stay; the ticks are drawn again.
    void TicksChanged();
    const std::vector<ColumnSpec>& Columns() const { return columns_; }
    bool Checkable() const { return checkable_; }

    // A filter: the model shows only the listed rows of the core list (in
    // ascending order), and the row numbers of its indexes count shown rows.
    // Without one (the usual case) every row shows and the numbers are the
    // core list's own. Showing the rows shown already changes nothing: the
    // view keeps its place and does no work.
    // Both return whether the shown rows changed (the view was reset).
    bool ShowRows(std::shared_ptr<const RowNumbers> sourceRows);
    bool ShowAllRows();
    bool Filtered() const { return shown_ != nullptr; }
    // The core list's row shown at a row of the model, and back (-1 for a row not shown).
    std::size_t SourceRow(int row) const {
        return shown_ ? (*shown_)[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
    }
    int ShownRow(std::size_t sourceRow) const;
    const Source& Rows() const { return *source_; }

private:
    std::unique_ptr<Source> source_;
    std::vector<ColumnSpec> columns_;
    bool checkable_;
    std::shared_ptr<const RowNumbers> shown_;  // none without a filter
};

template <class List>
std::unique_ptr<RowTableModel::Source> RowTableModel::SourceOf(List& list) {
    struct ListSource : Source {
        explicit ListSource(List& l) : list(l) {}
        std::size_t Count() const override { return list.Count(); }
        std::string_view Caption(std::size_t row) const override { return list.Caption(row); }
        std::string Cell(std::size_t row, int column) const override { return list.Cell(row, column); }
        bool Checked(std::size_t row) const override { return list.Row(row).Checked; }
        void SetChecked(std::size_t row, bool checked) override { list.Row(row).Checked = checked; }
        List& list;
    };
    return std::make_unique<ListSource>(list);
}

// A report-style list view: header, whole-row selection, single selection,
// selection kept visible without focus, flat border, 15-pixel font, no
// sorting, column widths and alignments from the model.
//
// A table whose rows all have one height, kept in a hidden vertical header:
// a list of a million rows is laid out without looking at any row. It
// behaves as a report list does: no grid, Tab leaves the list, Home and End
// go to the first and last row, typing a caption's start finds it, and the
// current row is framed as a whole.
class ReportListView : public QTableView {
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);
    void SetRowModel(RowTableModel* model);
    RowTableModel* RowModel() const { return model_; }
    // The selected row, or -1.
    long SelectedRow() const;
    void SelectRow(long row);  // -1 clears the selection

    // Every key press (virtual key code, modifiers ignored by the handlers)
    // is offered here first; a handler returns true when it used the key.
    std::function<bool(int virtualKey)> KeyDown;
    // Double-click anywhere in the list, on a row or below the rows.
    std::function<void()> DoubleClicked;

    void keyboardSearch(const QString& search) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The height of every row, for rows with or without a check box.
    int RowHeight(bool checkable) const;
    // Shows whole rows from the top, also when scrolled to the end.
    void KeepWholeTopRow();
    // Repaints a whole row (its cells and the frame of the current row).
    void UpdateRow(int row);

    RowTableModel* model_ = nullptr;
    // The release that ends a double-click the view has handled itself.
    bool swallowRelease_ = false;
};

// The virtual key codes the lists' key handlers are given: those of Windows,
// which the players' documentation and older tools speak of.
namespace VirtualKey {
constexpr int Enter = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Delete = 46;
constexpr int F2 = 113;
}  // namespace VirtualKey

// The virtual key code of a Qt key, or 0 for a key the handlers never see.
int VirtualKeyOf(int qtKey);

}  // namespace kr
