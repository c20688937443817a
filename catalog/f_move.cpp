#include "f_move.h"

#include "window_kit.h"

namespace kr {

TfrmMove::TfrmMove(QWidget* owner, MovePickerRows& rows, std::filesystem::path settingsFile)
    : TfrmPicker(owner, "移動方法選択", MovePickerKeys, std::move(settingsFile)), rows_(rows) {
    FormCreate(RowTableModel::SourceOf(rows_), PickerMoveColumns, true);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwMoveDblClick(); }); };
}

void TfrmMove::ClearChecks() {
    kr::ClearChecks(rows_);
    Refresh();
}

void TfrmMove::CheckByName(std::string_view name) {
    kr::CheckByName(rows_, name);
    Refresh();
}

void TfrmMove::lvwMoveDblClick() { ToggleSelectedTick(); }

}  // namespace kr
