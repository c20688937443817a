// Saving survives being killed at any moment, and a save that fails part-way
// leaves the file as it was and says so. A child process saves two contents
// in turn until it is killed with SIGKILL at a random moment; after every
// kill the file must hold one of the two contents completely.
#include "designer.h"
#include "reports.h"
#include "placement.h"
#include "profile_file.h"
#include "Pub1.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>

using testkit::ReadBytes;
using testkit::IconvCp932;
using testkit::TempDir;
using testkit::WriteBytes;

namespace {

using testkit::ErrorOf;
using testkit::WriteErrorOf;

using testkit::InRestrictedChild;

constexpr int KillsPerFile = 1500;

struct KillCounts {
    int Kills = 0;
    int OldContent = 0;  // the file held the first content when killed
    int NewContent = 0;  // the second
    int Torn = 0;        // anything else: the fault this test looks for
    int LeftoverTemporaries = 0;
};

std::set<std::string> FolderListing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) names.insert(item.path().filename().string());
    return names;
}

// Runs `saveFirst` and `saveSecond` in turn in a child, forever; kills the
// child at a random moment after it has started, `kills` times, and checks the
// file after each kill. The file starts with `first`.
KillCounts KillWhileSaving(const std::filesystem::path& file, const std::string& first, const std::string& second,
                           const std::function<void()>& saveFirst, const std::function<void()>& saveSecond,
                           int kills) {
    // How long one save takes here, to spread the kills over whole saves.
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) (i % 2 ? saveFirst : saveSecond)();
    saveFirst();
    const auto perSave = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - started).count() / 11 + 1;
    std::mt19937 random(20240601u);
    std::uniform_int_distribution<long> delay(0, 3 * perSave);

    KillCounts counts;
    for (int round = 0; round < kills; ++round) {
        int ready[2];
        if (pipe(ready) != 0) break;
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            const char byte = 1;
            if (write(ready[1], &byte, 1) != 1) _exit(2);
            for (;;) {
                saveSecond();
                saveFirst();
            }
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        if (started) usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ++counts.Kills;

        const std::string now = ReadBytes(file);
        if (now == first)
            ++counts.OldContent;
        else if (now == second)
            ++counts.NewContent;
        else
            ++counts.Torn;
        // A save killed before its rename leaves its temporary file behind.
        for (const std::string& name : FolderListing(file.parent_path())) {
            if (name == file.filename().string()) continue;
            ++counts.LeftoverTemporaries;
            std::filesystem::remove(file.parent_path() / name);
        }
    }
    std::printf("%s: %d kills, old content %d, new content %d, torn %d, temporary files left %d\n",
                file.filename().c_str(), counts.Kills, counts.OldContent, counts.NewContent, counts.Torn,
                counts.LeftoverTemporaries);
    return counts;
}


class CrashSafe : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(kr::LoadCatalogs(catalogs, testkit::ShippedData()).empty()); }
    kr::Catalogs catalogs;
    TempDir folder;
};

}  // namespace

// ---------------------------------------------------------------------------
// Killed while saving

TEST_F(CrashSafe, UnitFileIsAlwaysTheOldOrTheNewSaveWhenKilled) {
    kr::Designer first(catalogs), second(catalogs);
    kr::ApplyTemplate(first, 1);
    kr::ApplyTemplate(second, 4);
    // A longer second design, so that the two saves differ in size.
    for (std::size_t i = 0; i < 40; ++i) kr::AddWeaponRow(&second.Sheet.Weapons, catalogs.Weapon.EntryByIndex(i % catalogs.Weapon.Count()));
    const auto path = folder / "unit.kr";
    kr::WriteUnitFile(folder / "second.kr", second.Sheet);
    const std::string secondBytes = ReadBytes(folder / "second.kr");
    std::filesystem::remove(folder / "second.kr");
    kr::WriteUnitFile(path, first.Sheet);
    const std::string firstBytes = ReadBytes(path);
    ASSERT_NE(firstBytes, secondBytes);

    const KillCounts counts = KillWhileSaving(
        path, firstBytes, secondBytes, [&] { kr::WriteUnitFile(path, first.Sheet); },
        [&] { kr::WriteUnitFile(path, second.Sheet); }, KillsPerFile);
    EXPECT_EQ(counts.Torn, 0);
    EXPECT_EQ(counts.OldContent + counts.NewContent, KillsPerFile);
    // The kills landed at different points of the saves, not all before the first.
    EXPECT_GT(counts.NewContent, 0);
    EXPECT_GT(counts.OldContent, 0);
}

