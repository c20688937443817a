#include "f_option.h"

#include "uikit.h"

namespace kr {

TfrmOption::TfrmOption(QWidget* owner, Designer& designer, std::filesystem::path directory)
    : TfrmPicker(owner, "オブション選択", OptionPickerKeys, std::move(directory)), designer_(designer) {
    FormCreate(RowTableModel::SourceOf(designer_.OptionPicker), PickerOptionColumns, true);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwOptionDblClick(); }); };
}

void TfrmOption::ClearChecks() {
    kr::ClearChecks(designer_.OptionPicker);
    Refresh();
}

void TfrmOption::CheckByName(std::string_view name) {
    kr::CheckByName(designer_.OptionPicker, name);
    Refresh();
}

void TfrmOption::lvwOptionDblClick() { ToggleSelectedTick(); }

}  // namespace kr
