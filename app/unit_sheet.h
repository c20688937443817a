// The unit being designed, and the figures the main window shows for it.
#pragma once

#include "com.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// The figures the sheet sums, in the order of the figure panel's boxes.
enum class SheetFigure { Fire, Melee, Evasion, Sensor, CP, Armor, Durability, Power, Punch, Backpack, Price };
constexpr std::size_t SheetFigureCount = 11;

// Texts of the main window's figure boxes (by figure) and class box (CP932
// bytes). All blank until the first recalculation.
struct FigureTexts {
    std::array<std::string, SheetFigureCount> Figure;
    std::string Class;  // lblClass

    const std::string& operator[](SheetFigure figure) const { return Figure[static_cast<std::size_t>(figure)]; }
    std::string& operator[](SheetFigure figure) { return Figure[static_cast<std::size_t>(figure)]; }
    bool operator==(const FigureTexts&) const = default;
};

// One amount equipment brought to a figure: the entry's name (a view into
// its catalog) and the amount; `Surcharge` marks the extra custom point of
// an entry heavier than the unit.
struct FigureTerm {
    std::string_view Source;
    std::int32_t Amount = 0;
    bool Surcharge = false;
};

// What a recalculation added to each figure besides its base figure, in the
// order it added it (amounts of 0 left out).
using FigureTerms = std::array<std::vector<FigureTerm>, SheetFigureCount>;

struct UnitSheet {
    std::string UnitName;   // the name box's text
    std::string UnitClass;  // "L", "M", "H", "XH"; empty before the first template or load
    std::int32_t BaseFire = 0;
    std::int32_t BaseMelee = 0;
    std::int32_t BaseEvasion = 0;
    std::int32_t BaseArmor = 0;
    std::int32_t BaseDurability = 0;
    std::int32_t BasePower = 0;
    std::int32_t BasePunch = 0;
    std::int32_t BaseSensor = 0;
    std::int32_t BaseCP = 0;
    std::int32_t BackpackCapacity = 0;
    std::int32_t BasePrice = 0;

    // lvwOption, lvwMove, lvwWeapon. UnitClass changes only together with a
    // rebuild of all three.
    OptionRows Options;
    MoveRows Moves;
    WeaponRows Weapons;

    // What the main window shows, written by Recalculate.
    FigureTexts Boxes;
    bool BackpackOverloaded = false;  // lblBP in red
    bool ListsEnabled = false;        // the lists take input from the first recalculation on
    FigureTerms Terms;                // the sums behind the boxes, written by Recalculate
};

// The longest name a unit file gives back whole (a value read back is cut
// to this many bytes).
constexpr std::size_t MaxUnitNameBytes = 2047;

// What the name box keeps of typed or pasted text (UTF-8): control
// characters (line breaks, tabs, NUL, ...) are removed, as a one-line field
// does; characters that CP932 holds under another code take that code; the
// characters without a CP932 form are left out and listed in `LeftOut`.
struct NameInput {
    std::string Bytes;    // CP932
    std::string LeftOut;  // UTF-8
};
NameInput UnitNameInput(std::string_view utf8);

// A name read from a unit file as the name box shows it: at most
// MaxUnitNameBytes bytes without half a character at its end, each other
// byte that is no CP932 character made "?", control characters removed.
std::string UnitNameFromFile(std::string_view bytes);

// How a figure is summed and shown: a modifier with "+" above 0, a plain
// number, or the backpack's load (what the equipment weighs, which the base
// figure, the capacity, must hold).
enum class FigureKind { Modifier, Number, Load };

