#include "f_move.h"

namespace kr {

TfrmMove::TfrmMove(QWidget* owner, MovePickerRows& rows, std::filesystem::path settingsFile)
    : TfrmTickPicker(owner, "移動方法選択", MovePickerKeys, std::move(settingsFile), rows, PickerMoveColumns) {}

}  // namespace kr
