#pragma once

#include "f_picker.h"

namespace kr {

// "移動方法選択": the unit's locomotion modes as ticks.
class TfrmMove : public TfrmPicker {
    Q_OBJECT
public:
    TfrmMove(QWidget* owner, MovePickerRows& rows, std::filesystem::path settingsFile);
    void ClearChecks();
    void CheckByName(std::string_view name);
    void lvwMoveDblClick();  // toggles the tick of the selected row

private:
    MovePickerRows& rows_;
};

}  // namespace kr
