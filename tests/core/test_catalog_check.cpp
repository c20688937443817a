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
    EXPECT_TRUE(check.HasErrors);
    EXPECT_EQ(check.Text, IconvCp932("weapon.csv:2:1: warning: 「└弾倉」のすぐ上に武器の行がありません\r\n"
                             "weapon.csv:3:1: warning: 「ﾐｻｲﾙ」と同じ名前が 6 行目にあり、そちらが使われます\r\n"
                             "weapon.csv:3:4: error: 「12a」は整数ではないので 0 と読みます\r\n"
                             "weapon.csv:5:1: warning: 「└追加弾倉」のすぐ上に武器の行がありません\r\n"
                             "weapon.csv:7:0: error: リストのインデックスが範囲を超えています (0)\r\n"
                             "option.csv:1:14: warning: 見出しは 14 列ですが、このカタログは 15 列です\r\n"
                             "option.csv:2:14: warning: Shift_JIS として読めないバイトがあります (0x85 0x40)\r\n"
                             "option.csv:3:1: warning: 名前が空です\r\n"
                             "option.csv:4:13: error: リストのインデックスが範囲を超えています (13)\r\n"
                             "move.csv:1:12: warning: 見出しは 13 列ですが、このカタログは 12 列です\r\n"
                             "move.csv:3:1: error: 「二脚 歩行」は空白で切れて「二脚」と読まれ、後ろの列が 1 列ずれます。"
                             "空白を含む欄は \"二脚 歩行\" のように \" で囲んでください\r\n"));
}

// The columns read as numbers are those of the catalog tables, and the
// spare numbers, which nothing reads, only warn: a line of "x" everywhere
// (but the name) is reported in exactly those columns. The columns kept in
// eight bits are the only ones where 256 is out of range.
TEST(CatalogCheck, NumberColumnsAreTheNumbersOfEachTable) {
    const struct {
        kr::CatalogKind Kind;
        int Columns;
        std::vector<int> Numbers;
        int Spare;
        std::vector<int> Bytes;
    } kinds[] = {
        {kr::CatalogKind::Option, 15, {2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13}, 13, {}},
        {kr::CatalogKind::Weapon, 19, {3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 15, 16, 17}, 17, {3, 15, 16}},
        {kr::CatalogKind::Move, 12, {3, 4, 5, 7, 8, 9, 10}, 10, {8}},
    };
    for (const auto& kind : kinds) {
        const auto line = [&](const std::string& value) {
            std::string text = value + ",name";
            for (int i = 2; i < kind.Columns; ++i) text += "," + value;
            return Header(kind.Columns) + text;
        };
        std::vector<int> reported;
        for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kind.Kind, line("x"))) {
            EXPECT_EQ(finding.Line, 2u);
            EXPECT_EQ(finding.Message, IconvCp932("「x」は整数ではないので 0 と読みます"));
            EXPECT_EQ(finding.Severity, finding.Column == kind.Spare ? kr::FindingSeverity::Warning
                                                                     : kr::FindingSeverity::Error);
            reported.push_back(finding.Column);
        }
        EXPECT_EQ(reported, kind.Numbers) << kr::CatalogFileName(kind.Kind);

        reported.clear();
        for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kind.Kind, line("256"))) {
            EXPECT_EQ(finding.Message, IconvCp932("256 は 0～255 の範囲外です。0 として読まれます"));
            reported.push_back(finding.Column);
        }
        EXPECT_EQ(reported, kind.Bytes) << kr::CatalogFileName(kind.Kind);
    }
}

// data/README.md tells catalog authors each column's name and range: the
// same as the loaders read them.
TEST(CatalogCheck, ColumnsAsDataReadmeStatesThem) {
    const std::string readme = ReadBytes(std::filesystem::path(KR_SHIPPED_DATA_DIR) / "README.md");
    for (const kr::CatalogKind kind : kr::CatalogLoadOrder) {
        const std::string file = kr::CatalogFileName(kind);
        const std::size_t section = readme.find("## " + file);
        ASSERT_NE(section, std::string::npos) << file;
        const std::string table = readme.substr(section, readme.find("\n## ", section + 1) - section);
        const std::span<const kr::CatalogColumn> columns = kr::CatalogColumns(kind);
        EXPECT_NE(table.find("(" + std::to_string(columns.size()) + " columns)"), std::string::npos) << file;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const kr::CatalogColumn& column = columns[i];
            const std::string range = column.Kind != kr::ColumnKind::Number ? "text"
                                      : column.Bits == 8                   ? "0 to 255"
                                                                           : "-2147483648 to 2147483647";
            const std::string row = "| " + std::to_string(i) + " | " + std::string(column.Name) + " | " + range + " |";
            EXPECT_NE(table.find(row), std::string::npos) << file << ": " << row;
        }
    }
}

