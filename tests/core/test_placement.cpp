// Window placement in the settings file: keys that are missing or unreadable
// fall back one by one, and later runs update the keys in place. What the
// first run writes, and in which order, is the windows' to show
// (tests/gui/test_placement_clamp.cpp).
#include "core_kit.h"
#include "placement.h"

#include <gtest/gtest.h>

using kr::Placement;
using kr::ProfileFile;
using namespace testkit;

TEST(PlacementRead, KeysMissingOrUnreadableFallBackOneByOne) {
    TempDir folder;
    WriteBytes(folder / "KRMAKE.INI", "[general]\r\nleft= 120\r\nTOP=2147483648\r\nO_TOP=abc\r\nO_LEFT=-8\r\n"
                                      "O_WIDTH=0x10\r\nO_HEIGHT=$10\r\nM_LEFT=\r\n");
    const ProfileFile settings(folder / "KRMAKE.INI");
    EXPECT_EQ(kr::ReadPlacement(settings, kr::MainWindowKeys, {1, 2, 3, 4}), (Placement{120, 2, 3, 4}));
    EXPECT_EQ(kr::ReadPlacement(settings, kr::OptionPickerKeys, {1, 2, 3, 4}), (Placement{-8, 2, 16, 16}));
    EXPECT_EQ(kr::ReadPlacement(settings, kr::MovePickerKeys, {1, 2, 3, 4}), (Placement{1, 2, 3, 4}));
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
