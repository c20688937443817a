// The clipboard text and the HTML page of a design.
//
// Both reports copy texts: the name box, the figure boxes and the cells of
// the three lists as the main window shows them, plus a few base figures in
// decimal. Nothing is computed here. Literals are kept as UTF-8 below and
// turned into CP932 once per process; the text itself is built in one string
// reserved up front, since a unit may carry a thousand rows.
#include "reports.h"

#include "Pub1.h"
#include "codec.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

namespace {

constexpr std::string_view LineEnd = "\r\n";

// Room for one report: a fixed part plus a generous share per row, so the
// string grows at most rarely.
std::size_t EstimatedSize(const UnitSheet& sheet, std::size_t fixed, std::size_t perRow) {
    return fixed + perRow * (sheet.Options.Count() + sheet.Moves.Count() + sheet.Weapons.Count());
}

struct ClipboardLiterals {
    std::string Separator = ", ";
    std::string BasicHeading = Sjis("[基本性能]");
    std::array<std::string, 3> ListHeadings{Sjis("[移動]"), Sjis("[武器]"), Sjis("[その他]")};
    std::string Name = Sjis("名称");
    std::string Class = Sjis("クラス");
    // Each figure's line and, for some, the line of its base figure, by figure.
    std::array<std::string, SheetFigureCount> FigureLabels, BaseLabels;

    ClipboardLiterals() {
        for (const FigureDescription& figure : FigureTable) {
            const auto i = static_cast<std::size_t>(figure.Id);
            FigureLabels[i] = Sjis(figure.ReportLabel);
            if (figure.ReportBaseLabel) BaseLabels[i] = Sjis(figure.ReportBaseLabel);
        }
    }

    // Column numbers are those of the list rows (name 0, then the cells).
    std::vector<ReportField> MoveFields{
        {Sjis("移動："), 4}, {Sjis("旋回："), 5}, {Sjis("ＣＰ："), 2},
        {Sjis("ＢＰ："), 3}, {Sjis("価格："), 1}, {Sjis("備考："), 7}};
    std::vector<ReportField> WeaponFields{
        {Sjis("威力："), 5}, {Sjis("命中："), 6}, {Sjis("回数："), 7}, {Sjis("射程："), 8},
        {Sjis("連射："), 9}, {Sjis("間接："), 10}, {Sjis("ＣＰ："), 3}, {Sjis("ＢＰ："), 4},
        {Sjis("価格："), 2}, {Sjis("備考："), 12}};
    std::vector<ReportField> OptionFields{
        {Sjis("効果："), 5}, {Sjis("ＣＰ："), 2}, {Sjis("ＢＰ："), 3}, {Sjis("価格："), 1}};
};

const ClipboardLiterals& Clip() {
    static const ClipboardLiterals literals;
    return literals;
}

// "label, value" and the line end.
void AppendFigureLine(std::string& out, const std::string& label, std::string_view value) {
    out += label;
    out += Clip().Separator;
    out += value;
    out += LineEnd;
}

// An empty line, the heading, and one line per row: the name, then for each
// field ", label：cell".
template <class Entry>
void AppendSection(std::string& out, const std::string& heading, const RowList<Entry>& rows,
                   const std::vector<ReportField>& fields) {
    out += LineEnd;
    out += heading;
    out += LineEnd;
    for (std::size_t row = 0; row < rows.Count(); ++row) {
        out += rows.Caption(row);
        for (const ReportField& field : fields) {
            out += Clip().Separator;
            out += field.Label;
            out += rows.Cell(row, field.Column);
        }
        out += LineEnd;
    }
}

// --- HTML ---------------------------------------------------------------

// Whether a byte can be the second byte of a double-byte character.
constexpr bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

// Writes a source text so that the browser reads it as text. Double-byte
// characters are copied whole: their trail bytes (0x40 to 0xFC) can look
// like ASCII letters and must not be taken for anything else, although they
// never coincide with the four characters replaced here. A lead byte before
// any other byte is no character: a browser reads the byte after it on its
// own, so a "<" there is escaped like any other.
void AppendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(byte) && i + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
            out += text[i];
            out += text[++i];
            continue;
        }
        switch (byte) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += text[i]; break;
        }
    }
}

