#include "f_option.h"

#include "window_kit.h"

namespace kr {

TfrmOption::TfrmOption(QWidget* owner, OptionPickerRows& rows, std::filesystem::path settingsFile)
    : TfrmPicker(owner, "オブション選択", OptionPickerKeys, std::move(settingsFile)), rows_(rows) {
    FormCreate(RowTableModel::SourceOf(rows_), PickerOptionColumns, true);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwOptionDblClick(); }); };
}

void TfrmOption::ClearChecks() {
    kr::ClearChecks(rows_);
    Refresh();
}

void TfrmOption::CheckByName(std::string_view name) {
    kr::CheckByName(rows_, name);
    Refresh();
}

void TfrmOption::lvwOptionDblClick() { ToggleSelectedTick(); }

}  // namespace kr
