#include "designer.h"

#include "Pub1.h"
#include "codec.h"

#include <algorithm>

#include <array>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kr {

namespace {

// Loads a catalog on a thread of its own, which then builds its name index;
// the result is the load's failure ("" for none), known before the index is.
template <class Catalog>
std::future<std::string> LoadThenIndex(Catalog& catalog, std::filesystem::path file,
                                       std::vector<std::future<void>>& threads) {
    std::promise<std::string> loaded;
    std::future<std::string> result = loaded.get_future();
    threads.push_back(std::async(std::launch::async, [&catalog, file = std::move(file), loaded = std::move(loaded)]() mutable {
        try {
            catalog.LoadCatalogFile(file);
            loaded.set_value({});
        } catch (const KrError& error) {
            // The entries before the failing line stay, and are indexed.
            loaded.set_value(error.what());
        } catch (...) {
            loaded.set_exception(std::current_exception());
            return;
        }
        catalog.BuildNameIndex();
    }));
    return result;
}

}  // namespace

std::vector<std::string> LoadCatalogs(Catalogs& catalogs, const CatalogFiles& files) {
    // An earlier load's indexing ends before the catalogs load again.
    catalogs.Indexing.clear();
    // Each catalog loads on its own: one bad file does not keep the others
    // empty, and the three share nothing.
    std::future<std::string> weapon = LoadThenIndex(catalogs.Weapon, files.Weapon, catalogs.Indexing);
    std::future<std::string> option = LoadThenIndex(catalogs.Option, files.Option, catalogs.Indexing);
    std::future<std::string> move = LoadThenIndex(catalogs.Move, files.Move, catalogs.Indexing);
    // All three end before anything is told, also when one threw: the
    // catalogs are read only once no load runs.
    for (std::future<std::string>* load : {&weapon, &option, &move}) load->wait();
    std::vector<std::string> failures;
    for (std::string failure : {weapon.get(), option.get(), move.get()})
        if (!failure.empty()) failures.push_back(std::move(failure));
    return failures;
}

CatalogsLoading::CatalogsLoading(CatalogFiles files) : Loaded(std::make_unique<Catalogs>()) {
    Failures = std::async(std::launch::async,
                          [&catalogs = *Loaded, files = std::move(files)] { return LoadCatalogs(catalogs, files); });
}

std::vector<std::string> LoadCatalogs(Catalogs& catalogs, const std::filesystem::path& directory) {
    return LoadCatalogs(catalogs, CatalogFilesIn(directory));
}

void FillPickers(Designer& designer) {
    FillPicker(designer.OptionPicker, designer.Catalog.Option);
    FillPicker(designer.MovePicker, designer.Catalog.Move);
    FillPicker(designer.WeaponPicker, designer.Catalog.Weapon);
}

namespace {

struct StockModel {
    const char* Caption;
    const char* Class;
    BaseFigureValues Figures;  // by figure: fire, melee, evasion, sensor, CP, armour, durability, power,
                               // punch, backpack capacity, price
    std::vector<const char*> Moves;
    std::vector<const char*> Weapons;
    std::vector<const char*> Options;
    const char* Name;  // UTF-8
};

const std::array<StockModel, TemplateCount>& StockModels() {
    static const std::array<StockModel, TemplateCount> models{{
        {"KRM-11-LS", "M", {0, 0, 0, 0, 0, 5, 20, 6, 6, 4, 8200},
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}, {}, "KRM-11-LS グラナイト"},
        {"KRH-21-LS", "H", {0, 0, -7, 0, -1, 6, 30, 7, 7, 4, 16900},
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"11mmMG"}, {}, "KRH-21-LS バサルト"},
        {"KRH-22-LS", "H", {0, 0, -5, 0, 0, 6, 25, 7, 7, 5, 18200},
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}, {}, "KRH-22-LS オブシディアン"},
        {"KRH-X31-LS", "H", {1, 1, -4, 0, -1, 6, 25, 7, 8, 5, 9000},
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"}, {"出力強化Lv1", "ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工"},
         "KRH-X31-LS クォーツ"},
        {"KRS-41-LA", "H", {0, 0, -10, 0, 0, 6, 35, 7, 7, 5, 13200},
         {"ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ", "宇宙用ﾊﾞｰﾆｱ"}, {}, {}, "KRS-41-LA ドロマイト"},
    }};
    return models;
}

}  // namespace

