// The clipboard text and the HTML page, byte for byte.
#include "core_kit.h"
#include "reports.h"

#include <gtest/gtest.h>

using namespace testkit;

namespace {

// A literal written with "\n" line ends, as the CP932 bytes with CR LF.
std::string Crlf(std::string_view utf8) {
    std::string text;
    for (char c : utf8) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return IconvCp932(text);
}

// A sheet made by hand: every cell of a row differs from its neighbours, so a
// column printed in the wrong place shows, and some texts carry markup.
class HandMadeSheetReport : public ::testing::Test {
protected:
    HandMadeSheetReport() {
        sheet.UnitName = IconvCp932("ﾃｽﾄ機<改> & \"弐\", 二号");
        sheet.UnitClass = "M";
        sheet.BaseCP = -1;
        sheet.BackpackCapacity = 4;
        sheet.BasePrice = 8200;
        kr::AddMoveRow(&sheet.Moves, &MoveEntry("M1,ﾎｲｰﾙ,x,300,1,0,L,6,0,2,0,整地のみ"));
        kr::AddWeaponRow(&sheet.Weapons, &WeaponEntry("W1,ﾐｻｲﾙﾎﾟｯﾄﾞ,射撃,1,1200,1,3,H,-2,2,0,0,0,8,4,1,0,0,<装填>&再"));
        // No class, no uses, no remarks (a single space).
        kr::AddWeaponRow(&sheet.Weapons, &WeaponEntry("W2,└ﾘﾛｰﾄﾞ,補助,0,50,0,1,,12,1,0,-1,2,3,,0,1,0"));
        kr::AddOptionRow(&sheet.Options, &OptionEntry("O1,照準器,800,2,1,M,0,0,0,0,0,0,0,0,\"射撃+1, \"\"良\"\"\""));
        // What a recalculation would have written over the entries' own texts.
        sheet.Moves.SetCell(0, 4, "7");
        sheet.Weapons.SetCell(0, 3, "2");
        sheet.Weapons.SetCell(0, 5, "9");
        // Fire, melee, evasion, sensor, CP, armour, durability, power, punch, backpack, price.
        sheet.Boxes.Figure = {"+2", "0", "-3", "+1", "4", "5", "20", "7", "6", "5", "12345"};
        sheet.Boxes.Class = "M";
    }
    kr::UnitSheet sheet;
};

constexpr std::string_view MoveTableHead = R"X(<h2>移動</h2>
<table cellpadding="2" cellspacing="0" border="1" width="70%">
    <tbody>
        <tr>
          <th width="40%">移動形式</th>
          <th width="15%">移動力</th>
          <th width="15%">旋回値</th>
          <th width="5%">CP</th>
          <th width="5%">BP</th>
          <th>価格</th>
          <th>備考</th>
        </tr>
)X";

constexpr std::string_view WeaponTableHead = R"X(<h2>武器</h2>
<table cellpadding="2" cellspacing="0" border="1" width="100%">
    <tbody>
        <tr>
          <th>名称</th>
          <th width="7%">威力</th>
          <th>命中</th>
          <th width="7%">回数</th>
          <th width="7%">射程</th>
          <th width="7%">連射</th>
          <th width="7%">間接</th>
          <th width="5%">CP</th>
          <th width="5%">BP</th>
          <th>価格</th>
          <th>備考</th>
        </tr>
)X";

constexpr std::string_view OptionTableHead = R"X(<h2>その他</h2>
<table cellpadding="2" cellspacing="0" border="1" width="60%">
    <tbody>
        <tr>
          <th>名称</th>
          <th>効果</th>
          <th width="5%">CP</th>
          <th width="5%">BP</th>
          <th>価格</th>
        </tr>
)X";

constexpr std::string_view TableEnd = "    </tbody>\n</table>\n<br><br>\n";
constexpr std::string_view PageEnd = "  </tbody>\n</table>\n<br><br>\n</body>\n</html>\n";

