// Saving survives being killed at any moment, and a save that fails (a path
// that cannot be a file, a file the user may not write, a full disk) says so
// and leaves the file as it was. The unit file and the settings file go
// through the same store; each case is checked once, with both where they
// take different roads.
#include "core_kit.h"
#include "placement.h"
#include "reports.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace testkit;

namespace {

constexpr int Kills = 1500;

struct KillCounts {
    int OldContent = 0;  // the file held the first content when killed
    int NewContent = 0;  // the second
    int Torn = 0;        // anything else: the fault this test looks for
    int LeftoverTemporaries = 0;
};

// Runs `saveFirst` and `saveSecond` in turn in a child, forever; kills the
// child at a random moment after it has started, `kills` times, and checks the
// file after each kill. The file starts with `first`.
KillCounts KillWhileSaving(const std::filesystem::path& file, const std::string& first, const std::string& second,
                           const std::function<void()>& saveFirst, const std::function<void()>& saveSecond,
                           int kills) {
    // How long a child takes from its fork through one save of each, measured
    // in children like the ones killed below: a fresh child copies the pages
    // it writes, which makes its first saves slower than the parent's (much
    // slower under the sanitizers).
    long childSaves = 1;
    for (int i = 0; i < 3; ++i) {
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            saveSecond();
            saveFirst();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        childSaves = std::max<long>(childSaves, std::chrono::duration_cast<std::chrono::microseconds>(
                                                    std::chrono::steady_clock::now() - started).count());
    }
    std::mt19937 random(20240601u);
    // The kills are spread over the two saves; should a busy machine slow the
    // children down so that a hundred kills in a row land before the first
    // save ends, the spread widens.
    long spread = childSaves;
    int oldRounds = 0;

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
        const bool childStarted = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        if (childStarted) usleep(static_cast<useconds_t>(std::uniform_int_distribution<long>(0, spread)(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        const std::string now = ReadBytes(file);
        if (now == first) {
            ++counts.OldContent;
            if (++oldRounds % 100 == 0 && counts.NewContent == 0) spread *= 2;
        } else if (now == second) {
            ++counts.NewContent;
        } else {
            ++counts.Torn;
        }
        // A save killed before its rename leaves its temporary file behind.
        for (const std::string& name : FolderListing(file.parent_path())) {
            if (name == file.filename().string()) continue;
            ++counts.LeftoverTemporaries;
            std::filesystem::remove(file.parent_path() / name);
        }
    }
    std::printf("%d kills: old content %d, new content %d, torn %d, temporary files left %d\n", kills,
                counts.OldContent, counts.NewContent, counts.Torn, counts.LeftoverTemporaries);
    return counts;
}

// A design of each size: template 1, and template 4 with 40 more weapons.
struct CrashSafe : ::testing::Test {
    void SetUp() override {
        kr::ApplyTemplate(*small, 1);
        kr::ApplyTemplate(*large, 4);
        const kr::TKRWeaponList& weapons = ShippedCatalogs().Weapon;
        for (std::size_t i = 0; i < 40; ++i) kr::AddWeaponRow(&large->Sheet.Weapons, weapons.EntryByIndex(i % weapons.Count()));
    }
    std::unique_ptr<kr::Designer> small = NewDesigner(), large = NewDesigner();
    TempDir folder;
};

const std::string OldUnit = IconvCp932("[基本性能]\r\n名称=旧\r\n");
const std::string OldSettings = "[GENERAL]\r\nLEFT=1\r\n";

}  // namespace

TEST_F(CrashSafe, SaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    const auto path = folder / "unit.kr";
    kr::WriteUnitFile(path, large->Sheet);
    const std::string largeBytes = ReadBytes(path);
    std::filesystem::remove(path);
    kr::WriteUnitFile(path, small->Sheet);
    const std::string smallBytes = ReadBytes(path);

    const KillCounts counts = KillWhileSaving(
        path, smallBytes, largeBytes, [&] { kr::WriteUnitFile(path, small->Sheet); },
        [&] { kr::WriteUnitFile(path, large->Sheet); }, Kills);
    EXPECT_EQ(counts.Torn, 0);
    EXPECT_EQ(counts.OldContent + counts.NewContent, Kills);
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

    kr::ProfileFile(folder / "KRMAKE.INI").WriteNumber("GENERAL", "LEFT", 10);

    EXPECT_EQ(FolderListing(folder.Path()),
              (std::set<std::string>{"KRMAKE.INI", fresh.filename(), otherFile.filename(), notOurs.filename()}));
    EXPECT_EQ(ReadBytes(folder / "KRMAKE.INI"), "[GENERAL]\r\nLEFT=10\r\n");
}

// A save through a symbolic link (or a chain of them) replaces the final
// target and leaves the links as they were; a loop of links fails.
TEST_F(CrashSafe, SaveThroughSymbolicLinkWritesItsTarget) {
    std::filesystem::create_directory(folder / "units");
    WriteBytes(folder / "units" / "real.kr", OldUnit);
    std::filesystem::create_symlink("units/real.kr", folder / "link.kr");
    std::filesystem::create_symlink(folder / "link.kr", folder / "second.kr");
    kr::WriteUnitFile(folder / "second.kr", small->Sheet);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "second.kr"));
    EXPECT_EQ(std::filesystem::read_symlink(folder / "link.kr"), "units/real.kr");
    EXPECT_NE(ReadBytes(folder / "units" / "real.kr").find(IconvCp932("名称=KRM-11-LS グラナイト")), std::string::npos);
    EXPECT_EQ(FolderListing(folder / "units"), std::set<std::string>{"real.kr"});

