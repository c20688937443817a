// What a record sheet holds, against the clipboard text of the same sheet,
// and the files its pictures go to.
#include "core_kit.h"
#include "record_sheet_content.h"
#include "reports.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace testkit;

namespace {

// The lines of the clipboard text under a heading, up to the empty line.
Texts ClipboardLines(const std::string& text, const std::string& heading) {
    Texts lines;
    std::size_t at = text.find(heading + "\r\n");
    if (at == std::string::npos) return lines;
    at += heading.size() + 2;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos && end > at; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

// A row as a clipboard line: its name, then ", caption：cell" for each column.
std::string AsClipboardLine(const kr::SheetList& list, const kr::SheetRow& row) {
    std::string line = row.Cells.at(0);
    for (std::size_t c = 1; c < list.Columns.size(); ++c) line += ", " + list.Columns[c].Caption + "：" + row.Cells.at(c);
    return IconvCp932(line);
}

}  // namespace

// Every column the clipboard text prints, in its order and with its texts,
// for every row; the follow-up row stays where it is, marked; only a whole
// number of uses gets tick boxes.
TEST(RecordSheetContent, ListsHoldEveryColumnOfTheClipboardText) {
    const auto designer = NewDesigner();
    kr::ApplyTemplate(*designer, 4);
    kr::UnitSheet& sheet = designer->Sheet;
    for (const char* name : {"6連装ﾐｻｲﾙﾗﾝﾁｬｰ", "└予備弾倉", "11mmMG"})
        sheet.Weapons.Append(ShippedCatalogs().Weapon.FindByName(IconvCp932(name)));
    sheet.Options.Append(&OptionEntry("O9,照準器,800,2,1,M,0,0,0,0,0,0,0,0,\"射撃+1, \"\"良\"\"\""));
    kr::Recalculate(sheet);

    const kr::RecordSheetContent content = kr::RecordSheetContentOf(sheet, {"proto.kr", "2024/05/01"});
    const std::string text = kr::BuildClipboardText(sheet);
    const char* headings[] = {"[移動]", "[武器]", "[その他]"};
    const char* names[] = {"移動方式", "武器名称", "オプション名"};
    for (std::size_t l = 0; l < 3; ++l) {
        const kr::SheetList& list = content.Lists[l];
        EXPECT_EQ(list.Columns.at(0).Caption, names[l]);
        const Texts lines = ClipboardLines(text, IconvCp932(headings[l]));
        ASSERT_EQ(list.Rows.size(), lines.size()) << headings[l];
        for (std::size_t r = 0; r < lines.size(); ++r) EXPECT_EQ(AsClipboardLine(list, list.Rows[r]), lines[r]);
    }

    const kr::SheetList& weapons = content.Lists[1];
    std::vector<bool> followUps;
    std::vector<kr::SheetTrack> uses;
    for (const kr::SheetRow& row : weapons.Rows) {
        followUps.push_back(row.FollowUp);
        uses.push_back(row.Uses);
    }
    // The template's shield, the launcher (6 shots), its magazine (6) and the gun (∞).
    EXPECT_EQ(followUps, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(uses, (std::vector<kr::SheetTrack>{{}, {6, ""}, {6, ""}, {}}));
    EXPECT_EQ(content.UnitName, "KRH-X31-LS クォーツ");
    EXPECT_EQ(content.FileName, "proto.kr");
    EXPECT_EQ(content.Durability, (kr::SheetTrack{25, ""}));
}

// The backpack's load stands against its capacity, and an overload is said
// in words as well as in red.
TEST(RecordSheetContent, BackpackShowsLoadAgainstCapacityAndOverloadInWords) {
    const auto designer = NewDesigner();
    kr::ApplyTemplate(*designer, 1);
    kr::UnitSheet& sheet = designer->Sheet;
    // A gun of one BP on a unit whose punches weigh nothing.
    sheet.Weapons.Append(ShippedCatalogs().Weapon.FindByName("11mmMG"));
    const auto backpack = [&] {
        kr::Recalculate(sheet);
        return kr::RecordSheetContentOf(sheet, {}).Figures.at(10);
    };
    sheet.BackpackCapacity = 1;
    EXPECT_EQ(backpack().Caption, "ﾊﾞｯｸﾊﾟｯｸ");
    EXPECT_EQ(backpack().Value, "1 / 1");
    EXPECT_EQ(backpack().Alarm, "");
    sheet.BackpackCapacity = 0;
    EXPECT_EQ(backpack().Value, "1 / 0");
    EXPECT_EQ(backpack().Alarm, "過積載");
    // A design in no file says so.
    EXPECT_EQ(kr::RecordSheetContentOf(sheet, {}).FileName, "(未保存)");
}

TEST(RecordSheetContent, TracksOfFigureTexts) {
    const struct {
        const char* Text;
        kr::SheetTrack Track;
    } cases[] = {
        {"12", {12, ""}},   {" 6 ", {6, ""}},     {"007", {7, ""}},      {"100", {100, ""}},
        {"101", {0, "101"}}, {"0040000000000", {0, "40000000000"}},   {"0", {}},
        {"", {}},           {"∞", {}},            {"-3", {}},            {"1D6", {}},  {"2 3", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(kr::TrackOf(IconvCp932(c.Text)), c.Track) << c.Text;
}

TEST(RecordSheetContent, PaperIsLetterOnlyForLetterSizes) {
    EXPECT_EQ(kr::PaperOfSize(216, 279), kr::SheetPaper::Letter);
    EXPECT_EQ(kr::PaperOfSize(215, 280), kr::SheetPaper::Letter);
    EXPECT_EQ(kr::PaperOfSize(210, 297), kr::SheetPaper::A4);
    EXPECT_EQ(kr::PaperOfSize(0, 0), kr::SheetPaper::A4);
}

TEST(SheetPictureFiles, OnePageKeepsTheNameAndMorePagesAreNumbered) {
    EXPECT_EQ(kr::PageFileNames("out/unit.png", 1), (std::vector<fs::path>{"out/unit.png"}));
    EXPECT_EQ(kr::PageFileNames("out/unit.png", 3),
              (std::vector<fs::path>{"out/unit-1.png", "out/unit-2.png", "out/unit-3.png"}));
    EXPECT_EQ(kr::PageFileNames("sheet", 2), (std::vector<fs::path>{"sheet-1", "sheet-2"}));
}

// A page that cannot be written takes the pages written before it along,
// as far as they are new; a file that was there keeps its new content.
TEST(SheetPictureFiles, APageThatCannotBeWrittenLeavesNoNewFile) {
    TempDir dir;
    const fs::path kept = dir / "unit-1.png";
    WriteBytes(kept, "old");
    const std::vector<fs::path> files{kept, dir / "unit-2.png", dir / "missing" / "unit-3.png"};
    EXPECT_EQ(ErrorOf([&] { kr::WritePageFiles(files, {"one", "two", "three"}); }), WriteErrorOf(files[2]));
    EXPECT_EQ(FolderListing(dir.Path()), std::set<std::string>{"unit-1.png"});
    EXPECT_EQ(ReadBytes(kept), "one");

    // The disk fills up at the second page.
    TempDir full;
    fs::permissions(full.Path(), fs::perms(0777));
    const int result = InRestrictedChild(100, [&] {
        const std::vector<fs::path> pages{full / "a-1.png", full / "a-2.png"};
        return ErrorOf([&] { kr::WritePageFiles(pages, {"small", std::string(4096, 'x')}); }) == WriteErrorOf(pages[1]);
    });
    ASSERT_EQ(result, 0) << "as an unprivileged user (100: the test could not give up root's rights)";
    EXPECT_EQ(FolderListing(full.Path()), std::set<std::string>{});
}
