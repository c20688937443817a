#include "designer.h"

#include "Pub1.h"
#include "codec.h"

#include <algorithm>

#include <array>
#include <vector>

namespace kr {

std::vector<std::string> LoadCatalogs(Catalogs& catalogs, const std::filesystem::path& directory) {
    // Each catalog loads on its own: one bad file does not keep the others empty.
    std::vector<std::string> failures;
    auto load = [&](auto& catalog) {
        try {
            catalog.LoadCatalog(directory);
        } catch (const KrError& error) {
            failures.emplace_back(error.what());
        }
    };
    load(catalogs.Weapon);
    load(catalogs.Option);
    load(catalogs.Move);
    return failures;
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
    std::int32_t Fire, Melee, Evasion, Armor, Durability, Power, Punch, Sensor, CP, Capacity, Price;
    std::vector<const char*> Moves;
    std::vector<const char*> Weapons;
    std::vector<const char*> Options;
    const char* Name;  // UTF-8
};

const std::array<StockModel, TemplateCount>& StockModels() {
    static const std::array<StockModel, TemplateCount> models{{
        {"KRM-11-LS", "M", 0, 0, 0, 5, 20, 6, 6, 0, 0, 4, 8200,
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}, {}, "KRM-11-LS グラナイト"},
        {"KRH-21-LS", "H", 0, 0, -7, 6, 30, 7, 7, 0, -1, 4, 16900,
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"11mmMG"}, {}, "KRH-21-LS バサルト"},
        {"KRH-22-LS", "H", 0, 0, -5, 6, 25, 7, 7, 0, 0, 5, 18200,
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}, {}, "KRH-22-LS オブシディアン"},
        {"KRH-X31-LS", "H", 1, 1, -4, 6, 25, 7, 8, 0, -1, 5, 9000,
         {"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}, {"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"}, {"出力強化Lv1", "ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工"},
         "KRH-X31-LS クォーツ"},
        {"KRS-41-LA", "H", 0, 0, -10, 6, 35, 7, 7, 0, 0, 5, 13200,
         {"ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ", "宇宙用ﾊﾞｰﾆｱ"}, {}, {}, "KRS-41-LA ドロマイト"},
    }};
    return models;
}

}  // namespace

const char* TemplateCaption(int number) { return StockModels().at(static_cast<std::size_t>(number - 1)).Caption; }

void ApplyTemplate(Designer& designer, int number) {
    const StockModel& model = StockModels().at(static_cast<std::size_t>(number - 1));
    UnitSheet& sheet = designer.Sheet;

    designer.OpenFileName.clear();
    designer.SaveFileName.clear();
    ClearChecks(designer.OptionPicker);
    ClearChecks(designer.MovePicker);
    sheet.Options.Clear();
    sheet.Moves.Clear();
    sheet.Weapons.Clear();

    sheet.UnitClass = model.Class;
    sheet.BaseFire = model.Fire;
    sheet.BaseMelee = model.Melee;
    sheet.BaseEvasion = model.Evasion;
    sheet.BaseArmor = model.Armor;
    sheet.BaseDurability = model.Durability;
    sheet.BasePower = model.Power;
    sheet.BasePunch = model.Punch;
    sheet.BaseSensor = model.Sensor;
    sheet.BaseCP = model.CP;
    sheet.BackpackCapacity = model.Capacity;
    sheet.BasePrice = model.Price;

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
void RebuildFromTicks(const RowList<Entry>& picker, RowList<Entry>& list, AddRow addRow) {
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