// The head and the basic-figures table for a name and the twelve values in
// the order the table places them.
std::string PageTop(std::string_view name, std::string_view cls, std::string_view power,
                    std::string_view fire, std::string_view punch, std::string_view melee,
                    std::string_view bp, std::string_view evasion, std::string_view cp,
                    std::string_view sensor, std::string_view baseCp, std::string_view armor,
                    std::string_view price, std::string_view durability, std::string_view basePrice) {
    std::string s = "<html>\n<head>\n  <title>" + std::string(name) + "</title>\n";
    s += R"(  <meta http-equiv="content-type" content="text/html; charset=Shift_JIS">)" "\n";
    s += "</head>\n<body>\n<h1>" + std::string(name) + "</h1>\n<br>\n";
    s += "<h2>基本性能</h2>\n"
         "<table cellpadding=\"2\" cellspacing=\"0\" border=\"1\" width=\"60%\">\n"
         "    <tbody>\n";
    auto pair = [&](std::string_view l1, std::string_view o1, std::string_view v1, std::string_view l2,
                    std::string_view o2, std::string_view v2) {
        s += "        <tr>\n";
        s += "          <td" + std::string(l1) + "</td>\n";
        s += "          <td" + std::string(o1) + ">" + std::string(v1) + "</td>\n";
        s += "          <td" + std::string(l2) + "</td>\n";
        s += "          <td" + std::string(o2) + ">" + std::string(v2) + "</td>\n";
        s += "        </tr>\n";
    };
    constexpr std::string_view A = R"( align="Center")";
    constexpr std::string_view W = R"( width="10%" align="Center")";
    pair(">クラス", A, cls, ">パワー", A, power);
    pair(">射撃修正", W, fire, ">パンチ", A, punch);
    pair(">格闘修正", A, melee, ">バックパック", W, bp);
    pair(">回避修正", A, evasion, ">カスタムポイント", A, cp);
    pair(">センサー", A, sensor, R"( width="30%">カスタムポイント(元))", A, baseCp);
    pair(R"( width="30%">装甲)", A, armor, ">価格", A, price);
    pair(">耐久力", A, durability, ">価格(元)", A, basePrice);
    s += TableEnd;
    return s;
}

}  // namespace

TEST(ClipboardReport, EmptySheetHasBlankFiguresZeroBasesAndEmptySections) {
    const std::string expected = Crlf(
        "[基本性能]\n"
        "名称, \n"
        "クラス, \n"
        "射撃修正, \n"
        "格闘修正, \n"
        "回避修正, \n"
        "センサー, \n"
        "装甲, \n"
        "耐久力, \n"
        "パワー, \n"
        "パンチ, \n"
        "ＢＰ, \n"
        "ＢＰ(元), 0\n"
        "ＣＰ, \n"
        "ＣＰ(元), 0\n"
        "価格, \n"
        "価格(元), 0\n"
        "\n"
        "[移動]\n"
        "\n"
        "[武器]\n"
        "\n"
        "[その他]\n"
        "\n");
    EXPECT_EQ(kr::BuildClipboardText(kr::UnitSheet{}), expected);
}

TEST_F(HandMadeSheetReport, ClipboardPrintsEveryColumnUnescapedWithFollowUpRowOnItsOwnLine) {
    const std::string expected = Crlf(
        "[基本性能]\n"
        "名称, ﾃｽﾄ機<改> & \"弐\", 二号\n"
        "クラス, M\n"
        "射撃修正, +2\n"
        "格闘修正, 0\n"
        "回避修正, -3\n"
        "センサー, +1\n"
        "装甲, 5\n"
        "耐久力, 20\n"
        "パワー, 7\n"
        "パンチ, 6\n"
        "ＢＰ, 5\n"
        "ＢＰ(元), 4\n"
        "ＣＰ, 4\n"
        "ＣＰ(元), -1\n"
        "価格, 12345\n"
        "価格(元), 8200\n"
        "\n"
        "[移動]\n"
        "ﾎｲｰﾙ, 移動：7, 旋回：2, ＣＰ：1, ＢＰ：0, 価格：300, 備考：整地のみ\n"
        "\n"
        "[武器]\n"
        "ﾐｻｲﾙﾎﾟｯﾄﾞ, 威力：9, 命中：+2, 回数：4, 射程：8, 連射：×, 間接：○, ＣＰ：2, ＢＰ：3, 価格：1200, 備考：<装填>&再\n"
        "└ﾘﾛｰﾄﾞ, 威力：12, 命中：+1/0/-1/+2, 回数：∞, 射程：3, 連射：○, 間接：×, ＣＰ：0, ＢＰ：1, 価格：50, 備考： \n"
        "\n"
        "[その他]\n"
        "照準器, 効果：射撃+1, \"良\", ＣＰ：2, ＢＰ：1, 価格：800\n"
        "\n");
    EXPECT_EQ(kr::BuildClipboardText(sheet), expected);
}

