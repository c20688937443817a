#include "unit_sheet.h"

#include "Pub1.h"
#include "codec.h"
#include "unit_file.h"

#include <array>
#include <unordered_map>

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

namespace {

// The table stands in the order of its ids, and places every figure the
// unit file keeps and every clipboard line once.
constexpr bool TableIsWhole() {
    std::array<int, SheetFigureCount> fileUses{}, reportUses{};
    std::size_t kept = 0;
    for (std::size_t i = 0; i < SheetFigureCount; ++i) {
        const FigureDescription& figure = FigureTable[i];
        if (static_cast<std::size_t>(figure.Id) != i || figure.ReportOrder >= SheetFigureCount) return false;
        ++reportUses[figure.ReportOrder];
        if (figure.FileIndex < 0) continue;
        if (static_cast<std::size_t>(figure.FileIndex) >= UnitFigureCount) return false;
        ++fileUses[static_cast<std::size_t>(figure.FileIndex)];
        ++kept;
    }
    for (std::size_t i = 0; i < SheetFigureCount; ++i)
        if (reportUses[i] != 1 || (i < UnitFigureCount && fileUses[i] != 1)) return false;
    return kept == UnitFigureCount;
}
static_assert(TableIsWhole(), "every figure once, in the order of its id; every file key and report line once");

}  // namespace

std::array<SheetFigure, SheetFigureCount> FiguresInReportOrder() {
    std::array<SheetFigure, SheetFigureCount> order{};
    for (const FigureDescription& figure : FigureTable) order[figure.ReportOrder] = figure.Id;
    return order;
}

BaseFigureValues BaseFiguresOf(const UnitSheet& sheet) {
    BaseFigureValues values{};
    for (const FigureDescription& figure : FigureTable) values[static_cast<std::size_t>(figure.Id)] = sheet.*figure.Base;
    return values;
}

void SetBaseFigures(UnitSheet& sheet, const BaseFigureValues& values) {
    for (const FigureDescription& figure : FigureTable) sheet.*figure.Base = values[static_cast<std::size_t>(figure.Id)];
}

bool IsOutOfClass(std::string_view entryClass, std::string_view unitClass) {
    if (entryClass == "H") return unitClass.find('H') == std::string_view::npos;
    if (entryClass == "M") return unitClass == "L";
    return false;
}

namespace {

// The running sums, by figure, and the options' bonus to every movement.
struct Totals {
    std::array<std::int32_t, SheetFigureCount> Figure{};
    std::int32_t MoveBonus = 0;
    std::int32_t& operator[](SheetFigure figure) { return Figure[static_cast<std::size_t>(figure)]; }
};

// Adds an amount to a figure's running total and notes where it came from.
void Add(Totals& t, FigureTerms& terms, SheetFigure figure, std::string_view source, std::int32_t amount,
         bool surcharge = false) {
    t[figure] = WrapAdd(t[figure], amount);
    if (amount != 0) terms[static_cast<std::size_t>(figure)].push_back({source, amount, surcharge});
}

// Writes the out-of-class CP cell of a row and charges the extra point.
template <class Entry>
void ChargeClass(RowList<Entry>& list, std::size_t row, const std::string& unitClass, Totals& t, FigureTerms& terms) {
    constexpr int column = RowTexts<Entry>::CPColumn;
    const Entry& e = *list.Data(row);
    if (IsOutOfClass(e.Class, unitClass)) {
        list.SetCell(row, column, DecimalText(WrapAdd(e.CP, 1)));
        Add(t, terms, SheetFigure::CP, e.Name, 1, true);
    } else {
        list.ResetCell(row, column);
    }
}

template <class Entry>
void AddCosts(const Entry& e, Totals& t, FigureTerms& terms) {
    Add(t, terms, SheetFigure::CP, e.Name, e.CP);
    Add(t, terms, SheetFigure::Backpack, e.Name, e.BP);
    Add(t, terms, SheetFigure::Price, e.Name, e.Price);
}

}  // namespace