// A list table's opening lines: its heading, the table tag of the given
// width, and the header row of cells, each with its width when it has one.
struct HeaderCell {
    const char* Width;  // "" for none
    const char* Caption;
};
std::vector<std::string> TableHead(const char* title, const char* width, std::initializer_list<HeaderCell> cells) {
    std::vector<std::string> lines{
        Sjis(std::string("<h2>") + title + "</h2>"),
        std::string(R"(<table cellpadding="2" cellspacing="0" border="1" width=")") + width + "\">",
        "    <tbody>",
        "        <tr>"};
    for (const HeaderCell& cell : cells) {
        const std::string open = *cell.Width ? std::string(R"(<th width=")") + cell.Width + "\">" : "<th>";
        lines.push_back(Sjis("          " + open + cell.Caption + "</th>"));
    }
    lines.push_back("        </tr>");
    return lines;
}

struct HtmlLiterals {
    // Head and heading.
    std::string TitleOpen = "  <title>";
    std::string TitleClose = "</title>";
    std::string Meta = R"(  <meta http-equiv="content-type" content="text/html; charset=Shift_JIS">)";
    std::string HeadingOpen = "<h1>";
    std::string HeadingClose = "</h1>";

    // Tables in general.
    std::string BodyOpen = "    <tbody>";
    std::string BodyClose = "    </tbody>";
    std::string OptionBodyClose = "  </tbody>";
    std::string TableClose = "</table>";
    std::string Gap = "<br><br>";
    std::string RowOpen = "        <tr>";
    std::string RowClose = "        </tr>";
    std::string CellClose = "</td>";

    // The basic figures.
    std::string BasicTitle = Sjis("<h2>基本性能</h2>");
    std::string Table60 = R"(<table cellpadding="2" cellspacing="0" border="1" width="60%">)";
    std::string ValueOpen = R"(          <td align="Center">)";
    std::string WideValueOpen = R"(          <td width="10%" align="Center">)";
    std::string Class = Sjis("          <td>クラス</td>");
    std::string Power = Sjis("          <td>パワー</td>");
    std::string Fire = Sjis("          <td>射撃修正</td>");
    std::string Punch = Sjis("          <td>パンチ</td>");
    std::string Melee = Sjis("          <td>格闘修正</td>");
    std::string Backpack = Sjis("          <td>バックパック</td>");
    std::string Evasion = Sjis("          <td>回避修正</td>");
    std::string CustomPoints = Sjis("          <td>カスタムポイント</td>");
    std::string Sensor = Sjis("          <td>センサー</td>");
    std::string BaseCustomPoints = Sjis(R"(          <td width="30%">カスタムポイント(元)</td>)");
    std::string Armor = Sjis(R"(          <td width="30%">装甲</td>)");
    std::string Price = Sjis("          <td>価格</td>");
    std::string Durability = Sjis("          <td>耐久力</td>");
    std::string BasePrice = Sjis("          <td>価格(元)</td>");

    // Row cells of the move and weapon tables.
    std::string NameOpen = "          <td>";

    // The locomotion table.
    std::vector<std::string> MoveHead = TableHead("移動", "70%",
        {{"40%", "移動形式"}, {"15%", "移動力"}, {"15%", "旋回値"}, {"5%", "CP"}, {"5%", "BP"}, {"", "価格"},
         {"", "備考"}});
    std::vector<int> MoveColumns{4, 5, 2, 3, 1, 7};

    // The weapon table; its rows open with ten spaces.
    std::vector<std::string> WeaponHead = TableHead("武器", "100%",
        {{"", "名称"}, {"7%", "威力"}, {"", "命中"}, {"7%", "回数"}, {"7%", "射程"}, {"7%", "連射"}, {"7%", "間接"},
         {"5%", "CP"}, {"5%", "BP"}, {"", "価格"}, {"", "備考"}});
    std::string WeaponRowOpen = "          <tr>";
    std::vector<int> WeaponColumns{5, 6, 7, 8, 9, 10, 3, 4, 2, 12};

