// The clipboard text and the HTML page of random sheets over catalogs made
// of the input. Properties: both reports end with CR LF and hold no line feed
// without its CR; the page's markup does not depend on the texts: it has as
// many "<" and ">" bytes as the page of the same sheet whose texts hold none.
#include "Pub1.h"
#include "designer.h"
#include "fuzz_kit.h"
#include "reports.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct Shape {
    int ClassChoice = 0;
    std::string OwnClass;
    std::array<std::int32_t, 11> Figures{};
    std::string Name;
    std::vector<std::uint8_t> Options, Moves, Weapons;  // picks into the catalogs
};

struct Built {
    std::string Clipboard;
    std::string Page;
};

template <class List, class Entry>
void AddRows(kr::RowList<Entry>& rows, const List& catalog, const std::vector<std::uint8_t>& picks,
             void (*add)(kr::RowList<Entry>*, const Entry*)) {
    if (catalog.Count() == 0) return;
    for (std::uint8_t pick : picks) add(&rows, catalog.EntryByIndex(pick % catalog.Count()));
}

template <class List>
void Load(List& list, std::string_view text) {
    try {
        list.LoadCatalogText(text);
    } catch (const kr::KrError&) {
        // What was loaded before the failing line stays; that is enough here.
    }
}

Built Build(const Shape& shape, const std::array<std::string, 3>& catalogTexts) {
    kr::Catalogs catalogs;
    Load(catalogs.Weapon, catalogTexts[0]);
    Load(catalogs.Option, catalogTexts[1]);
    Load(catalogs.Move, catalogTexts[2]);
    kr::UnitSheet sheet;
    static const char* const classes[] = {"L", "M", "H", "XH", ""};
    sheet.UnitClass = shape.ClassChoice < 5 ? classes[shape.ClassChoice] : shape.OwnClass;
    sheet.UnitName = shape.Name;
    std::int32_t* figures[] = {&sheet.BaseFire,   &sheet.BaseMelee, &sheet.BaseEvasion, &sheet.BaseArmor,
                               &sheet.BaseDurability, &sheet.BasePower, &sheet.BasePunch, &sheet.BaseSensor,
                               &sheet.BaseCP,     &sheet.BackpackCapacity, &sheet.BasePrice};
    for (std::size_t i = 0; i < shape.Figures.size(); ++i) *figures[i] = shape.Figures[i];
    AddRows(sheet.Options, catalogs.Option, shape.Options, kr::AddOptionRow);
    AddRows(sheet.Moves, catalogs.Move, shape.Moves, kr::AddMoveRow);
    AddRows(sheet.Weapons, catalogs.Weapon, shape.Weapons, kr::AddWeaponRow);
    kr::Recalculate(sheet);
    return {kr::BuildClipboardText(sheet), kr::BuildHtmlPage(sheet)};
}

void CheckLines(const std::string& report) {
    FUZZ_CHECK(report.size() >= 2 && report.ends_with("\r\n"));
    for (std::size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1))
        FUZZ_CHECK(at > 0 && report[at - 1] == '\r');
}

// Replaces the bytes that markup is made of; the text's characters stay apart
// as they were (none of these bytes is ever the second byte of a character).
std::string WithoutMarkup(std::string_view text, bool quotes) {
    std::string plain(text);
    for (char& c : plain)
        if (c == '<' || c == '>' || c == '&' || (quotes && c == '"')) c = 'z';
    return plain;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::Input input(data, size);
    Shape shape;
    shape.ClassChoice = input.Byte() % 6;
    // The class, like the name, is one line of a file or a literal.
    for (char c : input.Text(8))
        if (c != '\r' && c != '\n') shape.OwnClass += c;
    for (std::int32_t& figure : shape.Figures) figure = input.Int32();
    // The name box holds one line.
    for (char c : input.Text(64))
        if (c != '\r' && c != '\n') shape.Name += c;
    for (auto* picks : {&shape.Options, &shape.Moves, &shape.Weapons}) {
        for (char c : input.Text(64)) picks->push_back(static_cast<std::uint8_t>(c));
    }
    std::array<std::string, 3> texts;
    for (std::string& text : texts) text = input.Until("@@\n");

    const Built built = Build(shape, texts);
    CheckLines(built.Clipboard);
    CheckLines(built.Page);

    Shape plainShape = shape;
    plainShape.Name = WithoutMarkup(shape.Name, true);
    plainShape.OwnClass = WithoutMarkup(shape.OwnClass, true);
    std::array<std::string, 3> plainTexts;
    for (std::size_t i = 0; i < texts.size(); ++i) plainTexts[i] = WithoutMarkup(texts[i], false);
    const Built plain = Build(plainShape, plainTexts);
    for (char markup : {'<', '>'})
        FUZZ_CHECK(std::count(built.Page.begin(), built.Page.end(), markup) ==
                   std::count(plain.Page.begin(), plain.Page.end(), markup));
    return 0;
}
