#include "unit_sheet.h"

#include "Pub1.h"

namespace kr {

bool IsOutOfClass(std::string_view entryClass, std::string_view unitClass) {
    if (entryClass == "H") return unitClass.find('H') == std::string_view::npos;
    if (entryClass == "M") return unitClass == "L";
    return false;
}

namespace {

struct Totals {
    std::int32_t Fire, Melee, Evasion, Armor, Durability, Sensor, Power, CP, Backpack, Price, MoveBonus;
};

// Writes the out-of-class CP cell of a row and charges the extra point.
template <class Entry>
void ChargeClass(RowList<Entry>& list, std::size_t row, const std::string& unitClass, Totals& t) {
    constexpr int column = RowTexts<Entry>::CPColumn;
    const Entry& e = *list.Data(row);
    if (IsOutOfClass(e.Class, unitClass)) {
        list.SetCell(row, column, DecimalText(WrapAdd(e.CP, 1)));
        t.CP = WrapAdd(t.CP, 1);
    } else {
        list.ResetCell(row, column);
    }
}

template <class Entry>
void AddCosts(const Entry& e, Totals& t) {
    t.CP = WrapAdd(t.CP, e.CP);
    t.Backpack = WrapAdd(t.Backpack, e.BP);
    t.Price = WrapAdd(t.Price, e.Price);
}

}  // namespace

void Recalculate(UnitSheet& sheet) {
    sheet.ListsEnabled = true;

    Totals t{sheet.BaseFire, sheet.BaseMelee, sheet.BaseEvasion, sheet.BaseArmor, sheet.BaseDurability,
             sheet.BaseSensor, sheet.BasePower, sheet.BaseCP, 0, sheet.BasePrice, 0};
    const std::string& unitClass = sheet.UnitClass;

    for (std::size_t i = 0; i < sheet.Options.Count(); ++i) {
        const TKrOption& e = *sheet.Options.Data(i);
        AddCosts(e, t);
        t.Fire = WrapAdd(t.Fire, e.Fire);
        t.Melee = WrapAdd(t.Melee, e.Melee);
        t.Evasion = WrapAdd(t.Evasion, e.Evasion);
        t.Armor = WrapAdd(t.Armor, e.Armor);
        t.Sensor = WrapAdd(t.Sensor, e.Sensor);
        t.Power = WrapAdd(t.Power, e.Power);
        t.MoveBonus = WrapAdd(t.MoveBonus, e.MoveBonus);
        ChargeClass(sheet.Options, i, unitClass, t);
    }

    // Heavy units lose each mode's penalty; every mode gains the options' bonus.
    const bool heavy = unitClass == "H" || unitClass == "XH";
    for (std::size_t i = 0; i < sheet.Moves.Count(); ++i) {
        const TKrMove& m = *sheet.Moves.Data(i);
        AddCosts(m, t);
        std::int32_t movement = WrapAdd(m.Movement, t.MoveBonus);
        if (heavy) movement = WrapAdd(movement, -static_cast<std::int32_t>(m.HeavyPenalty));
        sheet.Moves.SetCell(i, RowTexts<TKrMove>::MovementColumn, DecimalText(movement));
        ChargeClass(sheet.Moves, i, unitClass, t);
    }

    // A negative damage -n means the unit's power plus n.
    for (std::size_t i = 0; i < sheet.Weapons.Count(); ++i) {
        const TKrWeapon& w = *sheet.Weapons.Data(i);
        AddCosts(w, t);
        if (w.Damage < 0)
            sheet.Weapons.SetCell(i, RowTexts<TKrWeapon>::DamageColumn,
                                  DecimalText(static_cast<std::int32_t>(static_cast<std::uint32_t>(t.Power) -
                                                                        static_cast<std::uint32_t>(w.Damage))));
        ChargeClass(sheet.Weapons, i, unitClass, t);
    }

    FigureTexts& b = sheet.Boxes;
    b.Fire = SignedText(t.Fire);
    b.Melee = SignedText(t.Melee);
    b.Evasion = SignedText(t.Evasion);
    b.Armor = DecimalText(t.Armor);
    b.Durability = DecimalText(t.Durability);
    b.Sensor = SignedText(t.Sensor);
    b.Power = DecimalText(t.Power);
    b.Punch = DecimalText(sheet.BasePunch);
    b.CP = DecimalText(t.CP);
    b.Price = DecimalText(t.Price);
    b.Class = sheet.UnitClass;
    b.BP = DecimalText(t.Backpack);

    sheet.BackpackOverloaded = t.Backpack > sheet.BackpackCapacity;
}

}  // namespace kr
