#include "data_folders.h"

#include "Pub1.h"
#include "placement.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

namespace kr {

namespace fs = std::filesystem;

namespace {

constexpr const char* ProgramFolderName = "krmake";

bool IsFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// A variable that names an absolute folder; anything else counts as unset.
std::optional<fs::path> AbsoluteFolder(const EnvironmentLookup& environment, std::string_view name) {
    const std::optional<std::string> value = environment(name);
    if (!value || value->empty()) return std::nullopt;
    const fs::path folder(*value);
    if (!folder.is_absolute()) return std::nullopt;
    return folder;
}

// $NAME, or $HOME followed by `fallback`, or nothing without a home.
std::optional<fs::path> BaseFolder(const EnvironmentLookup& environment, std::string_view name,
                                   const char* fallback) {
    if (auto folder = AbsoluteFolder(environment, name)) return folder;
    if (auto home = AbsoluteFolder(environment, "HOME")) return *home / fallback;
    return std::nullopt;
}

std::vector<fs::path> DataDirectories(const EnvironmentLookup& environment) {
    const std::optional<std::string> value = environment("XDG_DATA_DIRS");
    const std::string list = value && !value->empty() ? *value : "/usr/local/share:/usr/share";
    std::vector<fs::path> folders;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(':', begin);
        if (end == std::string::npos) end = list.size();
        const fs::path folder(list.substr(begin, end - begin));
        if (folder.is_absolute()) folders.push_back(folder);
        begin = end + 1;
    }
    return folders;
}

// The first folder that holds the file; when none does, the installed data
// folder, so that a failed load names where our own copy belongs.
fs::path FirstHolding(const std::vector<fs::path>& folders, const fs::path& installed, const char* name) {
    for (const fs::path& folder : folders)
        if (IsFile(folder / name)) return folder / name;
    return installed / name;
}

}  // namespace

DataFolders PortableFolders(const fs::path& folder) {
    DataFolders folders;
    folders.Mode = RunMode::Portable;
    folders.Catalogs = CatalogFilesIn(folder);
    folders.SettingsFolder = folder;
    folders.SettingsFile = folder / SettingsFileName;
    return folders;
}

DataFolders ResolveDataFolders(const fs::path& executableFolder, const EnvironmentLookup& environment) {
    const CatalogFiles beside = CatalogFilesIn(executableFolder);
    if (IsFile(beside.Weapon) || IsFile(beside.Option) || IsFile(beside.Move) ||
        IsFile(executableFolder / SettingsFileName))
        return PortableFolders(executableFolder);

    DataFolders folders;
    folders.Mode = RunMode::Installed;

    // Relative to the executable, so that an installed tree can be moved.
    const fs::path installed = ((executableFolder / "..").lexically_normal() / "share" / ProgramFolderName);
    std::vector<fs::path> candidates;
    if (auto dataHome = BaseFolder(environment, "XDG_DATA_HOME", ".local/share"))
        candidates.push_back(*dataHome / ProgramFolderName);
    candidates.push_back(installed);
    for (const fs::path& folder : DataDirectories(environment)) candidates.push_back(folder / ProgramFolderName);
    folders.Catalogs.Weapon = FirstHolding(candidates, installed, "weapon.csv");
    folders.Catalogs.Option = FirstHolding(candidates, installed, "option.csv");
    folders.Catalogs.Move = FirstHolding(candidates, installed, "move.csv");

    // Without any home folder there is nowhere of the user's own: the
    // settings stay beside the executable, and a failed write says so.
    if (auto configHome = BaseFolder(environment, "XDG_CONFIG_HOME", ".config"))
        folders.SettingsFolder = *configHome / ProgramFolderName;
    else
        folders.SettingsFolder = executableFolder;
    folders.SettingsFile = folders.SettingsFolder / SettingsFileName;
    return folders;
}

std::optional<std::string> ProcessEnvironment(std::string_view name) {
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str()); value && *value) return std::string(value);
    if (key != "HOME") return std::nullopt;
    // A session without HOME (started by a service manager, say) still has a
    // home folder in the password database.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return std::nullopt;
    return std::string(found->pw_dir);
}

DataFolders ResolveDataFolders() { return ResolveDataFolders(ApplicationDirectory(), ProcessEnvironment); }

CatalogFiles DesignerCatalogFiles() { return ResolveDataFolders().Catalogs; }

}  // namespace kr
