// The unit files loaded or saved last, for the File menu's 最近使ったファイル:
// kept in the settings file "KRMAKE.INI", section "RECENT", keys "FILE1"
// (the newest) to "FILE10", each the file's absolute path as the file system
// names it. Every change reads the file anew, so copies of the program that
// run side by side add to one list.
#pragma once

#include "profile_file.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace kr {

extern const char* const RecentFilesSection;  // "RECENT"
inline constexpr std::size_t MaxRecentFiles = 10;

// The remembered files, newest first, at most MaxRecentFiles. Entries that
// are no absolute path, and a path found again further down, are passed over.
std::vector<std::filesystem::path> ReadRecentFiles(const ProfileFile& settings);

// Makes the file the newest of the list (it leaves its old place; the
// oldest beyond MaxRecentFiles go). A path the settings file cannot give back
// as it is (a line break in it, blanks at its end, longer than a value) is
// not remembered. Nothing is written when the list stays as it was. Throws
// the store's write error.
void RememberRecentFile(ProfileFile& settings, const std::filesystem::path& file);

// Takes the file out of the list. Throws the store's write error.
void ForgetRecentFile(ProfileFile& settings, const std::filesystem::path& file);

}  // namespace kr
