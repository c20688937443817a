#pragma once

#include "f_picker.h"

namespace kr {

// "オブション選択": the unit's options as ticks.
class TfrmOption : public TfrmPicker {
    Q_OBJECT
public:
    TfrmOption(QWidget* owner, OptionPickerRows& rows, std::filesystem::path settingsFile);
    void ClearChecks();
    void CheckByName(std::string_view name);
    void lvwOptionDblClick();  // toggles the tick of the selected row

private:
    OptionPickerRows& rows_;
};

}  // namespace kr