const char* TemplateCaption(int number) { return StockModels().at(static_cast<std::size_t>(number - 1)).Caption; }

namespace {

// What a template and a load do first: no ticks in the option and move
// pickers, and no rows in the three lists.
void ClearEquipment(Designer& designer) {
    ClearChecks(designer.OptionPicker);
    ClearChecks(designer.MovePicker);
    designer.Sheet.Options.Clear();
    designer.Sheet.Moves.Clear();
    designer.Sheet.Weapons.Clear();
}

}  // namespace

void ApplyTemplate(Designer& designer, int number) {
    const StockModel& model = StockModels().at(static_cast<std::size_t>(number - 1));
    UnitSheet& sheet = designer.Sheet;

    designer.OpenFileName.clear();
    designer.SaveFileName.clear();
    ClearEquipment(designer);

    sheet.UnitClass = model.Class;
    SetBaseFigures(sheet, model.Figures);

    // Preset equipment is found by name; a name the catalog lacks adds nothing.
    for (const char* name : model.Moves) AddMoveRow(&sheet.Moves, designer.Catalog.Move.FindByName(Sjis(name)));
    for (const char* name : model.Weapons)
        AddWeaponRow(&sheet.Weapons, designer.Catalog.Weapon.FindByName(Sjis(name)));
    for (const char* name : model.Options)
        AddOptionRow(&sheet.Options, designer.Catalog.Option.FindByName(Sjis(name)));

    for (const char* name : model.Moves) CheckByName(designer.MovePicker, Sjis(name));
    for (const char* name : model.Options) CheckByName(designer.OptionPicker, Sjis(name));

    sheet.UnitName = Sjis(model.Name);
    Recalculate(sheet);
}

namespace {

template <class Entry, class AddRow>
void RebuildFromTicks(const PickerRows<Entry>& picker, RowList<Entry>& list, AddRow addRow) {
    list.Clear();
    for (std::size_t i = 0; i < picker.Count(); ++i)
        if (picker.Row(i).Checked) addRow(&list, picker.Data(i));
}

}  // namespace

void RebuildOptionsFromPicker(Designer& designer) {
    RebuildFromTicks(designer.OptionPicker, designer.Sheet.Options, AddOptionRow);
    Recalculate(designer.Sheet);
}

void RebuildMovesFromPicker(Designer& designer) {
    RebuildFromTicks(designer.MovePicker, designer.Sheet.Moves, AddMoveRow);
    Recalculate(designer.Sheet);
}

std::int32_t CapacityOfClass(std::string_view unitClass) {
    if (unitClass == "L") return 2;
    if (unitClass == "M") return 4;
    if (unitClass == "H") return 5;
    return 6;
}

namespace {

template <class Entry>
std::vector<std::string> CaptionsOf(const RowList<Entry>& rows) {
    const std::vector<std::string_view> captions = rows.Captions();
    return {captions.begin(), captions.end()};
}

// Adds a row for each name the catalog holds and ticks the picker's rows of
// that name (through the catalog's name index); the other names are
// returned through `dropped`.
template <class Entry, class Catalog, class AddRow>
void AddNamedRows(const std::vector<std::string>& names, const Catalog& catalog, RowList<Entry>& rows,
                  AddRow addRow, PickerRows<Entry>* picker, std::vector<std::string>& dropped) {
    rows.Reserve(rows.Count() + names.size());
    for (const std::string& name : names) {
        const Entry* entry = catalog.FindByName(name);
        if (entry == nullptr) {
            dropped.push_back(name);
            continue;
        }
        addRow(&rows, entry);
        if (picker != nullptr) CheckByName(*picker, name);
    }
}

}  // namespace