void Recalculate(UnitSheet& sheet) {
    sheet.ListsEnabled = true;
    FigureTerms& terms = sheet.Terms;
    for (auto& figure : terms) figure.clear();

    // Each figure starts from its base; the load starts empty.
    Totals t;
    for (const FigureDescription& figure : FigureTable)
        t[figure.Id] = figure.Kind == FigureKind::Load ? 0 : sheet.*figure.Base;
    const std::string& unitClass = sheet.UnitClass;

    for (std::size_t i = 0; i < sheet.Options.Count(); ++i) {
        const TKrOption& e = *sheet.Options.Data(i);
        AddCosts(e, t, terms);
        Add(t, terms, SheetFigure::Fire, e.Name, e.Fire);
        Add(t, terms, SheetFigure::Melee, e.Name, e.Melee);
        Add(t, terms, SheetFigure::Evasion, e.Name, e.Evasion);
        Add(t, terms, SheetFigure::Armor, e.Name, e.Armor);
        Add(t, terms, SheetFigure::Sensor, e.Name, e.Sensor);
        Add(t, terms, SheetFigure::Power, e.Name, e.Power);
        t.MoveBonus = WrapAdd(t.MoveBonus, e.MoveBonus);
        ChargeClass(sheet.Options, i, unitClass, t, terms);
    }

    // Heavy units lose each mode's penalty; every mode gains the options' bonus.
    const bool heavy = unitClass == "H" || unitClass == "XH";
    for (std::size_t i = 0; i < sheet.Moves.Count(); ++i) {
        const TKrMove& m = *sheet.Moves.Data(i);
        AddCosts(m, t, terms);
        std::int32_t movement = WrapAdd(m.Movement, t.MoveBonus);
        if (heavy) movement = WrapAdd(movement, -static_cast<std::int32_t>(m.HeavyPenalty));
        sheet.Moves.SetCell(i, RowTexts<TKrMove>::MovementColumn, DecimalText(movement));
        ChargeClass(sheet.Moves, i, unitClass, t, terms);
    }

    // A negative damage -n means the unit's power plus n.
    for (std::size_t i = 0; i < sheet.Weapons.Count(); ++i) {
        const TKrWeapon& w = *sheet.Weapons.Data(i);
        AddCosts(w, t, terms);
        if (w.Damage < 0)
            sheet.Weapons.SetCell(i, RowTexts<TKrWeapon>::DamageColumn,
                                  DecimalText(static_cast<std::int32_t>(static_cast<std::uint32_t>(t[SheetFigure::Power]) -
                                                                        static_cast<std::uint32_t>(w.Damage))));
        ChargeClass(sheet.Weapons, i, unitClass, t, terms);
    }

    for (const FigureDescription& figure : FigureTable) {
        const std::int32_t total = t[figure.Id];
        sheet.Boxes[figure.Id] = figure.Kind == FigureKind::Modifier ? SignedText(total) : DecimalText(total);
    }
    sheet.Boxes.Class = sheet.UnitClass;

    sheet.BackpackOverloaded = t[SheetFigure::Backpack] > sheet.BackpackCapacity;
}

