#pragma once

#include "f_picker.h"

namespace kr {

// "武器選択": adds weapons straight into the main window's weapon list.
class TfrmWeapon : public TfrmPicker {
    Q_OBJECT
public:
    TfrmWeapon(QWidget* owner, Designer& designer, std::filesystem::path directory);
    // The add command (double-click, Enter, Space).
    void lvwWeaponDblClick();
    // Called after rows were appended to the sheet's weapon list.
    std::function<void()> WeaponsAppended;

private:
    Designer& designer_;
};

}  // namespace kr