UnitFileContent UnitFileContentOf(const UnitSheet& sheet) {
    UnitFileContent content;
    content.Name = sheet.UnitName;
    for (const FigureDescription& figure : FigureTable)
        if (figure.FileIndex >= 0) content.Figures[static_cast<std::size_t>(figure.FileIndex)] = sheet.*figure.Base;
    content.Class = sheet.UnitClass;
    content.Moves = CaptionsOf(sheet.Moves);
    content.Weapons = CaptionsOf(sheet.Weapons);
    content.Options = CaptionsOf(sheet.Options);
    return content;
}

void WriteUnitFile(const std::filesystem::path& path, const UnitSheet& sheet) {
    WriteUnitFileContent(path, UnitFileContentOf(sheet));
}

UnitLoad LoadUnitFile(const std::filesystem::path& path, Designer& designer) {
    // Read first: a file that cannot be read leaves the design as it is.
    return LoadUnitContent(ReadUnitFileContent(path), path, designer);
}

UnitLoad LoadUnitContent(const UnitFileContent& content, const std::filesystem::path& file, Designer& designer,
                         std::optional<std::int32_t> capacity) {
    UnitSheet& sheet = designer.Sheet;
    ClearEquipment(designer);

    sheet.UnitName = UnitNameFromFile(content.Name);
    for (const FigureDescription& figure : FigureTable)
        if (figure.FileIndex >= 0) sheet.*figure.Base = content.Figures[static_cast<std::size_t>(figure.FileIndex)];
    sheet.UnitClass = content.Class;

    // The rows follow the order of the lines; names the catalogs do not hold
    // add no row and tick nothing.
    std::vector<std::string> dropped;
    AddNamedRows(content.Moves, designer.Catalog.Move, sheet.Moves, AddMoveRow, &designer.MovePicker, dropped);
    AddNamedRows(content.Weapons, designer.Catalog.Weapon, sheet.Weapons, AddWeaponRow,
                 static_cast<WeaponPickerRows*>(nullptr), dropped);
    AddNamedRows(content.Options, designer.Catalog.Option, sheet.Options, AddOptionRow, &designer.OptionPicker,
                 dropped);

    sheet.BackpackCapacity = capacity.value_or(CapacityOfClass(sheet.UnitClass));
    designer.SaveFileName = file;
    designer.OpenFileName = file;
    Recalculate(sheet);

    UnitLoad load;
    load.Whole = dropped.empty() && sheet.UnitName == content.Name;
    // Each dropped name once, where it first stood.
    std::unordered_set<std::string> seen;
    for (std::string& name : dropped)
        if (seen.insert(name).second) load.Dropped.push_back(std::move(name));
    return load;
}

UnitFileContent UnitFileContentAsRead(const UnitSheet& sheet) {
    ProfileDocument document;
    WriteUnitDocument(document, UnitFileContentOf(sheet));
    return ReadUnitDocument(document);
}

bool FileHoldsSheet(const std::filesystem::path& path, const UnitSheet& sheet) {
    std::string bytes;
    if (ReadFileBytes(path, bytes) != FileRead::Read) return false;
    return ReadUnitDocument(ProfileDocument(bytes)) == UnitFileContentAsRead(sheet);
}

std::string DroppedNamesMessage(const std::vector<std::string>& names) {
    static const std::string lead = Sjis("カタログにない名前を読み飛ばしました: ");
    static const std::string separator = Sjis("、");
    std::string message = lead;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) message += separator;
        message += names[i];
    }
    return message;
}

long DeleteWeaponRow(WeaponRows& weapons, std::size_t selected) {
    if (selected >= weapons.Count()) return -1;
    std::size_t first = selected;  // the first row removed
    std::size_t count = 1;
    if (selected + 1 < weapons.Count() && IsFollowUpName(weapons.Caption(selected + 1))) {
        count = 2;
    } else if (selected > 0 && IsFollowUpName(weapons.Caption(selected))) {
        first = selected - 1;
        count = 2;
    }
    for (std::size_t i = 0; i < count; ++i) weapons.Remove(first);
    // The focus stays at the place of the removed rows, or on the new last row.
    if (weapons.Empty()) return -1;
    return static_cast<long>(first < weapons.Count() ? first : weapons.Count() - 1);
}

}  // namespace kr