namespace {

// The terms of a figure with the same source and kind put together, in the
// order of their first appearance: a weapon carried twice reads once, "×2".
struct GroupedTerm {
    FigureTerm Term;  // the amount is the group's sum (wrapping like the figure)
    std::size_t Count = 0;
};
std::vector<GroupedTerm> Grouped(const std::vector<FigureTerm>& terms) {
    std::vector<GroupedTerm> groups;
    std::unordered_map<std::string_view, std::size_t> plain, surcharges;  // source -> group
    for (const FigureTerm& term : terms) {
        auto& index = term.Surcharge ? surcharges : plain;
        const auto [found, added] = index.try_emplace(term.Source, groups.size());
        if (added) groups.push_back({{term.Source, 0, term.Surcharge}, 0});
        GroupedTerm& group = groups[found->second];
        group.Term.Amount = WrapAdd(group.Term.Amount, term.Amount);
        ++group.Count;
    }
    return groups;
}

// "出力強化Lv1 +1", "ｱｰﾑﾊﾟﾝﾁ(火薬式) ×2 +1000", "クラス超過 (11mmMG) +1".
std::string TermText(const GroupedTerm& group) {
    std::string text;
    if (group.Term.Surcharge) {
        text = Sjis("クラス超過 (");
        text.append(group.Term.Source);
        text += ')';
    } else {
        text.append(group.Term.Source);
    }
    if (group.Count > 1) text += Sjis(" ×") + std::to_string(group.Count);
    text += ' ';
    text += SignedText(group.Term.Amount);
    return text;
}

constexpr std::size_t InlineTerms = 4;      // up to this many terms stand on the first line
constexpr std::size_t ListedTerms = 30;     // more than this many lines end with "… ほか n 件"

// The grouped terms one per line, indented, after the first line.
void AppendTermLines(std::string& text, const std::vector<GroupedTerm>& groups) {
    for (std::size_t i = 0; i < groups.size() && i < ListedTerms; ++i) {
        text += "\n  ";
        text += TermText(groups[i]);
    }
    if (groups.size() > ListedTerms)
        text += "\n  " + Sjis("… ほか ") + std::to_string(groups.size() - ListedTerms) + Sjis(" 件");
}

std::int32_t SumOf(const std::vector<FigureTerm>& terms) {
    std::int32_t sum = 0;
    for (const FigureTerm& term : terms) sum = WrapAdd(sum, term.Amount);
    return sum;
}

std::string ClassName(const UnitSheet& sheet) {
    return sheet.UnitClass.empty() ? Sjis("なし") : sheet.UnitClass;
}

}  // namespace

std::string FigureExplanation(const UnitSheet& sheet, SheetFigure figure) {
    const FigureDescription& facts = DescriptionOf(figure);
    const std::string& shown = sheet.Boxes[figure];
    if (shown.empty()) return {};
    const std::vector<FigureTerm>& terms = sheet.Terms[static_cast<std::size_t>(figure)];
    const std::vector<GroupedTerm> groups = Grouped(terms);

    if (figure == SheetFigure::Backpack) {
        // 積載 8 > 容量 4 (クラス M), then what makes up the load.
        const std::string relation = sheet.BackpackOverloaded ? " > " : Sjis(" ≦ ");
        std::string text = Sjis("積載 ") + shown + relation + Sjis("容量 ") + DecimalText(sheet.BackpackCapacity) +
                           Sjis(" (クラス ") + ClassName(sheet) + ")";
        AppendTermLines(text, groups);
        return text;
    }

    const std::int32_t base = sheet.*facts.Base;
    std::string text = Sjis(facts.Label) + " " + shown + Sjis(" = 基本 ") +
                       (facts.Kind == FigureKind::Modifier ? SignedText(base) : DecimalText(base));
    if (figure == SheetFigure::Price) {
        // The price reads as base plus equipment, then each piece of equipment.
        if (!groups.empty()) {
            text += Sjis(" + 装備 ") + SignedText(SumOf(terms));
            AppendTermLines(text, groups);
        }
        return text;
    }
    if (groups.size() <= InlineTerms) {
        for (const GroupedTerm& group : groups) text += " + " + TermText(group);
        return text;
    }
    text += Sjis(" + 装備 ") + SignedText(SumOf(terms));
    AppendTermLines(text, groups);
    return text;
}

std::string ClassExplanation(const UnitSheet& sheet) {
    if (sheet.Boxes.Class.empty() && !sheet.ListsEnabled) return {};
    std::string text = Sjis("クラス ") + ClassName(sheet) + Sjis(": 容量 ") + DecimalText(sheet.BackpackCapacity);
    std::string heavier;
    for (const char* entryClass : {"M", "H"})
        if (IsOutOfClass(entryClass, sheet.UnitClass)) heavier += (heavier.empty() ? "" : Sjis("、")) + entryClass;
    if (heavier.empty())
        text += Sjis("、クラスによる CP の増しはなし");
    else
        text += Sjis("、クラス ") + heavier + Sjis(" の装備は CP +1");
    return text;
}

}  // namespace kr
