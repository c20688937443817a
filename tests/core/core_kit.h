// Helpers shared by the core tests: temporary folders, files of exact bytes,
// CP932 bytes of UTF-8 literals made with iconv directly (not with the
// program's own codec), entries made from catalog lines, the shipped
// catalogs, reading rows and figures back, and running krreport.
#pragma once

#include "designer.h"

#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace testkit {

using Texts = std::vector<std::string>;

// CP932 bytes of a UTF-8 literal, and of a list of them.
std::string IconvCp932(std::string_view utf8);
Texts IconvCp932(std::initializer_list<const char*> utf8);
// UTF-8 of CP932 bytes, as an editor saving a catalog as UTF-8 would write them.
std::string IconvUtf8(std::string_view cp932);

// A fresh empty folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);
// The names in a folder: a failed save must leave no file behind.
std::set<std::string> FolderListing(const std::filesystem::path& folder);
// The permission bits of a file, as 0644 and the like.
int ModeOf(const std::filesystem::path& path);

// Runs a check in a child process whose files may grow to at most
// `sizeLimit` bytes and which, like any user but root, is held by file
// permissions. Returns 0 when the check held, 1 when not, 100 when the child
// could not give up root's rights, -1 when the child did not end normally.
int InRestrictedChild(rlim_t sizeLimit, const std::function<bool()>& check);

// The message of the KrError the action throws, or "" when it throws none.
std::string ErrorOf(const std::function<void()>& action);
// The store's write error and the loader's open error for a path.
std::string WriteErrorOf(const std::filesystem::path& path);
std::string CannotOpen(const std::filesystem::path& path);

// Header lines of the three catalog files, CR LF included. The loader never
// reads a header; these are the shipped files' own.
std::string OptionHeader();
std::string WeaponHeader();
std::string MoveHeader();

// An entry made from one catalog line written in UTF-8 (the loader reads its
// CP932 bytes); it lives until the test program ends, as entries live for a run.
const kr::TKrOption& OptionEntry(std::string_view utf8Line);
const kr::TKrMove& MoveEntry(std::string_view utf8Line);
const kr::TKrWeapon& WeaponEntry(std::string_view utf8Line);

// Folder of the catalogs we ship, and those catalogs loaded once.
std::filesystem::path ShippedData();
const kr::Catalogs& ShippedCatalogs();
// A designer over the catalogs with its pickers filled, as the windows make it.
std::unique_ptr<kr::Designer> NewDesigner(const kr::Catalogs& catalogs = ShippedCatalogs());

// The captions of a list's rows, and those of a picker's ticked rows.
template <class Entry>
Texts Captions(const kr::RowList<Entry>& rows) {
    Texts captions;
    for (std::size_t i = 0; i < rows.Count(); ++i) captions.emplace_back(rows.Caption(i));
    return captions;
}
template <class Picker>
Texts Ticked(const Picker& picker) {
    Texts names;
    for (std::size_t i = 0; i < picker.Count(); ++i)
        if (picker.Row(i).Checked) names.emplace_back(picker.Caption(i));
    return names;
}

// The eleven base figures: fire, melee, evasion, armour, durability, power,
// punch, sensor, custom points, backpack capacity, price.
std::vector<std::int32_t> BaseFigures(const kr::UnitSheet& sheet);
void SetBaseFigures(kr::UnitSheet& sheet, const std::vector<std::int32_t>& figures);
// The box texts: fire, melee, evasion, sensor, armour, durability, power,
// punch, custom points, price, class, backpack.
Texts BoxTexts(const kr::UnitSheet& sheet);

// The krreport program built beside the tests, run as a separate process;
// `environment` goes before it on the command line ("env -u DISPLAY").
struct ToolRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};
ToolRun RunKrReport(const std::vector<std::string>& args, const std::string& environment = "");

// The text of a PDF file as pdftotext gives it (UTF-8). Throws
// std::runtime_error when pdftotext cannot be run.
std::string PdfText(const std::filesystem::path& pdf);

}  // namespace testkit
