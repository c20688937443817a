#include "unit_sheet.h"

#include "Pub1.h"
#include "codec.h"

namespace kr {

namespace {

// The code point of the UTF-8 sequence at `text[i]` and its length; a stray
// byte counts as itself.
std::pair<char32_t, std::size_t> NextCodePoint(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1 || i + length > text.size()) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
    return {code, length};
}

// C0 and C1 control characters, DEL, and the Unicode line and paragraph separators.
bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029;
}

std::string WithoutControls(std::string_view utf8) {
    std::string kept;
    kept.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto [code, length] = NextCodePoint(utf8, i);
        if (!IsControl(code)) kept.append(utf8.substr(i, length));
        i += length;
    }
    return kept;
}

}  // namespace

NameInput UnitNameInput(std::string_view utf8) {
    NameInput input;
    input.Bytes = Utf8ToCp932Lossy(WithoutControls(utf8), &input.LeftOut);
    return input;
}

std::string UnitNameFromFile(std::string_view bytes) {
    // A lead byte at the very end is half a character cut off (a value read
    // back is cut to the limit): it goes. Any other byte that is no character
    // reads as U+FFFD, which CP932 cannot hold.
    const std::string decoded = Cp932ToUtf8(bytes.substr(0, Cp932PrefixLength(bytes, MaxUnitNameBytes)));
    const std::string_view replacement = "\xEF\xBF\xBD";
    std::string text;
    text.reserve(decoded.size());
    for (std::size_t i = 0; i < decoded.size();) {
        if (std::string_view(decoded).substr(i, replacement.size()) == replacement) {
            text += '?';
            i += replacement.size();
        } else {
            text += decoded[i++];
        }
    }
    std::string name = UnitNameInput(text).Bytes;
    name.resize(Cp932PrefixLength(name, MaxUnitNameBytes));
    return name;
}

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
