// A design session's windows: the main window and the three pickers over
// one designer and its catalogs.
#pragma once

#include "main.h"

#include <filesystem>
#include <memory>

namespace kr {

// The program's windows, created in the order main window, option picker,
// move picker, weapon picker and destroyed in reverse, each storing its
// placement as it goes.
class DesignerSession {
public:
    // The catalogs loaded, the pickers filled and the catalogs' failures
    // shown before the constructor returns.
    explicit DesignerSession(const DataFolders& folders);
    // Over catalogs whose loading began earlier; the windows are there at
    // once and take the catalogs when they have loaded (WaitForCatalogs).
    DesignerSession(const DataFolders& folders, CatalogsLoading loading);
    // Catalogs and settings in one folder, loaded as the first.
    explicit DesignerSession(const std::filesystem::path& directory);
    ~DesignerSession();
    DesignerSession(const DesignerSession&) = delete;
    DesignerSession& operator=(const DesignerSession&) = delete;

    TfrmMain& Main() { return *frmMain; }

    const std::unique_ptr<Catalogs> loadedCatalogs;
    Catalogs& catalogs;
    Designer designer{catalogs};
    std::unique_ptr<TfrmMain> frmMain;
    std::unique_ptr<TfrmOption> frmOption;
    std::unique_ptr<TfrmMove> frmMove;
    std::unique_ptr<TfrmWeapon> frmWeapon;
};

}  // namespace kr
