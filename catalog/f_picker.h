// The three picker windows: sizeable tool windows showing a whole catalog,
// shown modally by the main window's commands and hidden between uses.
#pragma once

#include "placement.h"
#include "row_model.h"

#include <QDialog>

#include <filesystem>
#include <functional>

namespace kr {

class TfrmPicker : public QDialog {
    Q_OBJECT
public:
    ~TfrmPicker() override;  // FormDestroy: writes the placement

    // Shows the picker modally; returns when it closes (Esc or close box).
    void ShowModal();
    ReportListView* List() const { return lvw_; }
    RowTableModel* Model() const { return model_; }
    // The core rows changed (ticks set by a template or a load): redraw.
    void Refresh();

protected:
    TfrmPicker(QWidget* owner, const char* captionUtf8, const PlacementKeys& keys,
               std::filesystem::path settingsFile);
    // Inverts the tick of the selected row; nothing without a selection.
    void ToggleSelectedTick();
    // FormCreate: placement, then the list (rows filled by the caller beforehand).
    void FormCreate(std::unique_ptr<RowTableModel::Source> source, std::vector<ColumnSpec> columns,
                    bool checkable);

    ReportListView* lvw_ = nullptr;
    RowTableModel* model_ = nullptr;

private:
    const PlacementKeys& keys_;
    std::filesystem::path settingsFile_;
};

}  // namespace kr
