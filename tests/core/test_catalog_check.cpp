// The catalog check for players' own catalogs, and the loader's message that
// names the file and the line where a load stops.
#include "catalog_check.h"
#include "core_kit.h"

#include <gtest/gtest.h>

namespace {

using namespace testkit;

// A header of the given number of columns.
std::string Header(int columns) {
    std::string header = "h0";
    for (int i = 1; i < columns; ++i) header += ",h" + std::to_string(i);
    return header + "\r\n";
}

// One fault of each kind, spread over the three files.
void WriteFaultyCatalogs(const TempDir& dir) {
    WriteBytes(dir / "weapon.csv",
               Header(19) + IconvCp932("W1,└弾倉,弾薬,0,100,0,1,L,0,0,0,0,0,0,6,0,0,0,先頭の追加行\r\n"
                               "W2,ﾐｻｲﾙ,ミサイル,1,12a,1,2,H,7,2,0,0,0,10,6,1,0,0,値段に文字\r\n"
                               "W3,└予備弾倉,弾薬,1,400,0,1,L,0,0,0,0,0,0,6,0,0,0,武器の下\r\n"
                               "W4,└追加弾倉,弾薬,1,400,0,1,L,0,0,0,0,0,0,6,0,0,0,追加行の下\r\n"
                               "W5,ﾐｻｲﾙ,ミサイル,1,2400,1,2,H,7,2,0,0,0,10,6,1,0,0,同じ名前\r\n"
                               "\r\n"
                               "W6,ﾐｻｲﾙ,x,x,x,x,x,x,x,x,x,x,x,x,,x,x,x,読まれない行\r\n"));
    WriteBytes(dir / "option.csv", Header(14) + "O1,Sensor,1200,1,0,M,0,0,0,0,0,2,0,0,bad\x85\x40\r\n" +
                                       IconvCp932("O2,,800,0,1,M,0,0,-1,1,0,0,0,0,名前なし\r\n"
                                          "O3,ｶﾒﾗ,400,0,0,L,0,0,0,0,0,1,0\r\n"));
    // An unquoted space in a name moves every later column one to the right.
    WriteBytes(dir / "move.csv", Header(13) + IconvCp932("M1,ﾎｲｰﾙ,車輪,0,0,0,L,6,1,2,0,走行\r\n"
                                                  "M2,二脚 歩行,脚,0,0,0,L,4,0,3,0,歩行\r\n"));
}

// ------------------------------------------------------------------ check

TEST(CatalogCheck, OneFaultOfEachKindGivesOneLineEach) {
    TempDir dir;
    WriteFaultyCatalogs(dir);
    const kr::CatalogFolderCheck check = kr::CheckCatalogFiles(kr::CatalogFilesIn(dir.Path()));
    EXPECT_TRUE(check.Failures.empty());
    EXPECT_EQ(check.Text, IconvCp932("weapon.csv:2:1: 「└弾倉」のすぐ上に武器の行がありません\r\n"
                             "weapon.csv:3:1: 「ﾐｻｲﾙ」と同じ名前が 6 行目にあり、そちらが使われます\r\n"
                             "weapon.csv:3:4: 「12a」は整数ではないので 0 と読みます\r\n"
                             "weapon.csv:5:1: 「└追加弾倉」のすぐ上に武器の行がありません\r\n"
                             "weapon.csv:7:0: リストのインデックスが範囲を超えています (0)\r\n"
                             "option.csv:1:14: 見出しは 14 列ですが、このカタログは 15 列です\r\n"
                             "option.csv:2:14: Shift_JIS として読めないバイトがあります (0x85 0x40)\r\n"
                             "option.csv:3:1: 名前が空です\r\n"
                             "option.csv:4:13: リストのインデックスが範囲を超えています (13)\r\n"
                             "move.csv:1:12: 見出しは 13 列ですが、このカタログは 12 列です\r\n"
                             "move.csv:3:3: 「脚」は整数ではないので 0 と読みます\r\n"
                             "move.csv:3:7: 「L」は整数ではないので 0 と読みます\r\n"));
}

// The columns read as numbers are those of the catalog tables: a line of
// "x" everywhere (but the name) is reported in exactly those columns.
TEST(CatalogCheck, NumberColumnsAreTheNumbersOfEachTable) {
    const struct {
        kr::CatalogKind Kind;
        int Columns;
        std::vector<int> Numbers;
    } kinds[] = {
        {kr::CatalogKind::Option, 15, {2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13}},
        {kr::CatalogKind::Weapon, 19, {3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 15, 16, 17}},
        {kr::CatalogKind::Move, 12, {3, 4, 5, 7, 8, 9, 10}},
    };
    for (const auto& kind : kinds) {
        std::string line = "x,name";
        for (int i = 2; i < kind.Columns; ++i) line += ",x";
        std::vector<int> reported;
        for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kind.Kind, Header(kind.Columns) + line)) {
            EXPECT_EQ(finding.Line, 2u);
            EXPECT_EQ(finding.Message, IconvCp932("「x」は整数ではないので 0 と読みます"));
            reported.push_back(finding.Column);
        }
        EXPECT_EQ(reported, kind.Numbers) << kr::CatalogFileName(kind.Kind);
    }
}

