// The whole state of a design session without any window: the catalogs, the
// sheet, the pickers' rows and ticks, and the dialogs' remembered file names.
// Every command's logic is a function on this state; the windows only show
// dialogs, call these, and refresh.
#pragma once

#include "data_folders.h"
#include "unit_file.h"
#include "unit_sheet.h"

#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kr {

struct Catalogs {
    TKRWeaponList Weapon;
    TKROptionList Option;
    TKRMoveList Move;
    // The threads that loaded the catalogs, building their name indexes
    // (LoadCatalogs). Declared last, so that the catalogs wait for them
    // before they go.
    std::vector<std::future<void>> Indexing;
};

// Loads the three catalogs from their files, each on a thread of its own.
// Returns the message of every catalog that failed, in the order weapon,
// option, move, as soon as the three are loaded; each thread then builds
// its catalog's name index, so that the first template or load finds it
// ready (a lookup before that waits for it).
std::vector<std::string> LoadCatalogs(Catalogs& catalogs, const CatalogFiles& files);

// The three catalogs with their loading under way on threads of their own,
// begun as early as the start allows. Nothing may read `Loaded` before
// `Failures` has been waited for; its result is what LoadCatalogs returns.
struct CatalogsLoading {
    explicit CatalogsLoading(CatalogFiles files);
    std::unique_ptr<Catalogs> Loaded;
    std::future<std::vector<std::string>> Failures;
};
// The same with the three files in one folder.
std::vector<std::string> LoadCatalogs(Catalogs& catalogs, const std::filesystem::path& directory);

struct Designer {
    explicit Designer(const Catalogs& catalogs) : Catalog(catalogs) {}
    Designer(const Designer&) = delete;
    Designer& operator=(const Designer&) = delete;

    const Catalogs& Catalog;
    UnitSheet Sheet;

    // The pickers' rows: every catalog entry, in catalog order, with its tick.
    OptionPickerRows OptionPicker;
    MovePickerRows MovePicker;
    WeaponPickerRows WeaponPicker;

    // File names the dialogs keep. SaveFileName is the remembered unit file.
    std::filesystem::path OpenFileName;
    std::filesystem::path SaveFileName;
    std::filesystem::path HtmlFileName;
    std::filesystem::path PdfFileName;
    std::filesystem::path PictureFileName;
};

// Fills the three pickers from the catalogs (what each picker does when created).
void FillPickers(Designer& designer);

// The five stock models of the "新規作成" menu, numbered 1 to 5.
constexpr int TemplateCount = 5;
const char* TemplateCaption(int number);  // "KRM-11-LS", ... (ASCII)
void ApplyTemplate(Designer& designer, int number);

// Rebuild the main window's option / move list from the picker's ticks, in
// picker order, then recalculate.
void RebuildOptionsFromPicker(Designer& designer);
void RebuildMovesFromPicker(Designer& designer);

// BackpackCapacity of a class: "L" 2, "M" 4, "H" 5, anything else 6.
std::int32_t CapacityOfClass(std::string_view unitClass);

// What a save of the sheet writes: its name, base figures and class as held,
// and the captions of its rows.
UnitFileContent UnitFileContentOf(const UnitSheet& sheet);
// Writes the sheet to the unit file as one transaction.
// Throws KrError "%s に書き込めません".
void WriteUnitFile(const std::filesystem::path& path, const UnitSheet& sheet);

// What a load of a unit file did: the names the catalogs do not hold, which
// added no row (each once, in file order), and whether the sheet now holds
// everything the file holds (no name dropped, the name shown as written).
struct UnitLoad {
    std::vector<std::string> Dropped;
    bool Whole = true;
};

// Loads a unit file into the designer: clears the pickers' ticks and the
// three lists, reads the sheet, adds the rows found in the catalogs, ticks
// the pickers, sets the capacity and the remembered file names, and
// recalculates. A path that is no readable file throws KrError
// (FileReadMessage: "ファイル %s は開けません", ...) and leaves the designer
// untouched.
UnitLoad LoadUnitFile(const std::filesystem::path& path, Designer& designer);
// The same for a unit file's content already read, remembered as `file`;
// `capacity`, when given, is the backpack capacity instead of the class's.
UnitLoad LoadUnitContent(const UnitFileContent& content, const std::filesystem::path& file, Designer& designer,
                         std::optional<std::int32_t> capacity = std::nullopt);

// The sheet as a unit file of it reads back (values without blanks at their
// ends, the class in upper case, ...): what a load of its save would give.
UnitFileContent UnitFileContentAsRead(const UnitSheet& sheet);
// Whether the file holds the sheet's design: it can be read and reads back
// as a save of the sheet would.
bool FileHoldsSheet(const std::filesystem::path& path, const UnitSheet& sheet);

// The notice for names a load dropped (CP932):
// "カタログにない名前を読み飛ばしました: A、B".
std::string DroppedNamesMessage(const std::vector<std::string>& names);

// Removes the selected weapon row, with its follow-up row or the row it
// follows (the row below examined first, one neighbour only). Returns the
// index of the row that takes the selection afterwards, or -1 for none.
// Does not recalculate.
long DeleteWeaponRow(WeaponRows& weapons, std::size_t selected);

}  // namespace kr
