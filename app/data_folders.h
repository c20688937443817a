// Where the designer finds its catalogs and keeps its settings.
//
// Portable: the catalogs or KRMAKE.INI sit beside the executable (a build
// tree, an unpacked folder). Everything is read from and written to that
// folder.
//
// Installed: the executable's folder is someone else's (/usr/bin, a bundle).
// Each catalog is taken from the first folder that has it among
//   $XDG_DATA_HOME/krmake          a player's own catalogs
//   <executable>/../share/krmake   the catalogs installed with the program
//   each of $XDG_DATA_DIRS/krmake
// and the settings live in $XDG_CONFIG_HOME/krmake, created on first write.
#pragma once

#include "catalog.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kr {

enum class RunMode { Portable, Installed };

struct DataFolders {
    RunMode Mode = RunMode::Portable;
    CatalogFiles Catalogs;
    // The folder of the files the program keeps between runs; in installed
    // mode it may not exist yet.
    std::filesystem::path SettingsFolder;
    std::filesystem::path SettingsFile;  // SettingsFolder / "KRMAKE.INI"
};

// Everything in one folder, as in a build tree.
DataFolders PortableFolders(const std::filesystem::path& folder);

// The value of an environment variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Decides the mode from what sits in `executableFolder` and resolves the
// folders from the environment by the XDG base directory rules (an empty or
// relative value counts as unset).
DataFolders ResolveDataFolders(const std::filesystem::path& executableFolder, const EnvironmentLookup& environment);

// The process's environment; HOME falls back to the user's entry in the
// password database.
std::optional<std::string> ProcessEnvironment(std::string_view name);

// The folders of the running program.
DataFolders ResolveDataFolders();

// The catalogs the designer reads when started from the same folder as the
// running program: the default of every tool that reads catalogs.
CatalogFiles DesignerCatalogFiles();

}  // namespace kr
