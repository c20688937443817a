// krreport --compare: two unit files side by side, on catalogs of our own
// whose figures are easy to add up by hand.
#include "core_kit.h"
#include "unit_compare.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace testkit;

// The preset equipment of templates 2 and 4. Unit class "H" takes every
// entry in class.
//   move ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ: price 0, CP 0, BP 0
//   11mmMG: price 600, CP 0, BP 1
//   ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式): price 2600, CP 1, BP 2
//   出力強化Lv1: price 1000, CP 1, BP 1, melee +1, power +1
//   ﾓﾙｶﾞ製ｾﾝｻｰ: price 1200, CP 1, sensor +2
//   気密/防水加工: price 600, evasion -1, armour +1
void WriteCatalogs(const TempDir& dir) {
    WriteBytes(dir / "move.csv", MoveHeader() + IconvCp932("M1,ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ,車輪,0,0,0,L,6,1,2,0,走行輪\r\n"));
    WriteBytes(dir / "weapon.csv",
               WeaponHeader() + IconvCp932("W1,11mmMG,機関銃,0,600,0,1,L,3,1,0,-1,-2,4,,0,1,0,機関銃\r\n"
                  "W2,ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式),格闘,0,2600,1,2,H,-2,0,0,-1,-1,0,,0,0,0,盾\r\n"));
    WriteBytes(dir / "option.csv",
               OptionHeader() + IconvCp932("O1,出力強化Lv1,1000,1,1,M,0,1,0,0,1,0,0,0,出力\r\n"
                  "O2,ﾓﾙｶﾞ製ｾﾝｻｰ,1200,1,0,M,0,0,0,0,0,2,0,0,センサー\r\n"
                  "O3,気密/防水加工,600,0,0,L,0,0,-1,1,0,0,0,0,防水\r\n"));
}

