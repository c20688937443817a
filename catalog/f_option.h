#pragma once

#include "f_picker.h"

namespace kr {

// "オブション選択": the unit's options as ticks.
class TfrmOption : public TfrmTickPicker<TKrOption> {
    Q_OBJECT
public:
    TfrmOption(QWidget* owner, OptionPickerRows& rows, std::filesystem::path settingsFile);
    void lvwOptionDblClick() { ToggleSelectedTick(); }
};

}  // namespace kr