// Template 1 ("M", base price 8200, armour 5, durability 20, power 6, punch 6,
// capacity 4) with one ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ and two ｱｰﾑﾊﾟﾝﾁ(火薬式) from data/*.csv.
TEST(ClipboardReport, FirstTemplateShowsTheRecalculatedFiguresAndRows) {
    const auto designer = NewDesigner();
    kr::ApplyTemplate(*designer, 1);
    const std::string expected = Crlf(
        "[基本性能]\n"
        "名称, KRM-11-LS グラナイト\n"
        "クラス, M\n"
        "射撃修正, 0\n"
        "格闘修正, 0\n"
        "回避修正, 0\n"
        "センサー, 0\n"
        "装甲, 5\n"
        "耐久力, 20\n"
        "パワー, 6\n"
        "パンチ, 6\n"
        "ＢＰ, 0\n"
        "ＢＰ(元), 4\n"
        "ＣＰ, 0\n"
        "ＣＰ(元), 0\n"
        "価格, 9200\n"
        "価格(元), 8200\n"
        "\n"
        "[移動]\n"
        "ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ, 移動：6, 旋回：2, ＣＰ：0, ＢＰ：0, 価格：0, 備考：標準装備の走行輪\n"
        "\n"
        "[武器]\n"
        "ｱｰﾑﾊﾟﾝﾁ(火薬式), 威力：7, 命中：+1/+1/0/0, 回数：3, 射程：0, 連射：×, 間接：×, ＣＰ：0, ＢＰ：0, 価格：500, 備考：火薬で打ち出す,使い捨て\n"
        "ｱｰﾑﾊﾟﾝﾁ(火薬式), 威力：7, 命中：+1/+1/0/0, 回数：3, 射程：0, 連射：×, 間接：×, ＣＰ：0, ＢＰ：0, 価格：500, 備考：火薬で打ち出す,使い捨て\n"
        "\n"
        "[その他]\n"
        "\n");
    EXPECT_EQ(kr::BuildClipboardText(designer->Sheet), expected);
}

TEST(HtmlReport, EmptySheetGivesEveryTableWithItsHeaderRowOnly) {
    const std::string expected =
        Crlf(PageTop("", "", "", "", "", "", "", "", "", "", "0", "", "", "", "0") + std::string(MoveTableHead) +
             std::string(TableEnd) + std::string(WeaponTableHead) + std::string(TableEnd) +
             std::string(OptionTableHead) + std::string(PageEnd));
    const std::string page = kr::BuildHtmlPage(kr::UnitSheet{});
    EXPECT_EQ(page, expected);
    EXPECT_EQ(page.substr(0, 6), "<html>");  // no byte-order mark
}

