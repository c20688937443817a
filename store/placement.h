// Window placement kept in the settings file "KRMAKE.INI", section "GENERAL".
#pragma once

#include "profile_file.h"

#include <cstdint>
#include <filesystem>

namespace kr {

// The outer frame of a window in screen pixels.
struct Placement {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

struct PlacementKeys {
    const char* Left;
    const char* Top;
    const char* Height;
    const char* Width;
    Placement Design;  // the design-time placement, the fallback of every key
};

extern const PlacementKeys MainWindowKeys;    // LEFT, TOP, HEIGHT, WIDTH
extern const PlacementKeys OptionPickerKeys;  // O_...
extern const PlacementKeys MovePickerKeys;    // M_...
extern const PlacementKeys WeaponPickerKeys;  // W_...

extern const char* const SettingsFileName;  // "KRMAKE.INI"
extern const char* const SettingsSection;   // "GENERAL"

// Reads left, top, height and width in that order, each falling back to `current`'s value.
Placement ReadPlacement(const ProfileFile& settings, const PlacementKeys& keys, const Placement& current);
// Writes left, top, height and width in that order; throws the store's write error.
void WritePlacement(ProfileFile& settings, const PlacementKeys& keys, const Placement& placement);

}  // namespace kr
