// The three picker windows: sizeable tool windows showing a whole catalog,
// shown modally by the main window's commands and hidden between uses.
//
// Each has a filter line under its list, hidden until Ctrl+F: while it holds
// text the list shows only the rows whose caption contains it, by search key
// (search_fold.h). The rows themselves never change, so the ticks, the
// templates and loads that set them and the weapon add command work on the
// whole list whatever shows. The filter stays, like the selection, when the picker is
// closed by its close box and shown again; Esc in the list or the line hides it.
//
// A hidden picker does nothing: its list gets its rows when first shown, and
// the captions' search keys are folded on threads of their own from then on,
// while the player reads the list, so that the first keystroke finds them
// ready.
#pragma once

#include "placement.h"
#include "row_model.h"
#include "window_kit.h"
#include "search_fold.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <future>
#include <string>

class QLineEdit;

namespace kr {

class TfrmPicker : public QDialog {
    Q_OBJECT
public:
    ~TfrmPicker() override;  // FormDestroy: writes the placement

    // Shows the picker modally; returns when it closes (Esc or close box).
    void ShowModal();
    ReportListView* List() const { return lvw_; }
    RowTableModel* Model() const { return model_; }
    // Ticks changed in the core rows (a template or a load): a shown list
    // draws them again; a hidden one shows them when it is shown.
    void Refresh();

    QLineEdit* FilterLine() const { return txtFilter_; }
    // Ctrl+F: shows the filter line and puts the cursor in it, its text selected.
    void ShowFilter();
    // Empties and hides the filter line, so every row shows again.
    void HideFilter();

protected:
    void showEvent(QShowEvent* event) override;
    TfrmPicker(QWidget* owner, const char* captionUtf8, const PlacementKeys& keys,
               std::filesystem::path settingsFile);
    // Inverts the tick of the selected row; nothing without a selection.
    void ToggleSelectedTick();
    // The row of the picker's own list that is selected, or -1.
    long SelectedSourceRow() const;
    // Esc in the list: hides the filter line when it shows, else closes.
    void EscapeInList();
    // FormCreate: placement, then the list (rows filled by the caller beforehand).
    void FormCreate(std::unique_ptr<RowTableModel::Source> source, std::vector<ColumnSpec> columns,
                    bool checkable);

    ReportListView* lvw_ = nullptr;
    RowTableModel* model_ = nullptr;

private:
    // Shows the rows whose caption contains the text (all for none).
    void ApplyFilter(const QString& text);
    // Down or Enter in the filter line: into the list, on the first row shown.
    void EnterList();
    // Begins folding the captions' search keys, unless it has begun.
    void BeginFolding();
    // The captions' search keys, once folded (waits for them).
    const CaptionKeys& SearchKeys();

    const PlacementKeys& keys_;
    std::filesystem::path settingsFile_;
    QLineEdit* txtFilter_ = nullptr;
    CaptionKeys captionKeys_;
    // The fold under way; declared after the keys, so that it is waited for
    // before they go.
    std::future<void> folding_;
    bool keysReady_ = false;
    // The rows of the filter line's text and of the texts typed before it.
    CaptionFilter filter_;
};

// The option and move pickers: the unit's equipment of one kind as ticks;
// a double-click inverts the selected row's tick.
template <class Entry>
class TfrmTickPicker : public TfrmPicker {
protected:
    TfrmTickPicker(QWidget* owner, const char* captionUtf8, const PlacementKeys& keys,
                   std::filesystem::path settingsFile, PickerRows<Entry>& rows, std::vector<ColumnSpec> columns)
        : TfrmPicker(owner, captionUtf8, keys, std::move(settingsFile)), rows_(rows) {
        FormCreate(RowTableModel::SourceOf(rows_), std::move(columns), true);
        lvw_->DoubleClicked = [this] { Guarded(this, [this] { ToggleSelectedTick(); }); };
    }

private:
    PickerRows<Entry>& rows_;
};

}  // namespace kr