TEST_F(HandMadeSheetReport, HtmlPrintsEveryColumnWithSourceTextsEscaped) {
    const std::string expected = Crlf(
        PageTop("ﾃｽﾄ機&lt;改&gt; &amp; &quot;弐&quot;, 二号", "M", "7", "+2", "6", "0", "5", "-3", "4", "+1",
                "-1", "5", "12345", "20", "8200") +
        std::string(MoveTableHead) +
        "        <tr>\n"
        "          <td>ﾎｲｰﾙ</td>\n"
        "          <td align=\"Center\">7</td>\n"
        "          <td align=\"Center\">2</td>\n"
        "          <td align=\"Center\">1</td>\n"
        "          <td align=\"Center\">0</td>\n"
        "          <td align=\"Center\">300</td>\n"
        "          <td align=\"Center\">整地のみ</td>\n"
        "        </tr>\n" +
        std::string(TableEnd) + std::string(WeaponTableHead) +
        "          <tr>\n"
        "          <td>ﾐｻｲﾙﾎﾟｯﾄﾞ</td>\n"
        "          <td align=\"Center\">9</td>\n"
        "          <td align=\"Center\">+2</td>\n"
        "          <td align=\"Center\">4</td>\n"
        "          <td align=\"Center\">8</td>\n"
        "          <td align=\"Center\">×</td>\n"
        "          <td align=\"Center\">○</td>\n"
        "          <td align=\"Center\">2</td>\n"
        "          <td align=\"Center\">3</td>\n"
        "          <td align=\"Center\">1200</td>\n"
        "          <td align=\"Center\">&lt;装填&gt;&amp;再</td>\n"
        "        </tr>\n"
        "          <tr>\n"
        "          <td>└ﾘﾛｰﾄﾞ</td>\n"
        "          <td align=\"Center\">12</td>\n"
        "          <td align=\"Center\">+1/0/-1/+2</td>\n"
        "          <td align=\"Center\">∞</td>\n"
        "          <td align=\"Center\">3</td>\n"
        "          <td align=\"Center\">○</td>\n"
        "          <td align=\"Center\">×</td>\n"
        "          <td align=\"Center\">0</td>\n"
        "          <td align=\"Center\">1</td>\n"
        "          <td align=\"Center\">50</td>\n"
        "          <td align=\"Center\"> </td>\n"
        "        </tr>\n" +
        std::string(TableEnd) + std::string(OptionTableHead) +
        "      <tr>\n"
        "        <td>照準器</td>\n"
        "        <td>射撃+1, &quot;良&quot;</td>\n"
        "        <td align=\"Center\">2</td>\n"
        "        <td align=\"Center\">1</td>\n"
        "        <td align=\"Center\">800</td>\n"
        "      </tr>\n" +
        std::string(PageEnd));
    EXPECT_EQ(kr::BuildHtmlPage(sheet), expected);
}

// Double-byte characters are copied whole; one whose trail byte is 0x5C ("表")
// or a single-byte katakana next to markup changes nothing but the markup.
TEST(HtmlReport, EscapingStepsOverDoubleByteCharacters) {
    kr::UnitSheet sheet;
    sheet.UnitName = IconvCp932("表<ｱ>&ソ\"");
    const std::string page = kr::BuildHtmlPage(sheet);
    EXPECT_NE(page.find(IconvCp932("  <title>表&lt;ｱ&gt;&amp;ソ&quot;</title>\r\n")), std::string::npos);
    EXPECT_NE(page.find(IconvCp932("<h1>表&lt;ｱ&gt;&amp;ソ&quot;</h1>\r\n")), std::string::npos);
}

TEST(HtmlFileWrite, ReplacesAnExistingFileWithExactlyThePage) {
    TempDir dir;
    const auto path = dir / "unit.html";
    WriteBytes(path, std::string(5000, 'x'));
    kr::WriteReportFile(path, "<html>\r\n");
    EXPECT_EQ(ReadBytes(path), "<html>\r\n");
}

TEST(HtmlFileWrite, UncreatableFileNamesThePath) {
    TempDir dir;
    WriteBytes(dir / "plain", "not a folder");
    const auto path = dir / "plain" / "unit.html";
    EXPECT_EQ(ErrorOf([&] { kr::WriteReportFile(path, "<html>\r\n"); }), "ファイル " + path.string() + " を作成できません");
}

// A page small enough to sit in the stream's buffer fails only when the file
// is closed: that failure is a write error too.
TEST(HtmlFileWrite, FullDeviceGivesTheStreamWriteError) {
    ASSERT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_EQ(ErrorOf([] { kr::WriteReportFile("/dev/full", std::string(100, 'x')); }), "ストリームへの書き込みエラー");
}
