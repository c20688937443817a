#pragma once

#include "f_picker.h"

namespace kr {

// "武器選択": adds weapons straight into the main window's weapon list.
class TfrmWeapon : public TfrmPicker {
    Q_OBJECT
public:
    // The picker shows `rows`; the add command appends to `target`, the
    // main window's weapon list.
    TfrmWeapon(QWidget* owner, WeaponPickerRows& rows, WeaponRows& target, std::filesystem::path settingsFile);
    // The add command (double-click, Enter, Space).
    void lvwWeaponDblClick();
    // Called after rows were appended to the sheet's weapon list.
    std::function<void()> WeaponsAppended;

private:
    WeaponPickerRows& rows_;
    WeaponRows& target_;
};

}  // namespace kr