// What a killed save leaves behind is cleared by a later save of the same
// file once it is an hour old; a fresh one may belong to a save still running.
TEST_F(CrashSafe, LaterSaveRemovesStaleTemporariesOfItsFile) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    const std::filesystem::path stale = folder / ".KRMAKE.INI.krmake-a1B2c3";
    const std::filesystem::path fresh = folder / ".KRMAKE.INI.krmake-d4E5f6";
    const std::filesystem::path otherFile = folder / ".unit.kr.krmake-g7H8i9";
    const std::filesystem::path notOurs = folder / ".KRMAKE.INI.krmake-notes.txt";
    for (const auto& file : {stale, fresh, otherFile, notOurs}) WriteBytes(file, "partial");
    for (const auto& file : {stale, otherFile, notOurs}) std::filesystem::last_write_time(file, old);

    kr::ProfileFile settings(folder / "KRMAKE.INI");
    settings.WriteNumber("GENERAL", "LEFT", 10);

    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(fresh));
    EXPECT_TRUE(std::filesystem::exists(otherFile));
    EXPECT_TRUE(std::filesystem::exists(notOurs));
    EXPECT_EQ(ReadBytes(folder / "KRMAKE.INI"), "[GENERAL]\r\nLEFT=10\r\n");
}

TEST_F(CrashSafe, SettingsFileIsAlwaysTheOldOrTheNewWriteWhenKilled) {
    const auto path = folder / "KRMAKE.INI";
    kr::ProfileFile settings(path);
    for (const kr::PlacementKeys* keys :
         {&kr::WeaponPickerKeys, &kr::MovePickerKeys, &kr::OptionPickerKeys, &kr::MainWindowKeys})
        kr::WritePlacement(settings, *keys, keys->Design);
    const std::string firstBytes = ReadBytes(path);
    settings.WriteNumber("GENERAL", "LEFT", -2147483647);
    const std::string secondBytes = ReadBytes(path);
    settings.WriteNumber("GENERAL", "LEFT", 201);
    ASSERT_EQ(ReadBytes(path), firstBytes);

    const KillCounts counts = KillWhileSaving(
        path, firstBytes, secondBytes, [&] { settings.WriteNumber("GENERAL", "LEFT", 201); },
        [&] { settings.WriteNumber("GENERAL", "LEFT", -2147483647); }, KillsPerFile);
    EXPECT_EQ(counts.Torn, 0);
    EXPECT_EQ(counts.OldContent + counts.NewContent, KillsPerFile);
    EXPECT_GT(counts.NewContent, 0);
    EXPECT_GT(counts.OldContent, 0);
}

// ---------------------------------------------------------------------------
// Failing part-way

// Saves as a user other than root, who is held by permissions: a file the
// user may not write is never replaced, whatever its folder allows; a file
// the user may write is saved even in a folder that takes no new file.
TEST_F(CrashSafe, SavesFollowThePermissionsOfTheFileNotOnlyOfItsFolder) {
    const std::string oldUnit = IconvCp932("[基本性能]\r\n名称=旧\r\n[武装]\r\nWEAPON0=11mmMG\r\n");
    const std::string oldSettings = "[GENERAL]\r\nLEFT=1\r\n";
    const auto open = folder / "open";        // a folder anyone may write
    const auto closed = folder / "closed";    // a folder no one may write
    for (const auto& sub : {open, closed}) std::filesystem::create_directory(sub);
    const auto file = [&](const std::filesystem::path& path, const std::string& bytes, int mode) {
        WriteBytes(path, bytes);
        std::filesystem::permissions(path, std::filesystem::perms(mode));
    };
    file(open / "locked.kr", oldUnit, 0444);
    file(open / "KRMAKE.INI", oldSettings, 0444);
    file(open / "page.html", "old page", 0444);
    file(closed / "shared.kr", oldUnit, 0666);
    file(closed / "KRMAKE.INI", oldSettings, 0666);
    std::filesystem::permissions(open, std::filesystem::perms(0777));
    std::filesystem::permissions(closed, std::filesystem::perms(0555));
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));
    kr::Designer designer(catalogs);
    kr::ApplyTemplate(designer, 2);

    const int result = InRestrictedChild(RLIM_INFINITY, [&] {
        kr::ProfileFile lockedSettings(open / "KRMAKE.INI");
        kr::ProfileFile sharedSettings(closed / "KRMAKE.INI");
        return ErrorOf([&] { kr::WriteUnitFile(open / "locked.kr", designer.Sheet); }) ==
                   WriteErrorOf(open / "locked.kr") &&
               ErrorOf([&] { kr::WritePlacement(lockedSettings, kr::MainWindowKeys, {1, 2, 3, 4}); }) ==
                   WriteErrorOf(open / "KRMAKE.INI") &&
               ErrorOf([&] { kr::WriteHtmlFile(open / "page.html", "new page"); }) ==
                   "ファイル " + (open / "page.html").string() + " を作成できません" &&
               ErrorOf([&] { kr::WriteUnitFile(closed / "new.kr", designer.Sheet); }) ==
                   WriteErrorOf(closed / "new.kr") &&
               ErrorOf([&] { kr::WriteUnitFile(closed / "shared.kr", designer.Sheet); }).empty() &&
               ErrorOf([&] { kr::WritePlacement(sharedSettings, kr::MainWindowKeys, {1, 2, 3, 4}); }).empty();
    });
    ASSERT_EQ(result, 0) << "as an unprivileged user (100: the test could not give up root's rights)";
    const auto modeOf = [](const std::filesystem::path& path) {
        return static_cast<int>(std::filesystem::status(path).permissions());
    };
    EXPECT_EQ(ReadBytes(open / "locked.kr"), oldUnit);
    EXPECT_EQ(ReadBytes(open / "KRMAKE.INI"), oldSettings);
    EXPECT_EQ(ReadBytes(open / "page.html"), "old page");
    EXPECT_EQ(modeOf(open / "locked.kr"), 0444);
    EXPECT_EQ(FolderListing(open), (std::set<std::string>{"locked.kr", "KRMAKE.INI", "page.html"}));
    kr::Designer loaded(catalogs);
    kr::LoadUnitFile(closed / "shared.kr", loaded);
    EXPECT_EQ(loaded.Sheet.UnitName, designer.Sheet.UnitName);
    EXPECT_EQ(modeOf(closed / "shared.kr"), 0666);
    EXPECT_EQ(ReadBytes(closed / "KRMAKE.INI"), "[GENERAL]\r\nLEFT=1\r\nTOP=2\r\nHEIGHT=3\r\nWIDTH=4\r\n");
    EXPECT_EQ(FolderListing(closed), (std::set<std::string>{"shared.kr", "KRMAKE.INI"}));
}

