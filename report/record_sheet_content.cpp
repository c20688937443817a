#include "record_sheet_content.h"

#include "Pub1.h"
#include "codec.h"
#include "profile_file.h"
#include "reports.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <system_error>

namespace kr {

namespace {

// A field label of the clipboard text without its closing "：".
std::string ColumnCaption(const std::string& label) {
    static const std::string colon = Sjis("：");
    std::string_view caption = label;
    if (caption.ends_with(colon)) caption.remove_suffix(colon.size());
    return Cp932ToUtf8(caption);
}

// Where a column's text stands: names and remarks read from the left,
// prices from the right, the short figures in the middle.
SheetAlign AlignOf(const std::string& label) {
    static const std::string price = Sjis("価格：");
    static const std::string notes = Sjis("備考：");
    static const std::string effect = Sjis("効果：");
    if (label == notes || label == effect) return SheetAlign::Left;
    if (label == price) return SheetAlign::Right;
    return SheetAlign::Centre;
}

template <class Entry>
SheetList ListOf(const char* title, const char* nameCaption, const RowList<Entry>& rows,
                 const std::vector<ReportField>& fields, bool weapons) {
    SheetList list;
    list.Title = title;
    list.Columns.push_back({nameCaption, SheetAlign::Left});
    int usesColumn = -1;
    for (const ReportField& field : fields) {
        list.Columns.push_back({ColumnCaption(field.Label), AlignOf(field.Label)});
        if (weapons && field.Label == Sjis("回数：")) usesColumn = field.Column;
    }
    list.Rows.reserve(rows.Count());
    for (std::size_t row = 0; row < rows.Count(); ++row) {
        SheetRow sheetRow;
        sheetRow.Cells.reserve(fields.size() + 1);
        sheetRow.Cells.push_back(Cp932ToUtf8(rows.Caption(row)));
        for (const ReportField& field : fields) sheetRow.Cells.push_back(Cp932ToUtf8(rows.Cell(row, field.Column)));
        if (weapons) {
            sheetRow.FollowUp = IsFollowUpName(rows.Caption(row));
            sheetRow.Uses = TrackOf(rows.Cell(row, usesColumn));
        }
        list.Rows.push_back(std::move(sheetRow));
    }
    return list;
}

}  // namespace

SheetTrack TrackOf(std::string_view text) {
    while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
    if (text.empty()) return {};
    for (char c : text)
        if (c < '0' || c > '9') return {};
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    if (text == "0") return {};
    SheetTrack track;
    // Three digits reach past MaxTickBoxes; more are never boxes.
    if (text.size() <= 3) {
        int points = 0;
        for (char c : text) points = points * 10 + (c - '0');
        if (points <= MaxTickBoxes) {
            track.Boxes = points;
            return track;
        }
    }
    track.Written = std::string(text);
    return track;
}

RecordSheetContent RecordSheetContentOf(const UnitSheet& sheet, const SheetHeading& heading) {
    RecordSheetContent content;
    content.UnitName = Cp932ToUtf8(sheet.UnitName);
    content.UnitClass = Cp932ToUtf8(sheet.Boxes.Class);
    content.FileName = heading.FileName.empty() ? "(未保存)" : heading.FileName;
    content.Date = heading.Date;

    // The panel's two rows, the class closing the first.
    const FigureTexts& boxes = sheet.Boxes;
    bool classShown = false;
    for (const FigureDescription& figure : FigureTable) {
        if (figure.PanelRow == 1 && !classShown) {
            content.Figures.push_back({"クラス", Cp932ToUtf8(boxes.Class), {}, {}});
            classShown = true;
        }
        PrintedFigure printed{figure.Caption, Cp932ToUtf8(boxes[figure.Id]), {}, {}};
        const std::string base = DecimalText(sheet.*figure.Base);
        if (figure.Kind == FigureKind::Load) {
            // The load against what the backpack takes; an overload is said
            // in words too, so that it shows in black-and-white print.
            if (!printed.Value.empty()) printed.Value += " / " + base;
            if (sheet.BackpackOverloaded) printed.Alarm = "過積載";
        } else if (figure.ReportBaseLabel) {
            printed.Note = std::string(figure.ReportBaseLabel) + " " + base;
        }
        content.Figures.push_back(std::move(printed));
    }
    content.Durability = TrackOf(boxes[SheetFigure::Durability]);

    content.Lists = {
        ListOf("移動", "移動方式", sheet.Moves, MoveReportFields(), false),
        ListOf("武器", "武器名称", sheet.Weapons, WeaponReportFields(), true),
        ListOf("その他", "オプション名", sheet.Options, OptionReportFields(), false),
    };
    return content;
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = {};
    if (::localtime_r(&now, &local) == nullptr || std::strftime(text, sizeof text, "%Y/%m/%d", &local) == 0) return {};
    return text;
}

SheetPaper PaperOfSize(int widthMillimetres, int heightMillimetres) {
    // Letter is 215.9 by 279.4 mm; the C library rounds it to 216 by 279.
    const bool letter = std::abs(widthMillimetres - 216) <= 1 && std::abs(heightMillimetres - 279) <= 1;
    return letter ? SheetPaper::Letter : SheetPaper::A4;
}

SheetPaper PaperOfLocale() {
    // The user's LC_PAPER (from LC_ALL, LC_PAPER or LANG) without changing
    // the process's own locale.
    locale_t paper = ::newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(0));
    if (paper == static_cast<locale_t>(0)) return SheetPaper::A4;
    // glibc answers these two with an int in place of the string pointer.
    const auto width = static_cast<int>(reinterpret_cast<std::intptr_t>(::nl_langinfo_l(_NL_PAPER_WIDTH, paper)));
    const auto height = static_cast<int>(reinterpret_cast<std::intptr_t>(::nl_langinfo_l(_NL_PAPER_HEIGHT, paper)));
    ::freelocale(paper);
    return PaperOfSize(width, height);
}

std::vector<std::filesystem::path> PageFileNames(const std::filesystem::path& chosen, std::size_t pages) {
    if (pages <= 1) return {chosen};
    std::vector<std::filesystem::path> files;
    files.reserve(pages);
    const std::filesystem::path stem = chosen.stem();
    const std::filesystem::path extension = chosen.extension();
    for (std::size_t page = 1; page <= pages; ++page) {
        std::filesystem::path name = stem;
        name += "-" + std::to_string(page);
        name += extension;
        files.push_back(chosen.parent_path() / name);
    }
    return files;
}

void WritePageFiles(const std::vector<std::filesystem::path>& files, const std::vector<std::string>& contents) {
    std::vector<std::filesystem::path> created;
    try {
        for (std::size_t i = 0; i < files.size() && i < contents.size(); ++i) {
            std::error_code ec;
            const bool existed = std::filesystem::symlink_status(files[i], ec).type() != std::filesystem::file_type::not_found;
            ReplaceFileContent(files[i], contents[i]);
            if (!existed) created.push_back(files[i]);
        }
    } catch (const KrError&) {
        // A sheet is written whole or not at all, as far as new files go;
        // a file that was there before keeps its new content.
        for (const std::filesystem::path& file : created) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
        throw;
    }
}

}  // namespace kr