// A number outside the width its column keeps is told with what it reads as.
TEST(CatalogCheck, NumbersOutsideTheirColumnsWidthSayWhatTheyReadAs) {
    const std::string text = Header(12) + "M1,a,t,0,0,0,H,4,-1,0,0,n\r\n"
                                          "M2,b,t,0,0,0,H,4,300,0,0,n\r\n"
                                          "M3,c,t,0,0,0,H,4,$1FF,0,0,n\r\n"
                                          "M4,d,t,0,0,0,H,4,255,0,0,n\r\n"
                                          "M5,e,t,2147483648,0,0,H,4,0,0,0,n\r\n"
                                          "M6,f,t,-2147483648,0,0,H,4,0,0,-2147483649,n\r\n";
    std::vector<std::string> lines;
    for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kr::CatalogKind::Move, text))
        lines.push_back(kr::FindingText(kr::CatalogKind::Move, finding));
    EXPECT_EQ(lines, IconvCp932({"move.csv:2:8: error: -1 は 0～255 の範囲外です。255 として読まれます",
                                 "move.csv:3:8: error: 300 は 0～255 の範囲外です。44 として読まれます",
                                 "move.csv:4:8: error: $1FF は 0～255 の範囲外です。255 として読まれます",
                                 "move.csv:6:3: error: 2147483648 は -2147483648～2147483647 の範囲外です。"
                                 "0 として読まれます",
                                 "move.csv:7:10: warning: -2147483649 は -2147483648～2147483647 の範囲外です。"
                                 "0 として読まれます"}));
}

// A blank ends an unquoted field: the field is told with what it reads as
// and how to quote it, at its own column. When that moves a column the
// designer reads it is an error, and the moved columns are not told again;
// a note cut short, or a spare number, only warns. Blanks around a field
// and quoted blanks are no cut.
TEST(CatalogCheck, FieldCutByABlankOrAfterAQuote) {
    const std::string text = Header(12) + "M1,a,hover craft,100,1,0,M,4,2,1,0,n\r\n" +
                             IconvCp932("M2,b,t,0,0,0,L,4,0,0,0,ミサイル 2発\r\n") +
                             "M3,c,t,0,0,0,L,4,0,0,1 2,n\r\n"
                             "M4,\"d\"e,t,0,0,0,L,4,0,0,0,n\r\n"
                             "M5,f g h,t,0,0,0,L,4,0,0,0,n\r\n"
                             "M6,\"i j\",t,0,0,0,L,4,0,0,0,n\r\n"
                             "M7,k ,t,0,0,0,L,4,0,0,0, n \r\n";
    std::vector<std::string> lines;
    for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kr::CatalogKind::Move, text))
        lines.push_back(kr::FindingText(kr::CatalogKind::Move, finding));
    EXPECT_EQ(lines, IconvCp932({
        "move.csv:2:2: error: 「hover craft」は空白で切れて「hover」と読まれ、後ろの列が 1 列ずれます。"
        "空白を含む欄は \"hover craft\" のように \" で囲んでください",
        "move.csv:3:11: warning: 「ミサイル 2発」は空白で切れて「ミサイル」と読まれ、残りは読まれません。"
        "空白を含む欄は \"ミサイル 2発\" のように \" で囲んでください",
        "move.csv:4:10: warning: 「1 2」は空白で切れて「1」と読まれ、後ろの列が 1 列ずれます。"
        "空白を含む欄は \"1 2\" のように \" で囲んでください",
        "move.csv:5:1: error: 「\"d\"e」は閉じる \" の後で切れて「d」と読まれ、後ろの列が 1 列ずれます。"
        "\" を含む欄は全体を \" で囲み、中の \" は \"\" と書いてください",
        "move.csv:6:1: error: 「f g h」は空白で切れて「f」と読まれ、後ろの列が 2 列ずれます。"
        "空白を含む欄は \"f g h\" のように \" で囲んでください",
    }));
}

// Fields beyond the catalog's columns are never read.
TEST(CatalogCheck, LineLongerThanTheCatalogWarns) {
    const std::vector<kr::CatalogFinding> findings =
        kr::CheckCatalogText(kr::CatalogKind::Move, Header(12) + "M1,a,t,0,0,0,L,4,0,0,0,n,extra,more\r\n");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(kr::FindingText(kr::CatalogKind::Move, findings[0]),
              IconvCp932("move.csv:2:12: warning: この行は 14 列あります。このカタログは 12 列なので「extra」から後は"
                         "読まれません"));
}

