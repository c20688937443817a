// The unit being designed, and the figures the main window shows for it.
#pragma once

#include "com.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// Texts of the main window's figure boxes and class box (CP932 bytes).
// All blank until the first recalculation.
struct FigureTexts {
    std::string Fire;        // lblFire
    std::string Melee;       // lblBtl
    std::string Evasion;     // lblSpd
    std::string Armor;       // lblAmr
    std::string Durability;  // lblHP
    std::string Sensor;      // lblSns
    std::string Power;       // lblPow
    std::string Punch;       // lblPunch
    std::string CP;          // lblCP
    std::string Price;       // lblPlice
    std::string Class;       // lblClass
    std::string BP;          // lblBP

    bool operator==(const FigureTexts&) const = default;
};

// The figures the sheet sums, in the order of the figure panel's boxes.
enum class SheetFigure { Fire, Melee, Evasion, Sensor, CP, Armor, Durability, Power, Punch, Backpack, Price };
constexpr std::size_t SheetFigureCount = 11;

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

// The eleven base figures of a sheet, in the order of the stock models'
// table: fire, melee, evasion, armour, durability, power, punch, sensor,
// custom points, backpack capacity, price.
constexpr std::size_t BaseFigureCount = 11;
using BaseFigureValues = std::array<std::int32_t, BaseFigureCount>;
constexpr std::array<std::int32_t UnitSheet::*, BaseFigureCount> BaseFigureFields{
    &UnitSheet::BaseFire,  &UnitSheet::BaseMelee, &UnitSheet::BaseEvasion,      &UnitSheet::BaseArmor,
    &UnitSheet::BaseDurability, &UnitSheet::BasePower, &UnitSheet::BasePunch, &UnitSheet::BaseSensor,
    &UnitSheet::BaseCP,    &UnitSheet::BackpackCapacity, &UnitSheet::BasePrice};
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
