#include "unit_compare.h"

#include "Pub1.h"
#include "codec.h"
#include "reports.h"

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
    std::string Item = Sjis("項目");
    std::string Difference = "B-A";
    std::string Differs = Sjis("≠");
    std::string OnlyInA = Sjis("Aのみ: ");
    std::string OnlyInB = Sjis("Bのみ: ");
    std::string InBoth = Sjis("共通: ");
    std::string Rows = Sjis(" 行");
    std::string Indent = "  ";
};

const CompareLiterals& Literals() {
    static const CompareLiterals literals;
    return literals;
}

// One line of the figures: the clipboard text's label and both texts.
struct Figure {
    const std::string& Label;
    std::string A;
    std::string B;
    bool Numeric;
};

std::vector<Figure> FiguresOf(const UnitSheet& a, const UnitSheet& b) {
    std::vector<Figure> figures;
    std::vector<BasicFigure> second = BasicFigures(b);
    std::size_t i = 0;
    for (BasicFigure& first : BasicFigures(a)) {
        figures.push_back({first.Label, std::move(first.Text), std::move(second[i].Text), first.Numeric});
        ++i;
    }
    return figures;
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

    out += BasicHeading();
    out += LineEnd;
    AppendRow(out, {l.Item, "A", "B", l.Difference}, widths);
    for (const Figure& figure : figures) {
        const std::string difference = DifferenceOf(figure);
        AppendRow(out, {figure.Label, figure.A, figure.B, difference}, widths);
    }
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
    const std::vector<std::string_view> inA = a.Captions();
    const std::vector<std::string_view> inB = b.Captions();
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
    AppendList(out, ListHeadings()[0], a.Moves, b.Moves);
    AppendList(out, ListHeadings()[1], a.Weapons, b.Weapons);
    AppendList(out, ListHeadings()[2], a.Options, b.Options);
    return out;
}

}  // namespace kr
