#pragma once

#include "f_picker.h"

namespace kr {

// "移動方法選択": the unit's locomotion modes as ticks.
class TfrmMove : public TfrmTickPicker<TKrMove> {
    Q_OBJECT
public:
    TfrmMove(QWidget* owner, MovePickerRows& rows, std::filesystem::path settingsFile);
    void lvwMoveDblClick() { ToggleSelectedTick(); }
};

}  // namespace kr
