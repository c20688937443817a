#include "com.h"

#include "Pub1.h"
#include "codec.h"

#include <charconv>

namespace kr {

namespace {

// The marks the rows show, as Shift_JIS bytes, converted once.
struct RowMarks {
    std::string Infinity = Sjis("∞");
    std::string Yes = Sjis("○");
    std::string No = Sjis("×");
};
const RowMarks& Marks() {
    static const RowMarks marks;
    return marks;
}

std::string FlagText(std::uint8_t flag) { return flag == 1 ? Marks().Yes : Marks().No; }

// A power-based weapon (negative damage -n) reads "P+n".
std::string DamageText(std::int32_t damage) {
    if (damage >= 0) return DecimalText(damage);
    const std::int64_t magnitude = -static_cast<std::int64_t>(damage);
    char buffer[16] = {'P', '+'};
    const auto result = std::to_chars(buffer + 2, buffer + sizeof buffer, magnitude);
    return std::string(buffer, result.ptr);
}

std::string HitText(const TKrWeapon& entry) {
    if (entry.HitMode == 1) return SignedText(entry.Hit1);
    std::string text = SignedText(entry.Hit1);
    for (std::int32_t hit : {entry.Hit2, entry.Hit3, entry.Hit4}) {
        text += '/';
        text += SignedText(hit);
    }
    return text;
}

// An empty number of uses, or one of blanks and control characters only,
// means unlimited.
std::string CountText(std::string_view count) {
    for (char c : count)
        if (static_cast<unsigned char>(c) > 32) return std::string(count);
    return Marks().Infinity;
}

template <class Entry, class Catalog>
void FillRows(RowList<Entry>& picker, const Catalog& catalog) {
    picker.Reserve(picker.Count() + catalog.Count());
    for (std::size_t i = 0; i < catalog.Count(); ++i) picker.Append(catalog.EntryByIndex(i));
}

}  // namespace

std::string SignedText(std::int32_t n) {
    // Built in one buffer: the sign and the digits.
    char buffer[16] = {'+'};
    char* const start = n > 0 ? buffer + 1 : buffer;
    const auto result = std::to_chars(start, buffer + sizeof buffer, n);
    return std::string(buffer, result.ptr);
}

std::string OptionCell(const TKrOption& entry, int column) {
    switch (column) {
    case 0: return std::string(entry.Name);
    case 1: return DecimalText(entry.Price);
    case 2: return DecimalText(entry.CP);
    case 3: return DecimalText(entry.BP);
    case 4: return std::string(entry.Class);
    case 5: return std::string(entry.Effect);
    default: return std::string();
    }
}

std::string MoveCell(const TKrMove& entry, int column) {
    switch (column) {
    case 0: return std::string(entry.Name);
    case 1: return DecimalText(entry.Price);
    case 2: return DecimalText(entry.CP);
    case 3: return DecimalText(entry.BP);
    case 4: return DecimalText(entry.Movement);
    case 5: return DecimalText(entry.Turning);
    case 6: return std::string(entry.Class);
    case 7: return std::string(entry.Notes);
    default: return std::string();
    }
}

std::string WeaponCell(const TKrWeapon& entry, int column) {
    switch (column) {
    case 0: return std::string(entry.Name);
    case 1: return std::string(entry.Kind);
    case 2: return DecimalText(entry.Price);
    case 3: return DecimalText(entry.CP);
    case 4: return DecimalText(entry.BP);
    case 5: return DamageText(entry.Damage);
    case 6: return HitText(entry);
    case 7: return CountText(entry.Count);
    case 8: return DecimalText(entry.Range);
    // Rapid fire (file column 16) is shown before indirect fire (15).
    case 9: return FlagText(entry.Rapid);
    case 10: return FlagText(entry.Indirect);
    case 11: return std::string(entry.Class);
    case 12: return std::string(entry.Notes);
    default: return std::string();
    }
}

void AddOptionRow(OptionRows* list, const TKrOption* entry) {
    if (list != nullptr && entry != nullptr) list->Append(entry);
}

void AddMoveRow(MoveRows* list, const TKrMove* entry) {
    if (list != nullptr && entry != nullptr) list->Append(entry);
}

void AddWeaponRow(WeaponRows* list, const TKrWeapon* entry) {
    if (list != nullptr && entry != nullptr) list->Append(entry);
}

void FillPicker(OptionRows& picker, const TKROptionList& catalog) { FillRows(picker, catalog); }
void FillPicker(MoveRows& picker, const TKRMoveList& catalog) { FillRows(picker, catalog); }
void FillPicker(WeaponRows& picker, const TKRWeaponList& catalog) { FillRows(picker, catalog); }

}  // namespace kr
