// The krreport program, run as a separate process on unit files of known bytes.
#include "codec.h"
#include "core_kit.h"
#include "reports.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace testkit;

namespace {

// A unit of class "m" (read as "M") with a weapon and its follow-up row, an
// option of class "H" (one extra custom point) and a name with markup.
const std::string PrototypeUnit = IconvCp932(
    "[基本性能]\r\n"
    "名称=試作機<甲>\r\n"
    "射撃=1\r\n"
    "格闘=0\r\n"
    "回避=-2\r\n"
    "装甲=6\r\n"
    "ＨＰ=25\r\n"
    "パワー=7\r\n"
    "センサー=0\r\n"
    "パンチ=7\r\n"
    "カスタムポイント=-1\r\n"
    "価格=9000\r\n"
    "クラス=m\r\n"
    "[移動]\r\n"
    "MOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ\r\n"
    "[武装]\r\n"
    "WEAPON0=6連装ﾐｻｲﾙﾗﾝﾁｬｰ\r\n"
    "WEAPON1=└予備弾倉\r\n"
    "[オプション]\r\n"
    "OPTION0=出力強化Lv1\r\n");

const std::string SmallUnit = IconvCp932(
    "[基本性能]\r\n"
    "名称=偵察機\r\n"
    "クラス=L\r\n"
    "[武装]\r\n"
    "WEAPON0=11mmMG\r\n");

// What the designer shows after loading the file.
class KrReportOnUnitFiles : public ::testing::Test {
protected:
    template <class Build>
    std::string ReportOf(const fs::path& unit, Build build) {
        const auto designer = NewDesigner();
        kr::LoadUnitFile(unit, *designer);
        kr::Recalculate(designer->Sheet);
        return build(designer->Sheet);
    }
    std::string TextOf(const fs::path& unit) { return ReportOf(unit, kr::BuildClipboardText); }
    std::string PageOf(const fs::path& unit) { return ReportOf(unit, kr::BuildHtmlPage); }

    TempDir dir;
    const std::string data = ShippedData().string();
};

}  // namespace