    // The option table; its rows sit two spaces further out.
    std::vector<std::string> OptionHead = TableHead("その他", "60%",
        {{"", "名称"}, {"", "効果"}, {"5%", "CP"}, {"5%", "BP"}, {"", "価格"}});
    std::string OptionRowOpen = "      <tr>";
    std::string OptionRowClose = "      </tr>";
    std::string OptionTextOpen = "        <td>";
    std::string OptionValueOpen = R"(        <td align="Center">)";
    int OptionEffectColumn = 5;
    std::vector<int> OptionColumns{2, 3, 1};
};

const HtmlLiterals& Html() {
    static const HtmlLiterals literals;
    return literals;
}

void AppendLine(std::string& out, std::string_view literal) {
    out += literal;
    out += LineEnd;
}

void AppendLines(std::string& out, const std::vector<std::string>& literals) {
    for (const std::string& literal : literals) AppendLine(out, literal);
}

// opening literal, the escaped source text, closing literal.
void AppendValueLine(std::string& out, std::string_view open, std::string_view value, std::string_view close) {
    out += open;
    AppendEscaped(out, value);
    out += close;
    out += LineEnd;
}

// One table row of the basic figures: two label and value pairs.
void AppendFigurePair(std::string& out, const std::string& firstLabel, const std::string& firstOpen,
                      std::string_view firstValue, const std::string& secondLabel,
                      const std::string& secondOpen, std::string_view secondValue) {
    const HtmlLiterals& h = Html();
    AppendLine(out, h.RowOpen);
    AppendLine(out, firstLabel);
    AppendValueLine(out, firstOpen, firstValue, h.CellClose);
    AppendLine(out, secondLabel);
    AppendValueLine(out, secondOpen, secondValue, h.CellClose);
    AppendLine(out, h.RowClose);
}

void AppendTableEnd(std::string& out) {
    const HtmlLiterals& h = Html();
    AppendLine(out, h.BodyClose);
    AppendLine(out, h.TableClose);
    AppendLine(out, h.Gap);
}

}  // namespace

std::vector<BasicFigure> BasicFigures(const UnitSheet& sheet) {
    const ClipboardLiterals& c = Clip();
    std::vector<BasicFigure> lines{{c.Name, sheet.UnitName, false}, {c.Class, sheet.Boxes.Class, false}};
    for (SheetFigure id : FiguresInReportOrder()) {
        const auto i = static_cast<std::size_t>(id);
        lines.push_back({c.FigureLabels[i], sheet.Boxes[id], true});
        const FigureDescription& figure = DescriptionOf(id);
        if (figure.ReportBaseLabel) lines.push_back({c.BaseLabels[i], DecimalText(sheet.*figure.Base), true});
    }
    return lines;
}

const std::string& BasicHeading() { return Clip().BasicHeading; }
const std::vector<ReportField>& MoveReportFields() { return Clip().MoveFields; }
const std::vector<ReportField>& WeaponReportFields() { return Clip().WeaponFields; }
const std::vector<ReportField>& OptionReportFields() { return Clip().OptionFields; }
const std::array<std::string, 3>& ListHeadings() { return Clip().ListHeadings; }

std::string BuildClipboardText(const UnitSheet& sheet) {
    const ClipboardLiterals& c = Clip();

    std::string out;
    out.reserve(EstimatedSize(sheet, 512, 256));

    out += c.BasicHeading;
    out += LineEnd;
    for (const BasicFigure& figure : BasicFigures(sheet)) AppendFigureLine(out, figure.Label, figure.Text);

    AppendSection(out, c.ListHeadings[0], sheet.Moves, c.MoveFields);
    AppendSection(out, c.ListHeadings[1], sheet.Weapons, c.WeaponFields);
    AppendSection(out, c.ListHeadings[2], sheet.Options, c.OptionFields);
    out += LineEnd;
    return out;
}

