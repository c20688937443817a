// The list of recent unit files in the settings file: newest first, each
// once, at most ten, beside the placement keys without touching them; paths
// the file cannot give back are not kept. What the File menu makes of it is
// the windows' to show (tests/gui/test_desktop.cpp).
#include "core_kit.h"
#include "recent_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <vector>

using kr::ProfileFile;
using namespace testkit;
namespace fs = std::filesystem;

namespace {

using Paths = std::vector<fs::path>;

ino_t InodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace

TEST(RecentFiles, NewestFirstEachOnceAtMostTen) {
    TempDir folder;
    const fs::path ini = folder / "KRMAKE.INI";
    WriteBytes(ini, "[GENERAL]\r\nLEFT=10\r\nTOP=20\r\n");
    ProfileFile settings(ini);
    Paths remembered;
    for (int i = 1; i <= 11; ++i) {
        remembered.insert(remembered.begin(), folder / ("u" + std::to_string(i) + ".kr"));
        kr::RememberRecentFile(settings, remembered.front());
    }
    remembered.pop_back();  // u1.kr, the eleventh from the newest
    EXPECT_EQ(kr::ReadRecentFiles(settings), remembered);

    // Loading u5.kr again brings it to the front; it is not there twice.
    kr::RememberRecentFile(settings, folder / "u5.kr");
    std::erase(remembered, folder / "u5.kr");
    remembered.insert(remembered.begin(), folder / "u5.kr");
    EXPECT_EQ(kr::ReadRecentFiles(settings), remembered);

    // The placement keys before the list keep their bytes.
    const std::string bytes = ReadBytes(ini);
    const std::string dir = folder.Path().string();
    EXPECT_EQ(bytes.substr(0, bytes.find("FILE3=")),
              "[GENERAL]\r\nLEFT=10\r\nTOP=20\r\n[RECENT]\r\nFILE1=" + dir + "/u5.kr\r\nFILE2=" + dir + "/u11.kr\r\n");
}

TEST(RecentFiles, ForgottenFileLeavesTheListAndTheLastOneTheSection) {
    TempDir folder;
    const fs::path ini = folder / "KRMAKE.INI";
    ProfileFile settings(ini);
    kr::RememberRecentFile(settings, "/units/a.kr");
    kr::RememberRecentFile(settings, "/units/b.kr");
    kr::ForgetRecentFile(settings, "/units/a.kr");
    EXPECT_EQ(ReadBytes(ini), "[RECENT]\r\nFILE1=/units/b.kr\r\n");
    kr::ForgetRecentFile(settings, "/units/b.kr");
    EXPECT_EQ(ReadBytes(ini), "");
}

// A file name relative to the working folder is kept whole; a path that
// would read back otherwise is not kept at all; a list edited by hand gives
// only its absolute paths, each once.
TEST(RecentFiles, OnlyPathsThatReadBackAsTheyAre) {
    TempDir folder;
    const fs::path ini = folder / "KRMAKE.INI";
    ProfileFile settings(ini);
    kr::RememberRecentFile(settings, "unit.kr");
    EXPECT_EQ(kr::ReadRecentFiles(settings), Paths{fs::current_path() / "unit.kr"});

    WriteBytes(ini, "[RECENT]\r\nFILE1=/units/a.kr\r\n");
    for (const char* unreadable : {"/units/ends with a blank.kr ", "/units/line\nbreak.kr", "/units/cr\r.kr"})
        kr::RememberRecentFile(settings, unreadable);
    kr::RememberRecentFile(settings, "/" + std::string(3000, 'x') + ".kr");
    EXPECT_EQ(ReadBytes(ini), "[RECENT]\r\nFILE1=/units/a.kr\r\n");

    WriteBytes(ini, "[recent]\r\nfile2=/units/b.kr\r\nFILE1=relative.kr\r\nFILE3=/units/b.kr\r\nFILE11=/units/c.kr\r\n"
                    "FILE4=/units/d.kr\r\n");
    EXPECT_EQ(kr::ReadRecentFiles(settings), (Paths{"/units/b.kr", "/units/d.kr"}));
}

// The newest file loaded or saved again changes nothing, so nothing is
// written; a settings file that cannot be written gives the store's error.
TEST(RecentFiles, NoWriteWhenNothingChangesAndWriteErrorsAreTold) {
    TempDir folder;
    const fs::path ini = folder / "KRMAKE.INI";
    ProfileFile settings(ini);
    kr::RememberRecentFile(settings, "/units/a.kr");
    const ino_t written = InodeOf(ini);
    kr::RememberRecentFile(settings, "/units/a.kr");
    kr::ForgetRecentFile(settings, "/units/gone.kr");
    EXPECT_EQ(InodeOf(ini), written);

    fs::create_directory(folder / "folder.ini");
    ProfileFile unwritable(folder / "folder.ini");
    EXPECT_EQ(ErrorOf([&] { kr::RememberRecentFile(unwritable, "/units/a.kr"); }), WriteErrorOf(folder / "folder.ini"));
}