TEST_F(KrReportOnUnitFiles, TextOfOneUnitGoesToStandardOutput) {
    const fs::path unit = dir / "proto.kr";
    WriteBytes(unit, PrototypeUnit);
    const ToolRun run = RunKrReport({"--catalogs", data, "--text", unit.string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, TextOf(unit));
    // The follow-up row is there, right after its weapon.
    EXPECT_NE(run.Out.find(IconvCp932("\r\n└予備弾倉, ")), std::string::npos);
}

// Without --catalogs the catalogs beside the program are used.
TEST_F(KrReportOnUnitFiles, HtmlOfOneUnitGoesToTheNamedFile) {
    const fs::path unit = dir / "proto.kr";
    WriteBytes(unit, PrototypeUnit);
    const fs::path page = dir / "page.html";
    const ToolRun run = RunKrReport({"--html", "-o", page.string(), unit.string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(ReadBytes(page), PageOf(unit));
    EXPECT_NE(ReadBytes(page).find(IconvCp932("<h1>試作機&lt;甲&gt;</h1>\r\n")), std::string::npos);
}

TEST_F(KrReportOnUnitFiles, Utf8OptionConvertsTheText) {
    const fs::path unit = dir / "small.kr";
    WriteBytes(unit, SmallUnit);
    const ToolRun run = RunKrReport({"--catalogs", data, "--text", "--utf8", unit.string()});
    EXPECT_EQ(run.Status, 0);
    const std::string start = "[基本性能]\r\n名称, 偵察機\r\nクラス, L\r\n";
    EXPECT_EQ(run.Out.substr(0, start.size()), start);
    EXPECT_NE(run.Out.find("11mmMG, 威力：3, 命中：+1/0/-1/-2, 回数：∞"), std::string::npos);
}

TEST_F(KrReportOnUnitFiles, SeveralUnitsGoToAFolderAndAnUnreadableOneIsReported) {
    const fs::path proto = dir / "proto.kr";
    const fs::path small = dir / "small.kr";
    const fs::path missing = dir / "missing.kr";
    WriteBytes(proto, PrototypeUnit);
    WriteBytes(small, SmallUnit);
    const fs::path out = dir / "reports" / "html";
    const ToolRun run =
        RunKrReport({"--catalogs", data, "--html", "-o", out.string(), proto.string(), missing.string(), small.string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("ファイル " + missing.string() + " は開けません"), std::string::npos);
    EXPECT_EQ(ReadBytes(out / "proto.html"), PageOf(proto));
    EXPECT_EQ(ReadBytes(out / "small.html"), PageOf(small));
    EXPECT_FALSE(fs::exists(out / "missing.html"));
}

// -o names a folder for one unit too when it is one or ends with "/"; a report
// never replaces a unit file given to read, and two units never share an output.
TEST_F(KrReportOnUnitFiles, OutputsGoWhereAskedAndNeverOverAnInput) {
    const fs::path small = dir / "small.kr";
    WriteBytes(small, SmallUnit);
    fs::create_directory(dir / "pages");
    EXPECT_EQ(RunKrReport({"--catalogs", data, "--html", "-o", (dir / "pages").string(), small.string()}).Status, 0);
    EXPECT_EQ(ReadBytes(dir / "pages" / "small.html"), PageOf(small));
    EXPECT_EQ(RunKrReport({"--catalogs", data, "--html", "-o", (dir / "fresh").string() + "/", small.string()}).Status, 0);
    EXPECT_EQ(ReadBytes(dir / "fresh" / "small.html"), PageOf(small));

    for (const fs::path& over : {small, dir / "." / "small.kr"}) {
        const ToolRun run = RunKrReport({"--catalogs", data, "--text", "-o", over.string(), small.string()});
        EXPECT_EQ(run.Status, 1) << over;
        EXPECT_NE(run.Err.find("上書きしません"), std::string::npos) << run.Err;
        EXPECT_EQ(ReadBytes(small), SmallUnit);
    }

    // small.kr in two folders would both become small.txt.
    fs::create_directory(dir / "other");
    WriteBytes(dir / "other" / "small.kr", PrototypeUnit);
    const ToolRun run = RunKrReport({"--catalogs", data, "--text", "-o", (dir / "texts").string(), small.string(),
                                 (dir / "other" / "small.kr").string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(ReadBytes(dir / "texts" / "small.txt"), TextOf(small));
    EXPECT_NE(run.Err.find("別のユニットファイルの出力に使われています"), std::string::npos) << run.Err;

    // One unit's page would be another unit's input (a unit file named .html).
    fs::create_directory(dir / "both");
    WriteBytes(dir / "both" / "scout.kr", SmallUnit);
    WriteBytes(dir / "both" / "scout.html", PrototypeUnit);
    const ToolRun over = RunKrReport({"--catalogs", data, "--html", "-o", (dir / "both").string(),
                                      (dir / "both" / "scout.kr").string(), (dir / "both" / "scout.html").string()});
    EXPECT_EQ(over.Status, 1);
    EXPECT_EQ(ReadBytes(dir / "both" / "scout.html"), PrototypeUnit);
    EXPECT_NE(over.Err.find("上書きしません"), std::string::npos) << over.Err;
}

// Names the catalogs lack are told on standard error, once per file; the
// report is written and the status stays 0.
TEST_F(KrReportOnUnitFiles, DroppedNamesAreReportedWithoutFailing) {
    const fs::path unit = dir / "unknown.kr";
    WriteBytes(unit, IconvCp932("[武装]\r\nWEAPON0=光線銃\r\nWEAPON1=11mmMG\r\nWEAPON2=光線銃\r\n"
                                         "[オプション]\r\nOPTION0=ｽﾃﾙｽ\r\n"));
    const ToolRun run = RunKrReport({"--catalogs", data, "--text", unit.string()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "krreport: " + unit.string() + ": カタログにない名前を読み飛ばしました: 光線銃、ｽﾃﾙｽ\n");
    EXPECT_EQ(run.Out, TextOf(unit));
}

namespace {

const std::string NoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";

#if KR_KRREPORT_DRAWS_SHEETS
// The row names of a clipboard text: each list line up to its first field.
Texts RowNames(const std::string& text) {
    Texts names;
    bool inList = false;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = text.substr(at, end - at);
        if (line.empty() || line.front() == '[') {
            inList = line == IconvCp932("[移動]") || line == IconvCp932("[武器]") || line == IconvCp932("[その他]");
            continue;
        }
        if (inList) names.push_back(line.substr(0, line.find(", ")));
    }
    return names;
}
#endif

}  // namespace

#if KR_KRREPORT_DRAWS_SHEETS
// --pdf and --png need no display: krreport starts Qt's offscreen platform
// itself. The sheet's text is real text: the unit's name and every row name
// of its clipboard text come back out of the PDF.
TEST_F(KrReportOnUnitFiles, SheetsAreDrawnWithoutADisplay) {
    const fs::path unit = dir / "proto.kr";
    WriteBytes(unit, PrototypeUnit);
    const ToolRun pdf = RunKrReport({"--catalogs", data, "--pdf", "-o", (dir / "out").string() + "/", unit.string()},
                                    NoDisplay);
    EXPECT_EQ(pdf.Status, 0) << pdf.Err;
    const fs::path file = dir / "out" / "proto.pdf";
    EXPECT_EQ(ReadBytes(file).substr(0, 5), "%PDF-");
    const std::string text = PdfText(file);
    EXPECT_NE(text.find("試作機<甲>"), std::string::npos);
    const Texts names = RowNames(TextOf(unit));
    EXPECT_EQ(names.size(), 4u);
    for (const std::string& name : names) EXPECT_NE(text.find(kr::Cp932ToUtf8(name)), std::string::npos) << name;

    // A sheet of one page goes to standard output as one picture.
    const ToolRun png = RunKrReport({"--catalogs", data, "--png", unit.string()}, NoDisplay);
    EXPECT_EQ(png.Status, 0) << png.Err;
    EXPECT_EQ(png.Out.substr(0, 8), "\x89PNG\r\n\x1a\n");
}

// A sheet of several pages is one picture per page; standard output takes
// only one, so it is refused there, and nothing is written.
TEST_F(KrReportOnUnitFiles, PicturesOfALongSheetGoOnePerPage) {
    std::string unit = "[武装]\r\n";
    for (int i = 0; i < 80; ++i) unit += "WEAPON" + std::to_string(i) + "=11mmMG\r\n";
    WriteBytes(dir / "long.kr", IconvCp932(unit));
    const ToolRun toOutput = RunKrReport({"--catalogs", data, "--png", (dir / "long.kr").string()}, NoDisplay);
    EXPECT_EQ(toOutput.Status, 1);
    EXPECT_EQ(toOutput.Out, "");
    EXPECT_NE(toOutput.Err.find("-o で出力先を指定してください"), std::string::npos) << toOutput.Err;

    const ToolRun toFiles =
        RunKrReport({"--catalogs", data, "--png", "-o", (dir / "sheet.png").string(), (dir / "long.kr").string()}, NoDisplay);
    EXPECT_EQ(toFiles.Status, 0) << toFiles.Err;
    const std::set<std::string> files = FolderListing(dir.Path());
    EXPECT_TRUE(files.count("sheet-1.png") && files.count("sheet-2.png")) << files.size();
    EXPECT_FALSE(files.count("sheet.png"));
}
#else
// Built without Qt, krreport has every other mode and says that it cannot draw sheets.
TEST_F(KrReportOnUnitFiles, SheetsNeedAKrReportBuiltWithQt) {
    const fs::path unit = dir / "proto.kr";
    WriteBytes(unit, PrototypeUnit);
    for (const char* option : {"--pdf", "--png"}) {
        const ToolRun run = RunKrReport({"--catalogs", data, option, unit.string()}, NoDisplay);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find(std::string(option) + " は使えません"), std::string::npos) << run.Err;
    }
    EXPECT_EQ(FolderListing(dir.Path()), std::set<std::string>{"proto.kr"});
}
#endif

// Every command line that does not make sense, for each of the tool's tasks.
TEST_F(KrReportOnUnitFiles, UsageErrorsExitWithTwoAndWriteNothing) {
    const std::string unit = (dir / "small.kr").string();
    WriteBytes(unit, SmallUnit);
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--text"},
        {"--text", "--html", unit},
        {"--bogus", "--text", unit},
        {"--text", unit, unit},
        {"--html", "--utf8", unit},
        {"--text", unit, "-o"},
        {"--check", "a", "b"},
        {"--check", "-o", "out"},
        {"--catalogs", "a", "--check", "b"},
        {"--check", "--text"},
        {"--compare", unit},
        {"--compare", unit, unit, "-o", "out.txt"},
        {"--pdf", "--utf8", unit},
        {"--png", "--text", unit},
        {"--check", "--pdf"},
        {"--version", "extra"},
        {"--help", unit},
    };
    for (const auto& args : cases) {
        const ToolRun run = RunKrReport(args);
        std::string shown;
        for (const auto& arg : args) shown += arg + " ";
        EXPECT_EQ(run.Status, 2) << shown;
        EXPECT_EQ(run.Out, "") << shown;
        EXPECT_NE(run.Err.find("krreport"), std::string::npos) << shown;
    }
    EXPECT_EQ(FolderListing(dir.Path()), std::set<std::string>{"small.kr"});
}

TEST_F(KrReportOnUnitFiles, MissingCatalogFolderFailsButTheUnitIsStillWritten) {
    const fs::path unit = dir / "small.kr";
    WriteBytes(unit, SmallUnit);
    const fs::path nowhere = dir / "no-catalogs";
    const ToolRun run = RunKrReport({"--catalogs", nowhere.string(), "--text", unit.string()});
    EXPECT_NE(run.Status, 0);
    EXPECT_NE(run.Err.find("weapon.csv は開けません"), std::string::npos);
    // Nothing found in the empty catalogs: the unit has no rows.
    EXPECT_NE(run.Out.find(IconvCp932("[武器]\r\n\r\n[その他]\r\n\r\n")), std::string::npos);
}

TEST(KrReportTool, HelpExplainsTheOptions) {
    const ToolRun run = RunKrReport({"--help"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("--catalogs"), std::string::npos);
    EXPECT_EQ(run.Err, "");
}