    std::filesystem::create_symlink("loop.kr", folder / "loop.kr");
    EXPECT_EQ(ErrorOf([&] { kr::WriteUnitFile(folder / "loop.kr", small->Sheet); }), WriteErrorOf(folder / "loop.kr"));
}

// ---------------------------------------------------------------------------
// Failed saves

// A folder in the way, a file in the place of a folder, a folder that is
// not there, a name that is no file name: the error names the path as given.
TEST_F(CrashSafe, PathThatCannotBeAFileFailsWithItsOwnNameAndChangesNothing) {
    std::filesystem::create_directory(folder / "unit.kr");
    WriteBytes(folder / "unit.kr" / "inside", "x");
    WriteBytes(folder / "plain", "x");
    for (const std::filesystem::path& path :
         {folder / "unit.kr", folder / "plain" / "unit.kr", folder / "missing" / "unit.kr", folder.Path() / ""}) {
        SCOPED_TRACE(path.string());
        EXPECT_EQ(ErrorOf([&] { kr::WriteUnitFile(path, small->Sheet); }), WriteErrorOf(path));
        kr::ProfileFile settings(path);
        EXPECT_EQ(ErrorOf([&] { settings.WriteNumber("GENERAL", "LEFT", 1); }), WriteErrorOf(path));
    }
    EXPECT_EQ(ErrorOf([&] { kr::ProfileFile(folder / "unit.kr").DeleteSection("A"); }), WriteErrorOf(folder / "unit.kr"));
    EXPECT_EQ(FolderListing(folder / "unit.kr"), std::set<std::string>{"inside"});
    EXPECT_EQ(ReadBytes(folder / "plain"), "x");
    EXPECT_EQ(FolderListing(folder.Path()), (std::set<std::string>{"unit.kr", "plain"}));
}