class CompareTemplates : public ::testing::Test {
protected:
    void SetUp() override {
        WriteCatalogs(dir);
        ASSERT_TRUE(kr::LoadCatalogs(catalogs, dir.Path()).empty());
        Save(2, second);
        Save(4, fourth);
    }
    // Saves a template as the designer's save command writes it.
    void Save(int number, const fs::path& path) {
        const auto designer = NewDesigner(catalogs);
        kr::ApplyTemplate(*designer, number);
        kr::WriteUnitFile(path, designer->Sheet);
    }
    std::vector<std::string> Args(const std::vector<std::string>& extra) {
        std::vector<std::string> args{"--catalogs", dir.Path().string(), "--compare"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    TempDir dir;
    kr::Catalogs catalogs;
    const fs::path second = dir / "t2.kr";
    const fs::path fourth = dir / "t4.kr";
};

// Template 2 against template 4. Loading derives the backpack capacity from
// the class, so both have 5 ("H"), whatever the templates set.
TEST_F(CompareTemplates, TwoTemplatesSideBySide) {
    const ToolRun run = RunKrReport(Args({second.string(), fourth.string()}));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, "A: " + second.string() + "\r\n" + "B: " + fourth.string() + "\r\n" +
                           IconvCp932("\r\n"
                              "[基本性能]\r\n"
                              "項目      A                   B                    B-A\r\n"
                              "名称      KRH-21-LS バサルト  KRH-X31-LS クォーツ  ≠\r\n"
                              "クラス    H                   H\r\n"
                              "射撃修正  0                   +1                   +1\r\n"
                              "格闘修正  0                   +2                   +2\r\n"
                              "回避修正  -7                  -5                   +2\r\n"
                              "センサー  0                   +2                   +2\r\n"
                              "装甲      6                   7                    +1\r\n"
                              "耐久力    30                  25                   -5\r\n"
                              "パワー    7                   8                    +1\r\n"
                              "パンチ    7                   8                    +1\r\n"
                              "ＢＰ      1                   3                    +2\r\n"
                              "ＢＰ(元)  5                   5                    0\r\n"
                              "ＣＰ      -1                  2                    +3\r\n"
                              "ＣＰ(元)  -1                  -1                   0\r\n"
                              "価格      17500               14400                -3100\r\n"
                              "価格(元)  16900               9000                 -7900\r\n"
                              "\r\n"
                              "[移動]\r\n"
                              "Aのみ: 0 行\r\n"
                              "Bのみ: 0 行\r\n"
                              "共通: 1 行\r\n"
                              "\r\n"
                              "[武器]\r\n"
                              "Aのみ: 1 行\r\n"
                              "  11mmMG\r\n"
                              "Bのみ: 1 行\r\n"
                              "  ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)\r\n"
                              "共通: 0 行\r\n"
                              "\r\n"
                              "[その他]\r\n"
                              "Aのみ: 0 行\r\n"
                              "Bのみ: 3 行\r\n"
                              "  出力強化Lv1\r\n"
                              "  ﾓﾙｶﾞ製ｾﾝｻｰ\r\n"
                              "  気密/防水加工\r\n"
                              "共通: 0 行\r\n"));
}

// Every number differs by 0, the name not at all, and every row is in both.
TEST_F(CompareTemplates, IdenticalFilesDifferInNothing) {
    const ToolRun run = RunKrReport(Args({"--utf8", fourth.string(), fourth.string()}));
    EXPECT_EQ(run.Status, 0);
    const std::string& out = run.Out;
    EXPECT_NE(out.find("項目      A                    B                    B-A\r\n"
                       "名称      KRH-X31-LS クォーツ  KRH-X31-LS クォーツ\r\n"
                       "クラス    H                    H\r\n"
                       "射撃修正  +1                   +1                   0\r\n"),
              std::string::npos);
    std::size_t zeros = 0;
    for (std::size_t at = out.find(" 0\r\n"); at != std::string::npos; at = out.find(" 0\r\n", at + 1)) ++zeros;
    EXPECT_EQ(zeros, 14u);
    EXPECT_NE(out.find("[移動]\r\nAのみ: 0 行\r\nBのみ: 0 行\r\n共通: 1 行\r\n\r\n"
                       "[武器]\r\nAのみ: 0 行\r\nBのみ: 0 行\r\n共通: 1 行\r\n\r\n"
                       "[その他]\r\nAのみ: 0 行\r\nBのみ: 0 行\r\n共通: 3 行\r\n"),
              std::string::npos);
}

TEST_F(CompareTemplates, AFileThatCannotBeReadExitsWithOne) {
    const fs::path missing = dir / "missing.kr";
    const ToolRun run = RunKrReport(Args({second.string(), missing.string()}));
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "krreport: " + CannotOpen(missing) + "\n");
}

// A weapon twice in A and once in B is one row only in A; the rows only in
// one design keep that design's order.
TEST(CompareRows, RepeatsAreCounted) {
    const std::string rackName = IconvCp932("└rack");
    kr::TKrWeapon gun, blade, rack;
    gun.Name = "gun";
    blade.Name = "blade";
    rack.Name = rackName;
    kr::UnitSheet a, b;
    for (const kr::TKrWeapon* weapon : {&gun, &blade, &gun, &rack}) kr::AddWeaponRow(&a.Weapons, weapon);
    for (const kr::TKrWeapon* weapon : {&rack, &gun, &rack}) kr::AddWeaponRow(&b.Weapons, weapon);
    const std::string text = kr::BuildUnitComparison(a, b, "a.kr", "b.kr");
    EXPECT_NE(text.find(IconvCp932("[武器]\r\n"
                           "Aのみ: 2 行\r\n"
                           "  gun\r\n"
                           "  blade\r\n"
                           "Bのみ: 1 行\r\n"
                           "  └rack\r\n"
                           "共通: 2 行\r\n")),
              std::string::npos)
        << text;
}

}  // namespace
