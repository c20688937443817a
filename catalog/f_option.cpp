#include "f_option.h"

namespace kr {

TfrmOption::TfrmOption(QWidget* owner, OptionPickerRows& rows, std::filesystem::path settingsFile)
    : TfrmTickPicker(owner, "オブション選択", OptionPickerKeys, std::move(settingsFile), rows, PickerOptionColumns) {}

}  // namespace kr
