#include "placement.h"

namespace kr {

// Design-time placements of the four windows: left, top, height, width.
const PlacementKeys MainWindowKeys{"LEFT", "TOP", "HEIGHT", "WIDTH", {201, 168, 523, 600}};
const PlacementKeys OptionPickerKeys{"O_LEFT", "O_TOP", "O_HEIGHT", "O_WIDTH", {519, 526, 137, 535}};
const PlacementKeys MovePickerKeys{"M_LEFT", "M_TOP", "M_HEIGHT", "M_WIDTH", {436, 573, 150, 550}};
const PlacementKeys WeaponPickerKeys{"W_LEFT", "W_TOP", "W_HEIGHT", "W_WIDTH", {526, 541, 143, 561}};

const char* const SettingsFileName = "KRMAKE.INI";
const char* const SettingsSection = "GENERAL";

Placement ReadPlacement(const ProfileFile& settings, const PlacementKeys& keys, const Placement& current) {
    // One reading of the file for the four keys.
    const ProfileDocument document = settings.Load();
    Placement placement;
    placement.Left = document.ReadNumber(SettingsSection, keys.Left, current.Left);
    placement.Top = document.ReadNumber(SettingsSection, keys.Top, current.Top);
    placement.Height = document.ReadNumber(SettingsSection, keys.Height, current.Height);
    placement.Width = document.ReadNumber(SettingsSection, keys.Width, current.Width);
    return placement;
}

void WritePlacement(ProfileFile& settings, const PlacementKeys& keys, const Placement& placement) {
    // Each write reaches the file on its own; the first that fails ends the rest.
    settings.WriteNumber(SettingsSection, keys.Left, placement.Left);
    settings.WriteNumber(SettingsSection, keys.Top, placement.Top);
    settings.WriteNumber(SettingsSection, keys.Height, placement.Height);
    settings.WriteNumber(SettingsSection, keys.Width, placement.Width);
}

}  // namespace kr
