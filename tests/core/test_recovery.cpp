// The recovery files: a slot of its own for each running copy, the designs
// of copies that no longer run offered (newest first), whatever is planted
// in a slot told and never written through, and a restore that gives back
// every figure.
#include "core_kit.h"
#include "recovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

using namespace kr;
using namespace testkit;

namespace {

// A copy's design: a stock model under a name of its own.
void WriteDesign(const RecoverySlots& slots, int model, const char* name) {
    auto designer = NewDesigner();
    ApplyTemplate(*designer, model);
    designer->Sheet.UnitName = IconvCp932(name);
    slots.Write(RecoveryBytes(*designer));
}

Texts OfferedNames(const RecoverySlots& slots) {
    Texts names;
    for (const RecoveredDesign& design : slots.Offers()) names.push_back(design.UnitName);
    return names;
}

void SetAge(const std::filesystem::path& file, int minutesAgo) {
    std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::minutes(minutesAgo));
}

}  // namespace

TEST(RecoverySlots, EachCopyWritesItsOwnFileAndOffersOnlyWhatNoCopyHolds) {
    TempDir folder;
    auto first = std::make_unique<RecoverySlots>(folder.Path());
    EXPECT_EQ(first->OwnFile(), folder / "KRMAKE.RECOVERY.kr");
    // A copy alone leaves no lock files of slots nobody uses.
    EXPECT_EQ(FolderListing(folder.Path()), std::set<std::string>{"KRMAKE.RECOVERY.lock"});
    WriteDesign(*first, 4, "一号機");
    {
        // A second copy beside the first: a file of its own, nothing offered.
        const RecoverySlots second(folder.Path());
        EXPECT_EQ(second.OwnFile(), folder / "KRMAKE.RECOVERY-2.kr");
        EXPECT_TRUE(second.Offers().empty());
        WriteDesign(second, 1, "二号機");
        const RecoverySlots third(folder.Path());
        EXPECT_EQ(third.OwnFile(), folder / "KRMAKE.RECOVERY-3.kr");
        EXPECT_TRUE(third.Offers().empty());
    }
    // The second copy has ended: its design is offered, the first's is not.
    const RecoverySlots fourth(folder.Path());
    EXPECT_EQ(OfferedNames(fourth), IconvCp932({"二号機"}));
    EXPECT_EQ(fourth.OwnFile(), folder / "KRMAKE.RECOVERY-3.kr");
    EXPECT_NE(ReadBytes(folder / "KRMAKE.RECOVERY.kr").find(IconvCp932("一号機")), std::string::npos);

    // Restored, the design's file goes; the first copy's stays.
    fourth.Forget(fourth.Offers().front());
    EXPECT_FALSE(std::filesystem::exists(folder / "KRMAKE.RECOVERY-2.kr"));
    first.reset();
    const RecoverySlots fifth(folder.Path());
    EXPECT_EQ(OfferedNames(fifth), IconvCp932({"一号機"}));
}

// Designs left behind are offered newest first and kept until a copy needs
// their slot: with every slot holding one, the oldest gives way.
TEST(RecoverySlots, TheNewestFirstAndAtMostAFewKept) {
    TempDir folder;
    const char* names[] = {"一", "二", "三", "四", "五"};
    for (int slot = 1; slot <= RecoverySlotCount; ++slot) {
        const RecoverySlots copy(folder.Path());
        ASSERT_EQ(copy.OwnFile(), RecoveryFile(folder.Path(), slot));
        WriteDesign(copy, 1, names[slot - 1]);
        SetAge(copy.OwnFile(), 60 - slot);  // the later, the newer
    }
    {
        const RecoverySlots sixth(folder.Path());
        EXPECT_EQ(OfferedNames(sixth), IconvCp932({"五", "四", "三", "二", "一"}));
        EXPECT_EQ(sixth.OwnFile(), RecoveryFile(folder.Path(), 1));
        WriteDesign(sixth, 2, "六");
    }
    const RecoverySlots seventh(folder.Path());
    EXPECT_EQ(OfferedNames(seventh), IconvCp932({"六", "五", "四", "三", "二"}));
}

