#include "f_weapon.h"

#include "uikit.h"

namespace kr {

TfrmWeapon::TfrmWeapon(QWidget* owner, Designer& designer, std::filesystem::path directory)
    : TfrmPicker(owner, "武器選択", WeaponPickerKeys, std::move(directory)), designer_(designer) {
    FormCreate(RowTableModel::SourceOf(designer_.WeaponPicker), WeaponColumns, false);
    lvw_->DoubleClicked = [this] { Guarded(this, [this] { lvwWeaponDblClick(); }); };
    // lvwWeaponKeyDown: Esc closes, Enter and Space add; modifiers are not looked at.
    lvw_->KeyDown = [this](int virtualKey) {
        switch (virtualKey) {
        case 27:
            reject();
            return true;
        case 13:
        case 32:
            Guarded(this, [this] { lvwWeaponDblClick(); });
            return true;
        default:
            return false;
        }
    };
}

void TfrmWeapon::lvwWeaponDblClick() {
    const long row = lvw_->SelectedRow();
    if (row < 0) return;
    AddChosenWeapon(designer_.WeaponPicker, static_cast<std::size_t>(row), designer_.Sheet.Weapons);
    if (WeaponsAppended) WeaponsAppended();
}

}  // namespace kr
