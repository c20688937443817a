#include "unitfile.h"

#include "Pub1.h"
#include "catalog.h"
#include "codec.h"
#include "com.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_set>

namespace kr {

namespace {

struct NumberKey {
    const char* Key;  // UTF-8 in source
    std::int32_t UnitSheet::*Field;
};

// The base figures in the order the file holds them.
constexpr std::array<NumberKey, 10> NumberKeys{{
    {"射撃", &UnitSheet::BaseFire},
    {"格闘", &UnitSheet::BaseMelee},
    {"回避", &UnitSheet::BaseEvasion},
    {"装甲", &UnitSheet::BaseArmor},
    {"ＨＰ", &UnitSheet::BaseDurability},
    {"パワー", &UnitSheet::BasePower},
    {"センサー", &UnitSheet::BaseSensor},
    {"パンチ", &UnitSheet::BasePunch},
    {"カスタムポイント", &UnitSheet::BaseCP},
    {"価格", &UnitSheet::BasePrice},
}};

// Section and key names of the unit file as CP932 bytes.
struct UnitFileNames {
    std::string Basic = Sjis("基本性能");
    std::string Name = Sjis("名称");
    std::string Class = Sjis("クラス");
    std::array<std::string, NumberKeys.size()> Numbers;
    std::string Moves = Sjis("移動");
    std::string Weapons = Sjis("武装");
    std::string Options = Sjis("オプション");

    UnitFileNames() {
        for (std::size_t i = 0; i < NumberKeys.size(); ++i) Numbers[i] = Sjis(NumberKeys[i].Key);
    }
};

const UnitFileNames& Names() {
    static const UnitFileNames names;
    return names;
}

// Replaces a list's section with one entry per row, keyed by the row's position.
template <class Entry>
void WriteListSection(ProfileDocument& document, const std::string& section, const char* keyPrefix,
                      const RowList<Entry>& rows) {
    ProfileEntries entries;
    entries.reserve(rows.Count());
    for (std::size_t n = 0; n < rows.Count(); ++n) entries.emplace_back(keyPrefix + std::to_string(n), rows.Caption(n));
    document.ReplaceSection(section, entries);
}

// The second byte of a double-byte character may look like a lower-case
// letter ("ヂ" is 0x83 0x61) and stays as it is.
std::string UpperAsciiLetters(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char& c = text[i];
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size())
            ++i;
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::int32_t CapacityOfClass(const std::string& unitClass) {
    if (unitClass == "L") return 2;
    if (unitClass == "M") return 4;
    if (unitClass == "H") return 5;
    return 6;
}

void WriteUnitDocument(ProfileDocument& document, const UnitSheet& sheet) {
    const UnitFileNames& names = Names();
    document.WriteText(names.Basic, names.Name, sheet.UnitName);
    for (std::size_t i = 0; i < NumberKeys.size(); ++i)
        document.WriteNumber(names.Basic, names.Numbers[i], sheet.*NumberKeys[i].Field);
    document.WriteText(names.Basic, names.Class, sheet.UnitClass);
    WriteListSection(document, names.Moves, "MOVE", sheet.Moves);
    WriteListSection(document, names.Weapons, "WEAPON", sheet.Weapons);
    WriteListSection(document, names.Options, "OPTION", sheet.Options);
}

void WriteUnitFile(const std::filesystem::path& path, const UnitSheet& sheet) {
    // The writes of a save apply to the file's content in memory and reach
    // the disk in one replacement, so a failure leaves the old file whole.
    ProfileDocument document;
    try {
        document = ProfileDocument(ReadWholeFile(path));
    } catch (const KrError&) {
        // A file that is there but cannot be read must not be overwritten
        // with only what this save writes.
        std::error_code error;
        const auto status = std::filesystem::symlink_status(path, error);
        if (status.type() != std::filesystem::file_type::not_found)
            throw KrError(FormatMessage("%s に書き込めません", PathText(path)));
    }
    WriteUnitDocument(document, sheet);
    ProfileFile(path).Save(document);
}

void LoadUnitFile(const std::filesystem::path& path, Designer& designer) {
    // Read first: a file that cannot be read leaves the design as it is.
    const ProfileDocument document(ReadWholeFile(path));
    const UnitFileNames& names = Names();
    const Catalogs& catalogs = designer.Catalog;
    UnitSheet& sheet = designer.Sheet;

    ClearChecks(designer.OptionPicker);
    ClearChecks(designer.MovePicker);
    sheet.Options.Clear();
    sheet.Moves.Clear();
    sheet.Weapons.Clear();

    sheet.UnitName = document.ReadText(names.Basic, names.Name, "");
    for (std::size_t i = 0; i < NumberKeys.size(); ++i)
        sheet.*NumberKeys[i].Field = document.ReadNumber(names.Basic, names.Numbers[i], 0);
    sheet.UnitClass = UpperAsciiLetters(document.ReadText(names.Basic, names.Class, ""));

    // The rows follow the order of the lines, whatever their keys; names the
    // catalogs do not hold are dropped and tick nothing.
    // Each picker is ticked in one pass for all the names its section holds.
    const ProfileEntries moves = document.ReadEntries(names.Moves);
    std::unordered_set<std::string_view> ticks;
    for (const auto& [key, name] : moves) {
        AddMoveRow(&sheet.Moves, catalogs.Move.FindByName(name));
        ticks.insert(name);
    }
    CheckByNames(designer.MovePicker, ticks);
    for (const auto& [key, name] : document.ReadEntries(names.Weapons))
        AddWeaponRow(&sheet.Weapons, catalogs.Weapon.FindByName(name));
    const ProfileEntries options = document.ReadEntries(names.Options);
    ticks.clear();
    for (const auto& [key, name] : options) {
        AddOptionRow(&sheet.Options, catalogs.Option.FindByName(name));
        ticks.insert(name);
    }
    CheckByNames(designer.OptionPicker, ticks);

    sheet.BackpackCapacity = CapacityOfClass(sheet.UnitClass);
    designer.SaveFileName = path;
    designer.OpenFileName = path;
}

}  // namespace kr