// A name three times: the first two each point at the third. A follow-up
// row right under a weapon, and the last column left out, are no faults.
TEST(CatalogCheck, EveryShadowedNamePointsAtTheLastOne) {
    const std::string text = Header(12) + "M1,a,t,0,0,0,L,1,0,0,0,n\r\n"
                                          "M2,b,t,0,0,0,L,1,0,0,0\r\n"
                                          "M3,a,t,0,0,0,L,1,0,0,0,n\r\n"
                                          "M4,a,t,$1F,0,0,L,1,0,0,0,n\r\n";
    const std::vector<kr::CatalogFinding> findings = kr::CheckCatalogText(kr::CatalogKind::Move, text);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(kr::FindingText(kr::CatalogKind::Move, findings[0]),
              IconvCp932("move.csv:2:1: 「a」と同じ名前が 5 行目にあり、そちらが使われます"));
    EXPECT_EQ(kr::FindingText(kr::CatalogKind::Move, findings[1]),
              IconvCp932("move.csv:4:1: 「a」と同じ名前が 5 行目にあり、そちらが使われます"));
}

// ------------------------------------------------------------------ loader

// What the designer's error box shows for each catalog at start.
TEST(CatalogLoadMessage, ShortLineNamesTheFileAndTheLine) {
    TempDir dir;
    WriteBytes(dir / "weapon.csv", Header(19) + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n"
                                                "\r\n"
                                                "W2,B,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n");
    // Lines end with LF alone here; the count follows the loader's cutting.
    WriteBytes(dir / "option.csv", "h\nO1,A,1,0,0,L,0,0,0,0,0,0,0,0,x\nO2,B,1,0,0,L,0,0,0,0,0,0,0\n");
    kr::Catalogs catalogs;
    EXPECT_EQ(kr::LoadCatalogs(catalogs, dir.Path()),
              (std::vector<std::string>{"weapon.csv 3 行目: リストのインデックスが範囲を超えています (0)",
                                        "option.csv 3 行目: リストのインデックスが範囲を超えています (13)",
                                        CannotOpen(dir / "move.csv")}));
    EXPECT_EQ(catalogs.Weapon.Count(), 1u);
    EXPECT_EQ(catalogs.Option.Count(), 1u);
}

// ------------------------------------------------------------------ krreport --check

TEST(KrReportCheck, CatalogsBesideTheProgramAreCleanByDefault) {
    const ToolRun run = RunKrReport({"--check"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "");
}

TEST(KrReportCheck, FindingsExitWithOneAndLeaveTheFilesAsTheyWere) {
    TempDir dir;
    WriteBytes(dir / "weapon.csv", Header(19) + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n");
    WriteBytes(dir / "option.csv", Header(15) + IconvCp932("O1,暗視,1,0,0,L,0,0,0,0,0,0,0,0,効果\r\n"));
    WriteBytes(dir / "move.csv", Header(12) + IconvCp932("M1,脚,t,無料,0,0,L,1,0,0,0,n\r\n"));
    const std::string before = ReadBytes(dir / "move.csv");

    const ToolRun run = RunKrReport({"--check", "--utf8", dir.Path().string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "move.csv:2:3: 「無料」は整数ではないので 0 と読みます\r\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadBytes(dir / "move.csv"), before);
}

TEST(KrReportCheck, UnreadableFilesAreComplainedAbout) {
    TempDir dir;
    WriteBytes(dir / "option.csv", Header(15));
    const ToolRun run = RunKrReport({"--catalogs", dir.Path().string(), "--check"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "krreport: " + CannotOpen(dir / "weapon.csv") + "\nkrreport: " + CannotOpen(dir / "move.csv") + "\n");
}

}  // namespace
