// What a record sheet holds: the design as a player takes it to the table.
// The texts are those the clipboard text prints (the name box, the figure
// boxes, every column of the three lists), here in UTF-8 and ready to be
// drawn; the drawing itself is report/record_sheet.h. Nothing is computed
// but the play tracks: a tick box per point of durability and per use of a
// weapon with a finite number of uses.
#pragma once

#include "unit_sheet.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// The unit file the design came from and the day the sheet was made.
struct SheetHeading {
    std::string FileName;  // UTF-8; empty for a design not kept in a file
    std::string Date;      // UTF-8, as it is to be printed
};

// One figure box of the main window: its caption on the screen, its text,
// and beside the custom points and the price the base figure.
struct PrintedFigure {
    std::string Caption;
    std::string Value;
    std::string Note;   // "ＣＰ(元) -1", "価格(元) 8200"; empty for the others
    std::string Alarm;  // "過積載" beside an overloaded backpack, else empty
};

// More tick boxes than this are not drawn: the figure is written out with a
// blank line beside it to count down on.
inline constexpr int MaxTickBoxes = 100;

// A play track: one tick box per point, or the figure written out when it
// has more points than MaxTickBoxes. Neither for no points or a figure that
// is no whole number (unlimited uses, "∞").
struct SheetTrack {
    int Boxes = 0;
    std::string Written;  // the figure's digits, when too large for boxes
    bool Empty() const { return Boxes == 0 && Written.empty(); }
    bool operator==(const SheetTrack&) const = default;
};
// The track of a figure's text: blanks around decimal digits and nothing else.
SheetTrack TrackOf(std::string_view text);

enum class SheetAlign { Left, Centre, Right };

struct SheetColumn {
    std::string Caption;
    SheetAlign Align = SheetAlign::Centre;
};

struct SheetRow {
    std::vector<std::string> Cells;  // one per column
    bool FollowUp = false;           // a "└" row, kept under the row above it
    SheetTrack Uses;                 // weapons: a box per use
};

// A list as the sheet prints it: the name column, then every column the
// clipboard text prints for that list, in its order.
struct SheetList {
    std::string Title;
    std::vector<SheetColumn> Columns;
    std::vector<SheetRow> Rows;
};

struct RecordSheetContent {
    std::string UnitName;
    std::string UnitClass;
    std::string FileName;
    std::string Date;
    // Twelve boxes in two rows of six: fire, melee, evasion, sensor, custom
    // points, class; armour, durability, power, punch, backpack, price.
    std::vector<PrintedFigure> Figures;
    SheetTrack Durability;
    std::array<SheetList, 3> Lists;  // locomotion, weapons, options
};
inline constexpr std::size_t SheetFiguresPerRow = 6;

// The file name is printed as "(未保存)" for a design kept in no file.
RecordSheetContent RecordSheetContentOf(const UnitSheet& sheet, const SheetHeading& heading);

// Today's date as a sheet prints it: "2024/05/01", local time.
std::string TodayText();

// The paper an exported sheet is printed on: Letter where the user's locale
// (LC_PAPER) has Letter paper, A4 everywhere else.
enum class SheetPaper { A4, Letter };
SheetPaper PaperOfSize(int widthMillimetres, int heightMillimetres);
SheetPaper PaperOfLocale();

// The files the pictures of a sheet go to: the chosen file for one page;
// for more, one per page, numbered after the name: "unit.png" gives
// "unit-1.png", "unit-2.png", ...
std::vector<std::filesystem::path> PageFileNames(const std::filesystem::path& chosen, std::size_t pages);

// Writes each file as a save does (ReplaceFileContent). When one cannot be
// written, the files this call created are removed again and the store's
// error "%s に書き込めません" is thrown.
void WritePageFiles(const std::vector<std::filesystem::path>& files, const std::vector<std::string>& contents);

}  // namespace kr
