#include "designer_session.h"

namespace kr {

DesignerSession::DesignerSession(const DataFolders& folders)
    : DesignerSession(folders, CatalogsLoading(folders.Catalogs)) {
    frmMain->WaitForCatalogs();
}

DesignerSession::DesignerSession(const DataFolders& folders, CatalogsLoading loading)
    : loadedCatalogs(std::move(loading.Loaded)), catalogs(*loadedCatalogs) {
    frmMain = std::make_unique<TfrmMain>(designer, std::move(loading.Failures), folders);
    // The pickers read their rows when first shown, which no command does
    // before the catalogs are there.
    const std::filesystem::path& settings = folders.SettingsFile;
    frmOption = std::make_unique<TfrmOption>(frmMain.get(), designer.OptionPicker, settings);
    frmMove = std::make_unique<TfrmMove>(frmMain.get(), designer.MovePicker, settings);
    frmWeapon = std::make_unique<TfrmWeapon>(frmMain.get(), designer.WeaponPicker, designer.Sheet.Weapons, settings);
    frmMain->SetPickers(frmOption.get(), frmMove.get(), frmWeapon.get());
}

DesignerSession::DesignerSession(const std::filesystem::path& directory)
    : DesignerSession(PortableFolders(directory)) {}

DesignerSession::~DesignerSession() {
    frmWeapon.reset();
    frmMove.reset();
    frmOption.reset();
    frmMain.reset();
}

}  // namespace kr