// Everything each figure is, in one place: every window, report and file
// loops over this table.
struct FigureDescription {
    SheetFigure Id;
    const char* Caption;          // the figure panel's caption and the record sheet's (UTF-8)
    const char* Label;            // how the sum behind it names it (UTF-8)
    const char* ReportLabel;      // its line of the clipboard text (UTF-8)
    const char* ReportBaseLabel;  // the line of its base figure after it, or none
    std::size_t ReportOrder;      // its place among the clipboard text's figure lines
    int FileIndex;                // its place among the unit file's figures (UnitFileFigureKeys); -1: not kept
    std::int32_t UnitSheet::*Base;
    FigureKind Kind;
    int PanelRow;                 // 0 or 1: the figure panel's row
};
inline constexpr std::array<FigureDescription, SheetFigureCount> FigureTable{{
    {SheetFigure::Fire, "射撃修正", "射撃修正", "射撃修正", nullptr, 0, 0, &UnitSheet::BaseFire, FigureKind::Modifier, 0},
    {SheetFigure::Melee, "格闘修正", "格闘修正", "格闘修正", nullptr, 1, 1, &UnitSheet::BaseMelee, FigureKind::Modifier, 0},
    {SheetFigure::Evasion, "回避修正", "回避修正", "回避修正", nullptr, 2, 2, &UnitSheet::BaseEvasion, FigureKind::Modifier, 0},
    {SheetFigure::Sensor, "センサー", "センサー", "センサー", nullptr, 3, 6, &UnitSheet::BaseSensor, FigureKind::Modifier, 0},
    {SheetFigure::CP, "カスタムポイント", "カスタムポイント", "ＣＰ", "ＣＰ(元)", 9, 8, &UnitSheet::BaseCP, FigureKind::Number, 0},
    {SheetFigure::Armor, "装甲", "装甲", "装甲", nullptr, 4, 3, &UnitSheet::BaseArmor, FigureKind::Number, 1},
    {SheetFigure::Durability, "耐久力", "耐久力", "耐久力", nullptr, 5, 4, &UnitSheet::BaseDurability, FigureKind::Number, 1},
    {SheetFigure::Power, "パワー", "パワー", "パワー", nullptr, 6, 5, &UnitSheet::BasePower, FigureKind::Number, 1},
    {SheetFigure::Punch, "パンチ", "パンチ", "パンチ", nullptr, 7, 7, &UnitSheet::BasePunch, FigureKind::Number, 1},
    {SheetFigure::Backpack, "ﾊﾞｯｸﾊﾟｯｸ", "積載", "ＢＰ", "ＢＰ(元)", 8, -1, &UnitSheet::BackpackCapacity, FigureKind::Load, 1},
    {SheetFigure::Price, "価格(GD)", "価格", "価格", "価格(元)", 10, 9, &UnitSheet::BasePrice, FigureKind::Number, 1},
}};
constexpr const FigureDescription& DescriptionOf(SheetFigure figure) {
    return FigureTable[static_cast<std::size_t>(figure)];
}

// The figures in the order of the clipboard text's lines.
std::array<SheetFigure, SheetFigureCount> FiguresInReportOrder();

// The eleven base figures of a sheet (the backpack's is its capacity), by figure.
using BaseFigureValues = std::array<std::int32_t, SheetFigureCount>;
BaseFigureValues BaseFiguresOf(const UnitSheet& sheet);
void SetBaseFigures(UnitSheet& sheet, const BaseFigureValues& values);

// Whether an entry of class `entryClass` costs one extra custom point on a
// unit of class `unitClass`.
bool IsOutOfClass(std::string_view entryClass, std::string_view unitClass);

// Sums the equipment into the figures and rewrites the computed cells
// (out-of-class CP, movement, power-based damage), the boxes and the
// backpack colour; enables the lists. Calling it again changes nothing.
void Recalculate(UnitSheet& sheet);

// The sum behind a figure box as the last recalculation made it (CP932),
// e.g. "パワー 8 = 基本 7 + 出力強化Lv1 +1"; the custom points name each class
// surcharge, the price reads as base plus equipment, and the backpack load
// stands against the capacity ("積載 8 > 容量 4 (クラス M)"). Empty before
// the first recalculation.
std::string FigureExplanation(const UnitSheet& sheet, SheetFigure figure);
// What the unit's class means for its equipment and backpack (CP932).
std::string ClassExplanation(const UnitSheet& sheet);

}  // namespace kr
