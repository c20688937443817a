#include "f_move.h"

#include "uikit.h"

namespace kr {

TfrmMove::TfrmMove(QWidget* owner, Designer& designer, std::filesystem::path directory)
    : TfrmPicker(owner, "移動方法選択", MovePickerKeys, std::move(directory)), designer_(designer) {
    FormCreate(RowTableModel::SourceOf(designer_.MovePicker), PickerMoveColumns, true);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwMoveDblClick(); }); };
}

void TfrmMove::ClearChecks() {
    kr::ClearChecks(designer_.MovePicker);
    Refresh();
}

void TfrmMove::CheckByName(std::string_view name) {
    kr::CheckByName(designer_.MovePicker, name);
    Refresh();
}

void TfrmMove::lvwMoveDblClick() { ToggleSelectedTick(); }

}  // namespace kr
