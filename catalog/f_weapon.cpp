#include "f_weapon.h"

#include "window_kit.h"

namespace kr {

TfrmWeapon::TfrmWeapon(QWidget* owner, WeaponPickerRows& rows, WeaponRows& target,
                       std::filesystem::path settingsFile)
    : TfrmPicker(owner, "武器選択", WeaponPickerKeys, std::move(settingsFile)), rows_(rows), target_(target) {
    FormCreate(RowTableModel::SourceOf(rows_), WeaponColumns, false);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwWeaponDblClick(); }); };
    // lvwWeaponKeyDown: Esc closes (or first hides the filter line), Enter
    // and Space add; modifiers are not looked at.
    lvw_->KeyDown = [this](int virtualKey) {
        switch (virtualKey) {
        case VirtualKey::Escape:
            EscapeInList();
            return true;
        case VirtualKey::Enter:
        case VirtualKey::Space:
            Guarded(this, [this] { lvwWeaponDblClick(); });
            return true;
        default:
            return false;
        }
    };
}

void TfrmWeapon::lvwWeaponDblClick() {
    // The pairing looks at the neighbours in the catalog, shown or not.
    const long row = SelectedSourceRow();
    if (row < 0) return;
    AddChosenWeapon(rows_, static_cast<std::size_t>(row), target_);
    if (WeaponsAppended) WeaponsAppended();
}

}  // namespace kr
