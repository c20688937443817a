// The two exports of a design: the clipboard text and the HTML page. Both
// read only what the main window shows (the sheet's texts and rows) plus a
// few base figures, and return CP932 bytes with CR LF after every line.
#pragma once

#include "unit_sheet.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace kr {

std::string BuildClipboardText(const UnitSheet& sheet);

// One line of the clipboard text's basic section: its label and the text it
// shows (CP932); `Numeric` for the figures (all but the name and the class).
struct BasicFigure {
    const std::string& Label;
    std::string Text;
    bool Numeric;
};
// The sixteen lines of the basic section, in their order.
std::vector<BasicFigure> BasicFigures(const UnitSheet& sheet);

// The clipboard text's headings (CP932): "[基本性能]", and of the three
// lists "[移動]", "[武器]", "[その他]" in that order.
const std::string& BasicHeading();
const std::array<std::string, 3>& ListHeadings();

// One field of an equipment line of the clipboard text: its label (CP932,
// ending with the full-width colon "：") and the list column it prints
// (the row's name is column 0).
struct ReportField {
    std::string Label;
    int Column;
};
// The fields of each list's lines, in their order, after the row's name.
const std::vector<ReportField>& MoveReportFields();
const std::vector<ReportField>& WeaponReportFields();
const std::vector<ReportField>& OptionReportFields();

// Every text from a source is written with &, <, > and " escaped.
std::string BuildHtmlPage(const UnitSheet& sheet);

// Creates the file anew and writes a report into it: the HTML page, or the
// text of krreport. Throws KrError "ファイル %s を作成できません" or
// "ストリームへの書き込みエラー".
void WriteReportFile(const std::filesystem::path& path, const std::string& page);

}  // namespace kr
