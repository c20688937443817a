#include "recent_files.h"

#include "Pub1.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace kr {

namespace fs = std::filesystem;

const char* const RecentFilesSection = "RECENT";

namespace {

std::string KeyOf(std::size_t number) { return "FILE" + std::to_string(number); }

std::vector<fs::path> RecentFilesIn(const ProfileDocument& document) {
    std::vector<fs::path> files;
    for (std::size_t number = 1; number <= MaxRecentFiles; ++number) {
        const fs::path file(document.ReadText(RecentFilesSection, KeyOf(number), ""));
        // The file may have been edited by hand: only absolute paths, each once.
        if (!file.is_absolute() || std::find(files.begin(), files.end(), file) != files.end()) continue;
        files.push_back(file);
    }
    return files;
}

// Whether a value of the settings file reads back as exactly these bytes:
// the store drops blanks at the end of a line and cuts long values.
bool ReadsBackAsItIs(const std::string& value) {
    return !value.empty() && value.size() <= MaxProfileValueLength &&
           value.find_first_of(LineBreakingBytes) == std::string::npos && !IsBlankByte(value.back());
}

// Writes the list in place of the one the document holds, unless it is the same.
void Replace(ProfileFile& settings, ProfileDocument& document, const std::vector<fs::path>& files) {
    if (files == RecentFilesIn(document)) return;
    ProfileEntries entries;
    for (std::size_t i = 0; i < files.size(); ++i) entries.emplace_back(KeyOf(i + 1), files[i].native());
    document.ReplaceSection(RecentFilesSection, entries);
    settings.Save(document);
}

}  // namespace

std::vector<fs::path> ReadRecentFiles(const ProfileFile& settings) { return RecentFilesIn(settings.Load()); }

void RememberRecentFile(ProfileFile& settings, const fs::path& file) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec).lexically_normal();
    if (ec || !ReadsBackAsItIs(absolute.native())) return;
    ProfileDocument document = settings.LoadForWriting();
    std::vector<fs::path> files = RecentFilesIn(document);
    std::erase(files, absolute);
    files.insert(files.begin(), absolute);
    if (files.size() > MaxRecentFiles) files.resize(MaxRecentFiles);
    Replace(settings, document, files);
}

void ForgetRecentFile(ProfileFile& settings, const fs::path& file) {
    ProfileDocument document = settings.LoadForWriting();
    std::vector<fs::path> files = RecentFilesIn(document);
    std::erase(files, file);
    Replace(settings, document, files);
}

}  // namespace kr
