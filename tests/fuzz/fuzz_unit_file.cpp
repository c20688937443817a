// Loading a unit file of any content against the shipped catalogs. Properties:
// a readable file never fails to load; every row shows the catalog's entry of
// its caption; the class has no lower-case ASCII letter and the capacity is
// the class's; a tick only marks a row whose name was loaded; recalculating
// twice changes nothing; saving over the same file and loading again gives
// the same sheet (the name and class without blanks at their ends).
#include "Pub1.h"
#include "codec.h"
#include "designer.h"
#include "fuzz_kit.h"
#include "profile_properties.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

const kr::Catalogs& ShippedCatalogs() {
    static const kr::Catalogs& catalogs = [] () -> const kr::Catalogs& {
        auto* loaded = new kr::Catalogs;
        if (!kr::LoadCatalogs(*loaded, KR_SHIPPED_DATA_DIR).empty()) std::abort();
        return *loaded;
    }();
    return catalogs;
}

const std::filesystem::path& UnitPath() {
    static const std::filesystem::path path = fuzzkit::ScratchFolder() / "unit.kr";
    return path;
}

template <class Entry, class List>
void CheckRows(const kr::RowList<Entry>& rows, const List& catalog, std::set<std::string>& names) {
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        FUZZ_CHECK(rows.Data(i) == catalog.FindByName(rows.Caption(i)));
        names.emplace(rows.Caption(i));
    }
}

template <class Entry>
void CheckTicks(const kr::PickerRows<Entry>& picker, const std::set<std::string>& loaded) {
    for (std::size_t i = 0; i < picker.Count(); ++i)
        if (picker.Row(i).Checked) FUZZ_CHECK(loaded.count(std::string(picker.Caption(i))) == 1);
}

template <class Entry>
std::vector<const Entry*> Entries(const kr::RowList<Entry>& rows) {
    std::vector<const Entry*> entries;
    for (std::size_t i = 0; i < rows.Count(); ++i) entries.push_back(rows.Data(i));
    return entries;
}

struct SheetState {
    std::string Name, Class;
    std::vector<std::int32_t> Figures;
    std::vector<const kr::TKrOption*> Options;
    std::vector<const kr::TKrMove*> Moves;
    std::vector<const kr::TKrWeapon*> Weapons;
    bool operator==(const SheetState&) const = default;
};

SheetState StateOf(const kr::UnitSheet& s) {
    return {std::string(fuzzkit::TrimBlanks(s.UnitName)),
            std::string(fuzzkit::TrimBlanks(s.UnitClass)),
            {s.BaseFire, s.BaseMelee, s.BaseEvasion, s.BaseArmor, s.BaseDurability, s.BasePower, s.BasePunch,
             s.BaseSensor, s.BaseCP, s.BasePrice, s.BackpackCapacity},
            Entries(s.Options),
            Entries(s.Moves),
            Entries(s.Weapons)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kr::Catalogs& catalogs = ShippedCatalogs();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzzkit::WriteFile(UnitPath(), bytes);

    kr::Designer designer(catalogs);
    kr::FillPickers(designer);
    kr::LoadUnitFile(UnitPath(), designer);  // a readable file never throws
    const kr::UnitSheet& sheet = designer.Sheet;

    std::set<std::string> options, moves, weapons;
    CheckRows(sheet.Options, catalogs.Option, options);
    CheckRows(sheet.Moves, catalogs.Move, moves);
    CheckRows(sheet.Weapons, catalogs.Weapon, weapons);
    CheckTicks(designer.OptionPicker, options);
    CheckTicks(designer.MovePicker, moves);
    // The class is the file's text without a lone CR or NUL, which could never
    // be saved again, and without the blanks those leave at either end; then
    // its ASCII letters in upper case (the trail byte of a double-byte
    // character is no letter).
    std::string expectedClass = kr::ProfileDocument(bytes).ReadText(kr::Sjis("基本性能"), kr::Sjis("クラス"), "");
    std::erase_if(expectedClass, [](char c) { return c == '\r' || c == '\0'; });
    while (!expectedClass.empty() && kr::IsBlankByte(expectedClass.back())) expectedClass.pop_back();
    while (!expectedClass.empty() && kr::IsBlankByte(expectedClass.front())) expectedClass.erase(0, 1);
    for (std::size_t i = 0; i < expectedClass.size(); ++i) {
        char& c = expectedClass[i];
        if (kr::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < expectedClass.size())
            ++i;
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    FUZZ_CHECK(sheet.UnitClass == expectedClass);
    FUZZ_CHECK(sheet.BackpackCapacity == kr::CapacityOfClass(sheet.UnitClass));
    FUZZ_CHECK(sheet.UnitName.size() <= 2047 && sheet.UnitClass.size() <= 2047);
    FUZZ_CHECK(designer.SaveFileName == UnitPath());

    kr::Recalculate(designer.Sheet);
    const kr::FigureTexts boxes = sheet.Boxes;
    kr::Recalculate(designer.Sheet);
    FUZZ_CHECK(sheet.Boxes[kr::SheetFigure::Fire] == boxes[kr::SheetFigure::Fire] && sheet.Boxes[kr::SheetFigure::CP] == boxes[kr::SheetFigure::CP] && sheet.Boxes[kr::SheetFigure::Backpack] == boxes[kr::SheetFigure::Backpack] &&
               sheet.Boxes[kr::SheetFigure::Price] == boxes[kr::SheetFigure::Price] && sheet.Boxes[kr::SheetFigure::Power] == boxes[kr::SheetFigure::Power]);

    // Overwriting the file it came from, then loading it again. Key names of
    // very long lists no longer fit the enumeration limit; inputs stay far below.
    if (sheet.Options.Count() + sheet.Moves.Count() + sheet.Weapons.Count() < 1000) {
        kr::WriteUnitFile(UnitPath(), sheet);
        kr::Designer again(catalogs);
        kr::FillPickers(again);
        kr::LoadUnitFile(UnitPath(), again);
        FUZZ_CHECK(StateOf(again.Sheet) == StateOf(sheet));
    }
    return 0;
}
