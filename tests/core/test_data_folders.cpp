// Where the designer reads its catalogs and keeps its settings: portable
// beside the executable, or installed with the XDG folders, and the catalogs
// loaded from files in different folders.
#include "core_kit.h"
#include "designer.h"

#include <gtest/gtest.h>

#include <map>

using namespace kr;
namespace fs = std::filesystem;

namespace {

// A prefix laid out as an install: bin/ for the executable, share/krmake/
// with our catalogs, and folders standing in for the user's home.
struct Prefix : ::testing::Test {
    testkit::TempDir root;
    std::map<std::string, std::string> environment;

    fs::path Bin() const { return root / "usr/bin"; }
    fs::path Shared() const { return root / "usr/share/krmake"; }

    void SetUp() override {
        fs::create_directories(Bin());
        for (const char* name : {"weapon.csv", "option.csv", "move.csv"}) Put(Shared() / name);
        environment["HOME"] = (root / "home").string();
        environment["XDG_DATA_DIRS"] = (root / "none").string();
    }
    static void Put(const fs::path& file) {
        fs::create_directories(file.parent_path());
        testkit::WriteBytes(file, "header\r\n");
    }
    DataFolders Resolve(const fs::path& executableFolder) const {
        return ResolveDataFolders(executableFolder, [this](std::string_view name) -> std::optional<std::string> {
            const auto found = environment.find(std::string(name));
            if (found == environment.end()) return std::nullopt;
            return found->second;
        });
    }
    DataFolders Resolve() const { return Resolve(Bin()); }
};

TEST_F(Prefix, AnyCatalogOrTheSettingsBesideTheExecutableMakeItPortable) {
    for (const char* name : {"weapon.csv", "option.csv", "move.csv", "KRMAKE.INI"}) {
        SCOPED_TRACE(name);
        Put(Bin() / name);
        const DataFolders folders = Resolve();
        EXPECT_EQ(folders.Mode, RunMode::Portable);
        EXPECT_EQ(folders.SettingsFile, Bin() / "KRMAKE.INI");
        EXPECT_EQ(folders.Catalogs.Weapon, Bin() / "weapon.csv");
        EXPECT_EQ(folders.Catalogs.Option, Bin() / "option.csv");
        EXPECT_EQ(folders.Catalogs.Move, Bin() / "move.csv");
        fs::remove(Bin() / name);
    }
    // A folder of a catalog's name is no catalog.
    fs::create_directories(Bin() / "weapon.csv");
    EXPECT_EQ(Resolve().Mode, RunMode::Installed);
}

TEST_F(Prefix, InstalledTakesEachCatalogFromThePlayersFolderThenOursThenTheDataDirectories) {
    environment["XDG_DATA_HOME"] = (root / "data").string();
    environment["XDG_DATA_DIRS"] = "relative/share:" + (root / "first").string() + ":" + (root / "second").string();
    Put(root / "data/krmake/weapon.csv");
    fs::remove(Shared() / "move.csv");
    Put(root / "relative/share/krmake/move.csv");
    Put(root / "second/krmake/move.csv");
    Put(root / "second/krmake/option.csv");

    // A relative entry would find relative/share/krmake/move.csv from here.
    const fs::path working = fs::current_path();
    fs::current_path(root.Path());
    // ApplicationDirectory() ends with a separator.
    const DataFolders folders = Resolve(Bin() / "");
    fs::current_path(working);
    EXPECT_EQ(folders.Mode, RunMode::Installed);
    EXPECT_EQ(folders.Catalogs.Weapon, root / "data/krmake/weapon.csv");
    EXPECT_EQ(folders.Catalogs.Option, Shared() / "option.csv");
    EXPECT_EQ(folders.Catalogs.Move, root / "second/krmake/move.csv");
}

TEST_F(Prefix, InstalledNamesOurDataFolderForACatalogFoundNowhere) {
    fs::remove(Shared() / "option.csv");
    EXPECT_EQ(Resolve().Catalogs.Option, Shared() / "option.csv");
}

TEST_F(Prefix, InstalledSettingsFollowTheConfigHomeOrTheHomeFolder) {
    environment["XDG_CONFIG_HOME"] = (root / "config").string();
    DataFolders folders = Resolve();
    EXPECT_EQ(folders.SettingsFolder, root / "config/krmake");
    EXPECT_EQ(folders.SettingsFile, root / "config/krmake/KRMAKE.INI");

    // Empty and relative values count as unset; so does an empty data home.
    for (const char* unset : {"", "config"}) {
        SCOPED_TRACE(unset);
        environment["XDG_CONFIG_HOME"] = unset;
        environment["XDG_DATA_HOME"] = unset;
        Put(root / "home/.local/share/krmake/move.csv");
        folders = Resolve();
        EXPECT_EQ(folders.SettingsFile, root / "home/.config/krmake/KRMAKE.INI");
        EXPECT_EQ(folders.Catalogs.Move, root / "home/.local/share/krmake/move.csv");
    }
    EXPECT_FALSE(fs::exists(root / "home/.config")) << "resolving creates no folder";
}

TEST_F(Prefix, CatalogsLoadFromTheirOwnFilesAndAMissingOneIsNamedInFull) {
    const std::string header = "code,name\r\n";
    testkit::WriteBytes(root / "mine.csv", header + "W1,PlayersGun,k,1,2,3,4,M,5,6,7,8,9,10,,0,0,0,n\r\n");
    testkit::WriteBytes(Shared() / "option.csv", header + "O1,Theirs,1,2,3,M,0,0,0,0,0,0,0,0,e\r\n");
    Catalogs catalogs;
    const CatalogFiles files{root / "mine.csv", Shared() / "option.csv", root / "gone/move.csv"};
    const std::vector<std::string> failures = LoadCatalogs(catalogs, files);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures.front(), testkit::CannotOpen(root / "gone/move.csv"));
    ASSERT_EQ(catalogs.Weapon.Count(), 1u);
    EXPECT_EQ(catalogs.Weapon.EntryByIndex(0)->Name, "PlayersGun");
    ASSERT_EQ(catalogs.Option.Count(), 1u);
    EXPECT_EQ(catalogs.Option.EntryByIndex(0)->Name, "Theirs");
}

}  // namespace