// A save through a symbolic link (or a chain of them) replaces the final
// target and leaves the links as they were.
TEST_F(CrashSafe, SaveThroughSymbolicLinkWritesItsTarget) {
    std::filesystem::create_directory(folder / "units");
    WriteBytes(folder / "units" / "real.kr", IconvCp932("[基本性能]\r\n名称=旧\r\n"));
    std::filesystem::create_symlink("units/real.kr", folder / "link.kr");
    std::filesystem::create_symlink(folder / "link.kr", folder / "second.kr");
    kr::Designer designer(catalogs);
    kr::ApplyTemplate(designer, 1);
    kr::WriteUnitFile(folder / "second.kr", designer.Sheet);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.kr"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "second.kr"));
    EXPECT_EQ(std::filesystem::read_symlink(folder / "link.kr"), "units/real.kr");
    EXPECT_NE(ReadBytes(folder / "units" / "real.kr").find(IconvCp932("名称=KRM-11-LS グラナイト")), std::string::npos);
    EXPECT_EQ(FolderListing(folder / "units"), std::set<std::string>{"real.kr"});

    std::filesystem::create_symlink("loop.kr", folder / "loop.kr");
    EXPECT_EQ(ErrorOf([&] { kr::WriteUnitFile(folder / "loop.kr", designer.Sheet); }), WriteErrorOf(folder / "loop.kr"));
}

// The settings are written key by key: when the disk fills up (here, the file
// size limit) in the middle of a window's four keys, the keys written before
// stay, the failing one is not half there, and the error names the file.
TEST_F(CrashSafe, SettingsWriteThatRunsOutOfRoomKeepsTheKeysWrittenBefore) {
    const auto path = folder / "KRMAKE.INI";
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0777));
    // "[GENERAL]\r\nLEFT=201\r\nTOP=168\r\n" is 30 bytes; HEIGHT would make it 42.
    const int result = InRestrictedChild(40, [&] {
        kr::ProfileFile settings(path);
        return ErrorOf([&] { kr::WritePlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design); }) ==
               WriteErrorOf(path);
    });
    EXPECT_EQ(result, 0) << "a settings write past the size limit did not fail with the store's write error"
                         << " (100: the test could not give up root's rights)";
    EXPECT_EQ(ReadBytes(path), "[GENERAL]\r\nLEFT=201\r\nTOP=168\r\n");
    EXPECT_EQ(FolderListing(folder.Path()), std::set<std::string>{"KRMAKE.INI"});
}

// A save whose target path is a folder in the way, a file in the place of a
// folder, or a name that is no file name at all.
TEST_F(CrashSafe, PathsThatCannotBeAFileFailWithTheirOwnName) {
    kr::Designer designer(catalogs);
    kr::ApplyTemplate(designer, 3);
    std::filesystem::create_directory(folder / "unit.kr");
    WriteBytes(folder / "plain", "x");
    for (const std::filesystem::path& path :
         {folder / "unit.kr", folder / "plain" / "unit.kr", folder / "missing" / "unit.kr", folder.Path() / ""}) {
        SCOPED_TRACE(path.string());
        EXPECT_EQ(ErrorOf([&] { kr::WriteUnitFile(path, designer.Sheet); }), WriteErrorOf(path));
        kr::ProfileFile settings(path);
        EXPECT_EQ(ErrorOf([&] { kr::WritePlacement(settings, kr::OptionPickerKeys, {1, 2, 3, 4}); }),
                  WriteErrorOf(path));
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder / "unit.kr"));
    EXPECT_EQ(ReadBytes(folder / "plain"), "x");
    EXPECT_EQ(FolderListing(folder.Path()), (std::set<std::string>{"unit.kr", "plain"}));
}