namespace {

// One table row per list row: the name, then the given columns, each centred.
template <class Entry>
void AppendHtmlRows(std::string& out, const HtmlLiterals& h, const RowList<Entry>& rows, const std::string& rowOpen,
                    const std::vector<int>& columns) {
    for (std::size_t row = 0; row < rows.Count(); ++row) {
        AppendLine(out, rowOpen);
        AppendValueLine(out, h.NameOpen, rows.Caption(row), h.CellClose);
        for (int column : columns) AppendValueLine(out, h.ValueOpen, rows.Cell(row, column), h.CellClose);
        AppendLine(out, h.RowClose);
    }
}

}  // namespace

std::string BuildHtmlPage(const UnitSheet& sheet) {
    const HtmlLiterals& h = Html();
    const FigureTexts& boxes = sheet.Boxes;

    std::string out;
    out.reserve(EstimatedSize(sheet, 4096, 640));

    AppendLine(out, "<html>");
    AppendLine(out, "<head>");
    AppendValueLine(out, h.TitleOpen, sheet.UnitName, h.TitleClose);
    AppendLine(out, h.Meta);
    AppendLine(out, "</head>");
    AppendLine(out, "<body>");
    AppendValueLine(out, h.HeadingOpen, sheet.UnitName, h.HeadingClose);
    AppendLine(out, "<br>");

    AppendLine(out, h.BasicTitle);
    AppendLine(out, h.Table60);
    AppendLine(out, h.BodyOpen);
    const std::string& A = h.ValueOpen;
    const std::string& W = h.WideValueOpen;
    AppendFigurePair(out, h.Class, A, boxes.Class, h.Power, A, boxes[SheetFigure::Power]);
    AppendFigurePair(out, h.Fire, W, boxes[SheetFigure::Fire], h.Punch, A, boxes[SheetFigure::Punch]);
    AppendFigurePair(out, h.Melee, A, boxes[SheetFigure::Melee], h.Backpack, W, boxes[SheetFigure::Backpack]);
    AppendFigurePair(out, h.Evasion, A, boxes[SheetFigure::Evasion], h.CustomPoints, A, boxes[SheetFigure::CP]);
    AppendFigurePair(out, h.Sensor, A, boxes[SheetFigure::Sensor], h.BaseCustomPoints, A, DecimalText(sheet.BaseCP));
    AppendFigurePair(out, h.Armor, A, boxes[SheetFigure::Armor], h.Price, A, boxes[SheetFigure::Price]);
    AppendFigurePair(out, h.Durability, A, boxes[SheetFigure::Durability], h.BasePrice, A, DecimalText(sheet.BasePrice));
    AppendTableEnd(out);

    AppendLines(out, h.MoveHead);
    AppendHtmlRows(out, h, sheet.Moves, h.RowOpen, h.MoveColumns);
    AppendTableEnd(out);

    AppendLines(out, h.WeaponHead);
    AppendHtmlRows(out, h, sheet.Weapons, h.WeaponRowOpen, h.WeaponColumns);
    AppendTableEnd(out);

    AppendLines(out, h.OptionHead);
    for (std::size_t row = 0; row < sheet.Options.Count(); ++row) {
        AppendLine(out, h.OptionRowOpen);
        AppendValueLine(out, h.OptionTextOpen, sheet.Options.Caption(row), h.CellClose);
        AppendValueLine(out, h.OptionTextOpen, sheet.Options.Cell(row, h.OptionEffectColumn), h.CellClose);
        for (int column : h.OptionColumns)
            AppendValueLine(out, h.OptionValueOpen, sheet.Options.Cell(row, column), h.CellClose);
        AppendLine(out, h.OptionRowClose);
    }
    AppendLine(out, h.OptionBodyClose);
    AppendLine(out, h.TableClose);
    AppendLine(out, h.Gap);
    AppendLine(out, "</body>");
    AppendLine(out, "</html>");
    return out;
}

void WriteReportFile(const std::filesystem::path& path, const std::string& page) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw KrError(FormatMessage("ファイル %s を作成できません", PathText(path)));
    const bool written = std::fwrite(page.data(), 1, page.size(), file) == page.size();
    // Closing flushes what is still buffered, so its failure is a write failure too.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) throw KrError("ストリームへの書き込みエラー");
}

}  // namespace kr