// Whatever sits in a slot that is no design is told, naming the file, and
// left as it is: nothing is read through a link or from a FIFO, and no
// write goes through a link planted there.
TEST(RecoverySlots, WhatIsNoDesignIsToldAndNeverWrittenThrough) {
    struct Planted {
        const char* what;
        std::function<void(const std::filesystem::path& slot, const std::filesystem::path& outside)> plant;
        const char* reason;
    };
    const Planted planted[] = {
        {"symbolic link", [](auto& slot, auto& outside) { std::filesystem::create_symlink(outside, slot); },
         " (シンボリックリンクです)"},
        {"FIFO", [](auto& slot, auto&) { ASSERT_EQ(::mkfifo(slot.c_str(), 0600), 0); }, " (通常のファイルではありません)"},
        {"folder", [](auto& slot, auto&) { std::filesystem::create_directory(slot); }, " (通常のファイルではありません)"},
        {"over 64 MiB", [](auto& slot, auto&) {
             WriteBytes(slot, "");
             std::filesystem::resize_file(slot, 64 * 1024 * 1024 + 1);
         }, " (64 MiB を超えています)"},
        {"random bytes", [](auto& slot, auto&) {
             std::string bytes;
             for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + 13) % 256);
             WriteBytes(slot, bytes);
         }, nullptr},
    };
    for (const Planted& p : planted) {
        SCOPED_TRACE(p.what);
        TempDir folder;
        TempDir elsewhere;
        const std::filesystem::path slot = folder / "KRMAKE.RECOVERY.kr";
        const std::filesystem::path outside = elsewhere / "notes.txt";
        WriteBytes(outside, IconvCp932("[基本性能]\r\n名称=他人のファイル\r\nクラス=M\r\n"));
        p.plant(slot, outside);

        const RecoverySlots copy(folder.Path());
        EXPECT_TRUE(copy.Offers().empty());
        ASSERT_EQ(copy.Problems().size(), 1u);
        const std::string told = p.reason ? "復元しません: " + CannotOpen(slot) + p.reason
                                          : "復元しません: " + slot.string() + " は設計のファイルではありません";
        EXPECT_EQ(copy.Problems().front(), told);
        EXPECT_EQ(copy.OwnFile(), folder / "KRMAKE.RECOVERY-2.kr");
        WriteDesign(copy, 1, "自分の設計");
        EXPECT_EQ(ReadBytes(outside), IconvCp932("[基本性能]\r\n名称=他人のファイル\r\nクラス=M\r\n"));
    }

    // A link planted in this copy's own slot while it runs: refused, told.
    TempDir folder, elsewhere;
    const RecoverySlots copy(folder.Path());
    WriteBytes(elsewhere / "notes.txt", "mine");
    std::filesystem::create_symlink(elsewhere / "notes.txt", copy.OwnFile());
    EXPECT_EQ(ErrorOf([&] { WriteDesign(copy, 1, "x"); }),
              copy.OwnFile().string() + " はシンボリックリンクなので書き込みません");
    EXPECT_EQ(ReadBytes(elsewhere / "notes.txt"), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(copy.OwnFile()));
}

// The recovery file keeps what a unit file does not: the backpack capacity
// (a template's own, not the one its class gives) and the design's file.
TEST(RecoveryFile, RestoreGivesBackEveryFigureAndTheFile) {
    auto designer = NewDesigner();
    ApplyTemplate(*designer, 2);  // class H with a capacity of 4
    designer->SaveFileName = "/home/player/basalt.kr";
    RecoveredDesign design;
    design.Bytes = RecoveryBytes(*designer);
    design.File = "/home/player/basalt.kr";

    auto restored = NewDesigner();
    EXPECT_TRUE(RestoreRecoveredDesign(design, *restored).Dropped.empty());
    Recalculate(restored->Sheet);
    EXPECT_EQ(BaseFigures(restored->Sheet), BaseFigures(designer->Sheet));
    EXPECT_EQ(restored->Sheet.BackpackCapacity, 4);
    EXPECT_EQ(BoxTexts(restored->Sheet), BoxTexts(designer->Sheet));
    EXPECT_EQ(restored->SaveFileName, "/home/player/basalt.kr");
    EXPECT_NE(design.Bytes.find("[RECOVERY]\r\nFILE=/home/player/basalt.kr\r\nCAPACITY=4\r\n"), std::string::npos);
}