// As a user other than root, who is held by permissions: a file the user may
// not write is never replaced, whatever its folder allows, nor one the user
// may write but not read (a save keeps what it cannot read); a file the user
// may write is saved even in a folder that takes no new file.
TEST_F(CrashSafe, AnotherUserIsHeldByTheFilesOwnPermissions) {
    const auto open = folder / "open";      // a folder anyone may write
    const auto closed = folder / "closed";  // a folder no one may write
    for (const auto& sub : {open, closed}) std::filesystem::create_directory(sub);
    const auto file = [&](const std::filesystem::path& path, const std::string& bytes, int mode) {
        WriteBytes(path, bytes);
        std::filesystem::permissions(path, std::filesystem::perms(mode));
    };
    file(open / "locked.kr", OldUnit, 0444);
    file(open / "unreadable.kr", OldUnit, 0222);
    file(open / "KRMAKE.INI", OldSettings, 0444);
    file(open / "unreadable.ini", OldSettings, 0222);
    file(open / "page.html", "old page", 0444);
    file(closed / "shared.kr", OldUnit, 0666);
    file(closed / "KRMAKE.INI", OldSettings, 0666);
    file(closed / "shrink.ini", OldSettings + "[DROP]\r\nK=" + std::string(200, 'x') + "\r\n", 0666);
    std::filesystem::permissions(open, std::filesystem::perms(0777));
    std::filesystem::permissions(closed, std::filesystem::perms(0555));
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));

    const int result = InRestrictedChild(RLIM_INFINITY, [&] {
        const auto unitFails = [&](const std::filesystem::path& path) {
            return ErrorOf([&] { kr::WriteUnitFile(path, small->Sheet); }) == WriteErrorOf(path);
        };
        const auto placement = [&](const std::filesystem::path& path) {
            kr::ProfileFile settings(path);
            return ErrorOf([&] { kr::WritePlacement(settings, kr::MainWindowKeys, {1, 2, 3, 4}); });
        };
        return unitFails(open / "locked.kr") && unitFails(open / "unreadable.kr") && unitFails(closed / "new.kr") &&
               placement(open / "KRMAKE.INI") == WriteErrorOf(open / "KRMAKE.INI") &&
               placement(open / "unreadable.ini") == WriteErrorOf(open / "unreadable.ini") &&
               ErrorOf([&] { kr::WriteReportFile(open / "page.html", "new page"); }) ==
                   "ファイル " + (open / "page.html").string() + " を作成できません" &&
               ErrorOf([&] { kr::WriteUnitFile(closed / "shared.kr", small->Sheet); }).empty() &&
               placement(closed / "KRMAKE.INI").empty() &&
               ErrorOf([&] { kr::ProfileFile(closed / "shrink.ini").DeleteSection("DROP"); }).empty();
    });
    ASSERT_EQ(result, 0) << "as an unprivileged user (100: the test could not give up root's rights)";
    for (const char* name : {"locked.kr", "unreadable.kr"}) EXPECT_EQ(ReadBytes(open / name), OldUnit) << name;
    for (const char* name : {"KRMAKE.INI", "unreadable.ini"}) EXPECT_EQ(ReadBytes(open / name), OldSettings) << name;
    EXPECT_EQ(ReadBytes(open / "page.html"), "old page");
    EXPECT_EQ(ModeOf(open / "locked.kr"), 0444);
    EXPECT_EQ(FolderListing(open),
              (std::set<std::string>{"locked.kr", "unreadable.kr", "KRMAKE.INI", "unreadable.ini", "page.html"}));
    EXPECT_NE(ReadBytes(closed / "shared.kr").find(IconvCp932("名称=KRM-11-LS グラナイト")), std::string::npos);
    EXPECT_EQ(ModeOf(closed / "shared.kr"), 0666);
    EXPECT_EQ(ReadBytes(closed / "KRMAKE.INI"), "[GENERAL]\r\nLEFT=1\r\nTOP=2\r\nHEIGHT=3\r\nWIDTH=4\r\n");
    // Written in place, a shorter content leaves nothing of the old behind it.
    EXPECT_EQ(ReadBytes(closed / "shrink.ini"), OldSettings);
    EXPECT_EQ(FolderListing(closed), (std::set<std::string>{"shared.kr", "KRMAKE.INI", "shrink.ini"}));
}

// When the disk fills up (here, the file size limit of 40 bytes), a unit file
// save fails whole: the old file stays, a new one is not left half there.
// The settings are written key by key: the keys written before the failing
// one stay, the failing one is not half there.
TEST_F(CrashSafe, SaveThatRunsOutOfRoomLeavesTheFileWhole) {
    WriteBytes(folder / "old.kr", OldUnit);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0777));
    const int result = InRestrictedChild(40, [&] {
        kr::ProfileFile settings(folder / "KRMAKE.INI");
        // "[GENERAL]\r\nLEFT=201\r\nTOP=168\r\n" is 30 bytes; HEIGHT would make it 42.
        return ErrorOf([&] { kr::WriteUnitFile(folder / "old.kr", small->Sheet); }) == WriteErrorOf(folder / "old.kr") &&
               ErrorOf([&] { kr::WriteUnitFile(folder / "new.kr", small->Sheet); }) == WriteErrorOf(folder / "new.kr") &&
               ErrorOf([&] { kr::WritePlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design); }) ==
                   WriteErrorOf(folder / "KRMAKE.INI");
    });
    EXPECT_EQ(result, 0) << "saves past the size limit did not fail with the store's write error"
                         << " (100: the test could not give up root's rights)";
    EXPECT_EQ(ReadBytes(folder / "old.kr"), OldUnit);
    EXPECT_EQ(ReadBytes(folder / "KRMAKE.INI"), "[GENERAL]\r\nLEFT=201\r\nTOP=168\r\n");
    EXPECT_EQ(FolderListing(folder.Path()), (std::set<std::string>{"old.kr", "KRMAKE.INI"}));
}
