// Window placement in the settings file: fallbacks, partial files and the
// order in which the first run writes the sixteen keys.
#include "placement.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using kr::Placement;
using kr::PlacementKeys;
using kr::ProfileFile;
using testkit::ReadBytes;
using testkit::TempDir;
using testkit::WriteBytes;

TEST(PlacementRead, MissingSettingsGiveEachWindowItsDesignPlacement) {
    TempDir folder;
    const ProfileFile settings(folder / "KRMAKE.INI");
    struct Case {
        const char* window;
        const PlacementKeys& keys;
        Placement expected;
    };
    const Case cases[] = {
        {"main", kr::MainWindowKeys, {201, 168, 523, 600}},
        {"option", kr::OptionPickerKeys, {519, 526, 137, 535}},
        {"move", kr::MovePickerKeys, {436, 573, 150, 550}},
        {"weapon", kr::WeaponPickerKeys, {526, 541, 143, 561}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.keys.Design, c.expected) << c.window;
        EXPECT_EQ(kr::ReadPlacement(settings, c.keys, c.keys.Design), c.expected) << c.window;
    }
    // The fallback is whatever the window has now.
    const Placement current{1, 2, 3, 4};
    EXPECT_EQ(kr::ReadPlacement(settings, kr::MainWindowKeys, current), current);
}

TEST(PlacementRead, KeysMissingOrUnreadableFallBackOneByOne) {
    TempDir folder;
    WriteBytes(folder / "KRMAKE.INI", "[general]\r\nleft= 120\r\nO_TOP=abc\r\nO_LEFT=-8\r\nO_WIDTH=0x10\r\n");
    const ProfileFile settings(folder / "KRMAKE.INI");
    EXPECT_EQ(kr::ReadPlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design),
              (Placement{120, 168, 523, 600}));
    EXPECT_EQ(kr::ReadPlacement(settings, kr::OptionPickerKeys, kr::OptionPickerKeys.Design),
              (Placement{-8, 526, 137, 16}));
}

TEST(PlacementWrite, FirstRunWritesTheKeysInShutdownOrder) {
    TempDir folder;
    ProfileFile settings(folder / "KRMAKE.INI");
    // The windows go in reverse order of creation: weapon, move, option, main.
    kr::WritePlacement(settings, kr::WeaponPickerKeys, kr::WeaponPickerKeys.Design);
    kr::WritePlacement(settings, kr::MovePickerKeys, kr::MovePickerKeys.Design);
    kr::WritePlacement(settings, kr::OptionPickerKeys, kr::OptionPickerKeys.Design);
    kr::WritePlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design);
    const std::string expected =
        "[GENERAL]\r\n"
        "W_LEFT=526\r\nW_TOP=541\r\nW_HEIGHT=143\r\nW_WIDTH=561\r\n"
        "M_LEFT=436\r\nM_TOP=573\r\nM_HEIGHT=150\r\nM_WIDTH=550\r\n"
        "O_LEFT=519\r\nO_TOP=526\r\nO_HEIGHT=137\r\nO_WIDTH=535\r\n"
        "LEFT=201\r\nTOP=168\r\nHEIGHT=523\r\nWIDTH=600\r\n";
    EXPECT_EQ(ReadBytes(folder / "KRMAKE.INI"), expected);
}

TEST(PlacementWrite, LaterRunsUpdateInPlaceAndNegativeEdgesRoundTrip) {
    TempDir folder;
    WriteBytes(folder / "KRMAKE.INI", "[GENERAL]\r\nW_LEFT=1\r\nleft=5\r\nTOP=6\r\n[OTHER]\r\nX=1\r\n");
    ProfileFile settings(folder / "KRMAKE.INI");
    kr::WritePlacement(settings, kr::MainWindowKeys, Placement{-8, -4, 500, 640});
    EXPECT_EQ(ReadBytes(folder / "KRMAKE.INI"),
              "[GENERAL]\r\nW_LEFT=1\r\nleft=-8\r\nTOP=-4\r\nHEIGHT=500\r\nWIDTH=640\r\n[OTHER]\r\nX=1\r\n");
    EXPECT_EQ(kr::ReadPlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design),
              (Placement{-8, -4, 500, 640}));
}
