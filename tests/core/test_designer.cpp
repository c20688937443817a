// Commands of a design session without windows: the stock models, the
// rebuild of option and move lists from the pickers' ticks, and deleting
// weapon rows with their follow-up rows.
#include "core_kit.h"

#include <gtest/gtest.h>

using namespace kr;
using namespace testkit;

namespace {

struct Session : ::testing::Test {
    std::unique_ptr<Designer> designer = NewDesigner();
};

TEST_F(Session, StockModelsSetClassFiguresRowsAndName) {
    struct Expected {
        const char* cls;
        std::vector<std::int32_t> figures;  // as BaseFigures lists them
        Texts moves, weapons, options;
        const char* name;
    };
    const Expected models[] = {
        {"M", {0, 0, 0, 5, 20, 6, 6, 0, 0, 4, 8200}, IconvCp932({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}),
         IconvCp932({"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}), {}, "KRM-11-LS グラナイト"},
        {"H", {0, 0, -7, 6, 30, 7, 7, 0, -1, 4, 16900}, IconvCp932({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}), {"11mmMG"}, {},
         "KRH-21-LS バサルト"},
        {"H", {0, 0, -5, 6, 25, 7, 7, 0, 0, 5, 18200}, IconvCp932({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}),
         IconvCp932({"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "ｱｰﾑﾊﾟﾝﾁ(火薬式)"}), {}, "KRH-22-LS オブシディアン"},
        {"H", {1, 1, -4, 6, 25, 7, 8, 0, -1, 5, 9000}, IconvCp932({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}),
         IconvCp932({"ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"}), IconvCp932({"出力強化Lv1", "ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工"}),
         "KRH-X31-LS クォーツ"},
        {"H", {0, 0, -10, 6, 35, 7, 7, 0, 0, 5, 13200}, IconvCp932({"ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ", "宇宙用ﾊﾞｰﾆｱ"}), {}, {},
         "KRS-41-LA ドロマイト"},
    };
    for (int number = 1; number <= TemplateCount; ++number) {
        const Expected& e = models[number - 1];
        // Twice in a row gives the same sheet, not doubled rows.
        ApplyTemplate(*designer, number);
        ApplyTemplate(*designer, number);
        const UnitSheet& s = designer->Sheet;
        SCOPED_TRACE(TemplateCaption(number));
        EXPECT_EQ(s.UnitClass, e.cls);
        EXPECT_EQ(BaseFigures(s), e.figures);
        EXPECT_EQ(Captions(s.Moves), e.moves);
        EXPECT_EQ(Captions(s.Weapons), e.weapons);
        EXPECT_EQ(Captions(s.Options), e.options);
        EXPECT_EQ(s.UnitName, IconvCp932(e.name));
        EXPECT_TRUE(s.ListsEnabled);
        EXPECT_EQ(s.Boxes.Class, e.cls);
        // The pickers' ticks match the preset equipment.
        EXPECT_EQ(Ticked(designer->MovePicker), e.moves);
        EXPECT_EQ(Ticked(designer->OptionPicker).size(), e.options.size());
    }
}

TEST_F(Session, TemplateClearsRememberedFilesAndEarlierTicks) {
    designer->OpenFileName = "/tmp/a.kr";
    designer->SaveFileName = "/tmp/a.kr";
    designer->HtmlFileName = "/tmp/a.html";
    for (std::size_t i = 0; i < designer->OptionPicker.Count(); ++i) designer->OptionPicker.Row(i).Checked = true;
    ApplyTemplate(*designer, 1);
    EXPECT_TRUE(designer->OpenFileName.empty());
    EXPECT_TRUE(designer->SaveFileName.empty());
    EXPECT_EQ(designer->HtmlFileName, "/tmp/a.html");
    EXPECT_TRUE(Ticked(designer->OptionPicker).empty());

    ApplyTemplate(*designer, 4);
    EXPECT_EQ(Ticked(designer->OptionPicker), IconvCp932({"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "出力強化Lv1"}));
    EXPECT_EQ(Ticked(designer->MovePicker), IconvCp932({"ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"}));
}

// The same three options, now in the order the catalog lists them.
TEST_F(Session, RebuildingOptionsFollowsCatalogOrder) {
    ApplyTemplate(*designer, 4);
    RebuildOptionsFromPicker(*designer);
    EXPECT_EQ(Captions(designer->Sheet.Options), IconvCp932({"ﾓﾙｶﾞ製ｾﾝｻｰ", "気密/防水加工", "出力強化Lv1"}));
}

TEST_F(Session, UntickingEveryMoveEmptiesTheList) {
    ApplyTemplate(*designer, 5);
    ClearChecks(designer->MovePicker);
    RebuildMovesFromPicker(*designer);
    EXPECT_EQ(designer->Sheet.Moves.Count(), 0u);
}

TEST_F(Session, MissingPresetNamesAddNothing) {
    Catalogs empty;
    Designer bare(empty);
    FillPickers(bare);
    ApplyTemplate(bare, 4);
    EXPECT_EQ(bare.Sheet.Moves.Count() + bare.Sheet.Weapons.Count() + bare.Sheet.Options.Count(), 0u);
    EXPECT_EQ(bare.Sheet.UnitName, IconvCp932("KRH-X31-LS クォーツ"));
    EXPECT_EQ(bare.Sheet.Boxes[kr::SheetFigure::CP], "-1");
}

// Deleting a weapon row takes its pair along: the row below when that is a
// follow-up row, else the row above when the chosen one is a follow-up row.
// The selection goes to the row now at the place of the first removed row,
// or to the new last row when the removed rows were last.
TEST(DeleteWeaponRow, TakesItsPairAndLeavesTheSelectionInPlace) {
    const struct {
        std::vector<const char*> rows;
        std::size_t selected;
        std::vector<const char*> left;
        long selection;
    } cases[] = {
        {{"X", "└Y", "Z"}, 0, {"Z"}, 0},
        {{"X", "└Y", "Z"}, 1, {"Z"}, 0},
        {{"X", "└Y", "Z"}, 2, {"X", "└Y"}, 1},
        {{"A", "B", "C", "D"}, 1, {"A", "C", "D"}, 1},
        {{"A", "B", "└b", "C", "D"}, 2, {"A", "C", "D"}, 1},
        {{"└A", "B"}, 0, {"B"}, 0},
        {{"W", "└A", "└B"}, 1, {"W"}, 0},  // the row below is examined first
        {{"X"}, 0, {}, -1},
        {{"X", "Y"}, 2, {"X", "Y"}, -1},  // no row selected: nothing happens
    };
    for (const auto& c : cases) {
        WeaponRows rows;
        for (const char* name : c.rows)
            rows.Append(&WeaponEntry(std::string("W,") + name + ",k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n"));
        SCOPED_TRACE(std::string(c.rows[0]) + "... row " + std::to_string(c.selected));
        EXPECT_EQ(DeleteWeaponRow(rows, c.selected), c.selection);
        Texts left;
        for (const char* name : c.left) left.push_back(IconvCp932(name));
        EXPECT_EQ(Captions(rows), left);
    }
}

}  // namespace

// The tooltips of the figure boxes tell the sums Recalculate made, one
// worked example per figure (template 4 over the shipped catalogs).
TEST_F(Session, TooltipsTellTheSumBehindEachFigure) {
    ApplyTemplate(*designer, 4);
    const UnitSheet& sheet = designer->Sheet;
    const auto tip = [&](SheetFigure figure) { return FigureExplanation(sheet, figure); };
    EXPECT_EQ(tip(SheetFigure::Power), IconvCp932("パワー 8 = 基本 7 + 出力強化Lv1 +1"));
    EXPECT_EQ(tip(SheetFigure::Sensor), IconvCp932("センサー +2 = 基本 0 + ﾓﾙｶﾞ製ｾﾝｻｰ +2"));
    EXPECT_EQ(tip(SheetFigure::Fire), IconvCp932("射撃修正 +1 = 基本 +1"));
    EXPECT_EQ(tip(SheetFigure::Evasion), IconvCp932("回避修正 -4 = 基本 -4"));
    EXPECT_EQ(tip(SheetFigure::Durability), IconvCp932("耐久力 25 = 基本 25"));
    EXPECT_EQ(tip(SheetFigure::Melee), IconvCp932("格闘修正 +1 = 基本 +1"));
    EXPECT_EQ(tip(SheetFigure::Armor), IconvCp932("装甲 6 = 基本 6"));
    EXPECT_EQ(tip(SheetFigure::Punch), IconvCp932("パンチ 8 = 基本 8"));
    EXPECT_EQ(tip(SheetFigure::CP), IconvCp932("カスタムポイント 2 = 基本 -1 + 出力強化Lv1 +1 + ﾓﾙｶﾞ製ｾﾝｻｰ +1"
                                               " + ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式) +1"));
    EXPECT_EQ(tip(SheetFigure::Price), IconvCp932("価格 14400 = 基本 9000 + 装備 +5400\n  出力強化Lv1 +1000\n"
                                                  "  ﾓﾙｶﾞ製ｾﾝｻｰ +1200\n  気密/防水加工 +600\n"
                                                  "  ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式) +2600"));
    EXPECT_EQ(tip(SheetFigure::Backpack), IconvCp932("積載 1 ≦ 容量 5 (クラス H)\n  ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式) +1"));
    EXPECT_EQ(ClassExplanation(sheet), IconvCp932("クラス H: 容量 5、クラスによる CP の増しはなし"));

    // On template 1 (class M) a launcher of class H costs its CP and the
    // surcharge, repeated weapons read once with their count, and a load
    // above the capacity says so.
    ApplyTemplate(*designer, 1);
    for (const char* name : {"6連装ﾐｻｲﾙﾗﾝﾁｬｰ", "120mm榴弾砲", "└砲弾ﾗｯｸ"})
        AddWeaponRow(&designer->Sheet.Weapons, ShippedCatalogs().Weapon.FindByName(IconvCp932(name)));
    Recalculate(designer->Sheet);
    EXPECT_EQ(tip(SheetFigure::CP), IconvCp932("カスタムポイント 4 = 基本 0 + 6連装ﾐｻｲﾙﾗﾝﾁｬｰ +1"
                                               " + クラス超過 (6連装ﾐｻｲﾙﾗﾝﾁｬｰ) +1 + 120mm榴弾砲 +2"));
    EXPECT_EQ(tip(SheetFigure::Backpack), IconvCp932("積載 7 > 容量 4 (クラス M)\n  6連装ﾐｻｲﾙﾗﾝﾁｬｰ +2\n"
                                                     "  120mm榴弾砲 +3\n  └砲弾ﾗｯｸ +2"));
    EXPECT_EQ(tip(SheetFigure::Price), IconvCp932("価格 15700 = 基本 8200 + 装備 +7500\n  ｱｰﾑﾊﾟﾝﾁ(火薬式) ×2 +1000\n"
                                                  "  6連装ﾐｻｲﾙﾗﾝﾁｬｰ +2400\n  120mm榴弾砲 +3500\n  └砲弾ﾗｯｸ +600"));
    EXPECT_EQ(ClassExplanation(designer->Sheet), IconvCp932("クラス M: 容量 4、クラス H の装備は CP +1"));

    // Up to four pieces of equipment stand on the first line; a fifth puts
    // each on a line of its own under the sum of them all.
    ApplyTemplate(*designer, 4);
    const auto addWeapon = [&](const char* name) {
        AddWeaponRow(&designer->Sheet.Weapons, ShippedCatalogs().Weapon.FindByName(IconvCp932(name)));
        Recalculate(designer->Sheet);
    };
    addWeapon("20mmｵｰﾄｷｬﾉﾝ");
    EXPECT_EQ(tip(SheetFigure::CP), IconvCp932("カスタムポイント 3 = 基本 -1 + 出力強化Lv1 +1 + ﾓﾙｶﾞ製ｾﾝｻｰ +1"
                                               " + ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式) +1 + 20mmｵｰﾄｷｬﾉﾝ +1"));
    addWeapon("57mm無反動砲");
    EXPECT_EQ(tip(SheetFigure::CP), IconvCp932("カスタムポイント 4 = 基本 -1 + 装備 +5\n  出力強化Lv1 +1\n  ﾓﾙｶﾞ製ｾﾝｻｰ +1\n"
                                               "  ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式) +1\n  20mmｵｰﾄｷｬﾉﾝ +1\n  57mm無反動砲 +1"));

    // Before the first recalculation there is nothing to tell.
    Designer fresh(ShippedCatalogs());
    EXPECT_EQ(FigureExplanation(fresh.Sheet, SheetFigure::Power), "");
}