// A catalog saved as UTF-8 is told once, at its first line beyond ASCII,
// and nothing that follows from it.
TEST(CatalogCheck, Utf8FileIsToldOnce) {
    const std::string utf8 = "code,name,type,price,CP,BP,class,move,heavy,turn,spare,notes\r\n"
                             "M1,ﾎｲｰﾙ,車輪,0,0,0,L,6,1,2,0,走行\r\n"
                             "M2,二脚歩行,脚,0,0,0,L,4,0,3,0,あらゆる地形を歩ける\r\n";
    const std::vector<kr::CatalogFinding> findings = kr::CheckCatalogText(kr::CatalogKind::Move, utf8);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(kr::FindingText(kr::CatalogKind::Move, findings[0]),
              IconvCp932("move.csv:2:1: error: UTF-8 で保存されているようです。Shift_JIS (CP932) で保存してください"));

    // Our own catalog as a player's editor might save it.
    const std::string shipped = ReadBytes(std::filesystem::path(KR_SHIPPED_DATA_DIR) / "weapon.csv");
    std::vector<std::string> lines;
    for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kr::CatalogKind::Weapon, IconvUtf8(shipped)))
        lines.push_back(kr::FindingText(kr::CatalogKind::Weapon, finding));
    EXPECT_EQ(lines, IconvCp932({"weapon.csv:1:0: error: UTF-8 で保存されているようです。Shift_JIS (CP932) で"
                                 "保存してください"}));
}

// Bytes of a field that are not Shift_JIS: each of them is named, a lead
// byte at the end of a field leaves the message whole, a control byte is
// never passed on, and a lead byte that takes the comma after it along (two
// fields made one) is an error.
TEST(CatalogCheck, BytesThatAreNotShiftJisAreAllNamedAndBreakNoMessage) {
    const std::string text = Header(19) + "W1,a,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,5\x83\r\n"
                                          "W2,b,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,x\x85\x40y\xFDz\x80\r\n"
                                          "W3,c\x83,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n"
                                          "W4,\"\x1B[2J\",k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n"
                                          "W5,\"\x1B[2J\",k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n";
    std::string all;
    for (const kr::CatalogFinding& finding : kr::CheckCatalogText(kr::CatalogKind::Weapon, text))
        all += kr::FindingText(kr::CatalogKind::Weapon, finding) + "\r\n";
    EXPECT_EQ(all, IconvCp932("weapon.csv:2:17: warning: Shift_JIS として読めないバイトがあります (0x83)\r\n"
                              "weapon.csv:2:17: warning: 「5〓」は整数ではないので 0 と読みます\r\n"
                              "weapon.csv:3:18: warning: Shift_JIS として読めないバイトがあります "
                              "(0x85 0x40, 0xFD, 0x80)\r\n"
                              "weapon.csv:4:1: error: Shift_JIS として読めないバイトがあります (0x83 0x2C)。"
                              "カンマが前のバイトと一つの文字として読まれ、後ろの列がずれます\r\n"
                              "weapon.csv:5:1: warning: 「〓[2J」と同じ名前が 6 行目にあり、そちらが使われます\r\n"));
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

// The catalog of a player whose heavy units moved -251 and -40: three
// errors, and the files left as they were.
TEST(KrReportCheck, ErrorsExitWithOneAndLeaveTheFilesAsTheyWere) {
    TempDir dir;
    WriteBytes(dir / "weapon.csv", Header(19) + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n");
    WriteBytes(dir / "option.csv", Header(15) + IconvCp932("O1,暗視,1,0,0,L,0,0,0,0,0,0,0,0,効果\r\n"));
    WriteBytes(dir / "move.csv", Header(12) + IconvCp932("M1,ﾎﾊﾞｰ,浮上,1000,1,1,H,4,-1,2,0,軽い\r\n"
                                                  "M2,ｷｬﾀﾋﾟﾗｰ,無限軌道,800,0,1,H,4,300,1,0,重い\r\n"
                                                  "M3,ﾚｯｸﾞ,penalty -1,500,0,0,H,4,0,3,0,脚\r\n"));
    const std::string before = ReadBytes(dir / "move.csv");

    const ToolRun run = RunKrReport({"--check", "--utf8", dir.Path().string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "move.csv:2:8: error: -1 は 0～255 の範囲外です。255 として読まれます\r\n"
                       "move.csv:3:8: error: 300 は 0～255 の範囲外です。44 として読まれます\r\n"
                       "move.csv:4:2: error: 「penalty -1」は空白で切れて「penalty」と読まれ、後ろの列が 1 列ずれます。"
                       "空白を含む欄は \"penalty -1\" のように \" で囲んでください\r\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(ReadBytes(dir / "move.csv"), before);
}

TEST(KrReportCheck, WarningsAloneExitWithZero) {
    TempDir dir;
    WriteBytes(dir / "weapon.csv", Header(19) + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n\r\n");
    WriteBytes(dir / "option.csv", Header(15) + "O1,B,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n");
    WriteBytes(dir / "move.csv", Header(12) + "M1,C,t,0,0,0,L,1,0,0,0,two words\r\n");
    const ToolRun run = RunKrReport({"--check", "--utf8", dir.Path().string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "move.csv:2:11: warning: 「two words」は空白で切れて「two」と読まれ、残りは読まれません。"
                       "空白を含む欄は \"two words\" のように \" で囲んでください\r\n");
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
