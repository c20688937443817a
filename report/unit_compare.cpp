#include "unit_compare.h"

#include "Pub1.h"
#include "codec.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace kr {

namespace {

constexpr std::string_view LineEnd = "\r\n";
// Room between two columns.
constexpr std::size_t Gap = 2;

struct CompareLiterals {
    std::string FromA = "A: ";
    std::string FromB = "B: ";
    std::string BasicHeading = Sjis("[基本性能]");
    std::string MoveHeading = Sjis("[移動]");
    std::string WeaponHeading = Sjis("[武器]");
    std::string OptionHeading = Sjis("[その他]");
    std::string Item = Sjis("項目");
    std::string Difference = "B-A";
    std::string Differs = Sjis("≠");
    std::string OnlyInA = Sjis("Aのみ: ");
    std::string OnlyInB = Sjis("Bのみ: ");
    std::string InBoth = Sjis("共通: ");
    std::string Rows = Sjis(" 行");
    std::string Indent = "  ";
    // The figure labels of the clipboard text.
    std::string Name = Sjis("名称");
    std::string Class = Sjis("クラス");
    std::string Fire = Sjis("射撃修正");
    std::string Melee = Sjis("格闘修正");
    std::string Evasion = Sjis("回避修正");
    std::string Sensor = Sjis("センサー");
    std::string Armor = Sjis("装甲");
    std::string Durability = Sjis("耐久力");
    std::string Power = Sjis("パワー");
    std::string Punch = Sjis("パンチ");
    std::string BP = Sjis("ＢＰ");
    std::string BaseBP = Sjis("ＢＰ(元)");
    std::string CP = Sjis("ＣＰ");
    std::string BaseCP = Sjis("ＣＰ(元)");
    std::string Price = Sjis("価格");
    std::string BasePrice = Sjis("価格(元)");
};

const CompareLiterals& Literals() {
    static const CompareLiterals literals;
    return literals;
}

struct Figure {
    const std::string& Label;
    std::string A;
    std::string B;
    bool Numeric;
};

// The figures in the order of the clipboard text's basic section.
std::vector<Figure> FiguresOf(const UnitSheet& a, const UnitSheet& b) {
    const CompareLiterals& l = Literals();
    const FigureTexts& x = a.Boxes;
    const FigureTexts& y = b.Boxes;
    return {
        {l.Name, a.UnitName, b.UnitName, false},
        {l.Class, x.Class, y.Class, false},
        {l.Fire, x.Fire, y.Fire, true},
        {l.Melee, x.Melee, y.Melee, true},
        {l.Evasion, x.Evasion, y.Evasion, true},
        {l.Sensor, x.Sensor, y.Sensor, true},
        {l.Armor, x.Armor, y.Armor, true},
        {l.Durability, x.Durability, y.Durability, true},
        {l.Power, x.Power, y.Power, true},
        {l.Punch, x.Punch, y.Punch, true},
        {l.BP, x.BP, y.BP, true},
        {l.BaseBP, DecimalText(a.BackpackCapacity), DecimalText(b.BackpackCapacity), true},
        {l.CP, x.CP, y.CP, true},
        {l.BaseCP, DecimalText(a.BaseCP), DecimalText(b.BaseCP), true},
        {l.Price, x.Price, y.Price, true},
        {l.BasePrice, DecimalText(a.BasePrice), DecimalText(b.BasePrice), true},
    };
}

// "+n", "0" or "-n"; the difference of two 32-bit figures needs 33 bits.
std::string SignedDifference(std::int64_t difference) {
    std::string text = std::to_string(difference);
    return difference > 0 ? "+" + text : text;
}

std::string DifferenceOf(const Figure& figure) {
    if (figure.Numeric) {
        const std::optional<std::int32_t> a = ParseInt(figure.A);
        const std::optional<std::int32_t> b = ParseInt(figure.B);
        if (a && b) return SignedDifference(static_cast<std::int64_t>(*b) - *a);
    }
    // Texts, and boxes still blank before any recalculation.
    return figure.A == figure.B ? std::string() : Literals().Differs;
}

// Cells padded to their column's width; the last cell is not padded, and a
// line never ends in spaces. CP932 texts take as many columns on screen as
// they have bytes, so bytes are what the widths count.
void AppendRow(std::string& out, const std::vector<std::string_view>& cells, const std::vector<std::size_t>& widths) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        line += cells[i];
        if (i + 1 < cells.size() && cells[i].size() < widths[i]) line.append(widths[i] - cells[i].size(), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += LineEnd;
}

void AppendFigures(std::string& out, const UnitSheet& a, const UnitSheet& b) {
    const CompareLiterals& l = Literals();
    const std::vector<Figure> figures = FiguresOf(a, b);
    std::size_t labelWidth = l.Item.size();
    std::size_t aWidth = 1;
    std::size_t bWidth = 1;
    for (const Figure& figure : figures) {
        labelWidth = std::max(labelWidth, figure.Label.size());
        aWidth = std::max(aWidth, figure.A.size());
        bWidth = std::max(bWidth, figure.B.size());
    }
    const std::vector<std::size_t> widths{labelWidth + Gap, aWidth + Gap, bWidth + Gap};

    out += l.BasicHeading;
    out += LineEnd;
    AppendRow(out, {l.Item, "A", "B", l.Difference}, widths);
    for (const Figure& figure : figures) {
        const std::string difference = DifferenceOf(figure);
        AppendRow(out, {figure.Label, figure.A, figure.B, difference}, widths);
    }
}

template <class Entry>
std::vector<std::string_view> CaptionsOf(const RowList<Entry>& rows) {
    std::vector<std::string_view> captions;
    captions.reserve(rows.Count());
    for (std::size_t i = 0; i < rows.Count(); ++i) captions.push_back(rows.Caption(i));
    return captions;
}

// The rows of `from` that `other` does not match, in the order of `from`:
// a caption that `from` has n times more than `other` gives its first n rows.
std::vector<std::string_view> Unmatched(const std::vector<std::string_view>& from,
                                        const std::vector<std::string_view>& other) {
    std::map<std::string_view, long> surplus;
    for (std::string_view caption : from) ++surplus[caption];
    for (std::string_view caption : other) --surplus[caption];
    std::vector<std::string_view> unmatched;
    for (std::string_view caption : from)
        if (surplus[caption]-- > 0) unmatched.push_back(caption);
    return unmatched;
}

void AppendOnly(std::string& out, const std::string& label, const std::vector<std::string_view>& captions) {
    const CompareLiterals& l = Literals();
    out += label;
    out += std::to_string(captions.size());
    out += l.Rows;
    out += LineEnd;
    for (std::string_view caption : captions) {
        out += l.Indent;
        out += caption;
        out += LineEnd;
    }
}

template <class Entry>
void AppendList(std::string& out, const std::string& heading, const RowList<Entry>& a, const RowList<Entry>& b) {
    const CompareLiterals& l = Literals();
    const std::vector<std::string_view> inA = CaptionsOf(a);
    const std::vector<std::string_view> inB = CaptionsOf(b);
    const std::vector<std::string_view> onlyA = Unmatched(inA, inB);
    const std::vector<std::string_view> onlyB = Unmatched(inB, inA);

    out += LineEnd;
    out += heading;
    out += LineEnd;
    AppendOnly(out, l.OnlyInA, onlyA);
    AppendOnly(out, l.OnlyInB, onlyB);
    out += l.InBoth;
    out += std::to_string(inA.size() - onlyA.size());
    out += l.Rows;
    out += LineEnd;
}

}  // namespace

std::string BuildUnitComparison(const UnitSheet& a, const UnitSheet& b, std::string_view nameA,
                                std::string_view nameB) {
    const CompareLiterals& l = Literals();
    std::string out;
    out += l.FromA;
    out += nameA;
    out += LineEnd;
    out += l.FromB;
    out += nameB;
    out += LineEnd;
    out += LineEnd;
    AppendFigures(out, a, b);
    AppendList(out, l.MoveHeading, a.Moves, b.Moves);
    AppendList(out, l.WeaponHeading, a.Weapons, b.Weapons);
    AppendList(out, l.OptionHeading, a.Options, b.Options);
    return out;
}

}  // namespace kr
