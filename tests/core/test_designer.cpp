// Commands of a design session without windows: the stock models, the
// rebuild of option and move lists from the pickers' ticks, and deleting
// weapon rows with their follow-up rows.
#include "designer.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

using namespace kr;
using testkit::IconvCp932;

namespace {

struct Session : ::testing::Test {
    Catalogs catalogs;
    std::unique_ptr<Designer> designer;
    void SetUp() override {
        ASSERT_TRUE(LoadCatalogs(catalogs, testkit::ShippedData()).empty());
        designer = std::make_unique<Designer>(catalogs);
        FillPickers(*designer);
    }
    template <class Entry>
    static std::vector<std::string> Captions(const RowList<Entry>& list) {
        std::vector<std::string> captions;
        for (std::size_t i = 0; i < list.Count(); ++i) captions.emplace_back(list.Caption(i));
        return captions;
    }
    template <class Entry>
    static std::vector<std::string> Ticked(const PickerRows<Entry>& picker) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < picker.Count(); ++i)
            if (picker.Row(i).Checked) names.emplace_back(picker.Caption(i));
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(Session, StockModelsSetClassFiguresRowsAndName) {
    struct Expected {
        const char* cls;
        std::int32_t fire, melee, evasion, armor, durability, power, punch, sensor, cp, capacity, price;
        Names moves, weapons, options;
        const char* name;
    };
    const Expected models[] = {
        {"M", 0, 0, 0, 5, 20, 6, 6, 0, 0, 4, 8200, {IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ")},
         {IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式)"), IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式)")}, {}, "KRM-11-LS グラナイト"},
        {"H", 0, 0, -7, 6, 30, 7, 7, 0, -1, 4, 16900, {IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ")}, {"11mmMG"}, {},
         "KRH-21-LS バサルト"},
        {"H", 0, 0, -5, 6, 25, 7, 7, 0, 0, 5, 18200, {IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ")},
         {IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式)"), IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式)")}, {}, "KRH-22-LS オブシディアン"},
        {"H", 1, 1, -4, 6, 25, 7, 8, 0, -1, 5, 9000, {IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ")}, {IconvCp932("ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)")},
         {IconvCp932("出力強化Lv1"), IconvCp932("ﾓﾙｶﾞ製ｾﾝｻｰ"), IconvCp932("気密/防水加工")}, "KRH-X31-LS クォーツ"},
        {"H", 0, 0, -10, 6, 35, 7, 7, 0, 0, 5, 13200, {IconvCp932("ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ"), IconvCp932("宇宙用ﾊﾞｰﾆｱ")}, {}, {},
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
        EXPECT_EQ(s.BaseFire, e.fire);
        EXPECT_EQ(s.BaseMelee, e.melee);
        EXPECT_EQ(s.BaseEvasion, e.evasion);
        EXPECT_EQ(s.BaseArmor, e.armor);
        EXPECT_EQ(s.BaseDurability, e.durability);
        EXPECT_EQ(s.BasePower, e.power);
        EXPECT_EQ(s.BasePunch, e.punch);
        EXPECT_EQ(s.BaseSensor, e.sensor);
        EXPECT_EQ(s.BaseCP, e.cp);
        EXPECT_EQ(s.BackpackCapacity, e.capacity);
        EXPECT_EQ(s.BasePrice, e.price);
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
    Names ticked = Ticked(designer->OptionPicker);
    std::sort(ticked.begin(), ticked.end());
    Names expected{IconvCp932("出力強化Lv1"), IconvCp932("ﾓﾙｶﾞ製ｾﾝｻｰ"), IconvCp932("気密/防水加工")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ticked, expected);
    EXPECT_EQ(Ticked(designer->MovePicker), Names{IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ")});
}

TEST_F(Session, RebuildingOptionsFollowsCatalogOrder) {
    ApplyTemplate(*designer, 4);
    const Names templateOrder = Captions(designer->Sheet.Options);
    RebuildOptionsFromPicker(*designer);
    // The same three options, now in the order the catalog lists them.
    Names catalogOrder;
    for (std::size_t i = 0; i < catalogs.Option.Count(); ++i) {
        const std::string name(catalogs.Option.EntryByIndex(i)->Name);
        if (std::find(templateOrder.begin(), templateOrder.end(), name) != templateOrder.end())
            catalogOrder.push_back(name);
    }
    EXPECT_EQ(Captions(designer->Sheet.Options), catalogOrder);
    EXPECT_NE(templateOrder, catalogOrder) << "the shipped catalog should list them in another order";
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
    EXPECT_EQ(bare.Sheet.Boxes.CP, "-1");
}

// Weapon rows X, Y, Z where only the captions given start with "└".
struct Deletion : ::testing::Test {
    // The texts the entries view, kept as a catalog keeps its file's bytes.
    std::deque<std::string> texts;
    std::deque<TKrWeapon> entries;
    WeaponRows rows;
    void Rows(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            TKrWeapon& e = entries.emplace_back();
            e.Name = texts.emplace_back(IconvCp932(name));
            e.CP = 1;
            rows.Append(&e);
        }
    }
    Names Left() const {
        Names names;
        for (std::size_t i = 0; i < rows.Count(); ++i) names.emplace_back(rows.Caption(i));
        return names;
    }
};

TEST_F(Deletion, WeaponTakesItsFollowUpRow) {
    Rows({"X", "└Y", "Z"});
    EXPECT_EQ(DeleteWeaponRow(rows, 0), 0);
    EXPECT_EQ(Left(), Names{"Z"});
}

TEST_F(Deletion, FollowUpRowTakesTheRowAbove) {
    Rows({"X", "└Y", "Z"});
    EXPECT_EQ(DeleteWeaponRow(rows, 1), 0);
    EXPECT_EQ(Left(), Names{"Z"});
}

TEST_F(Deletion, PlainRowGoesAlone) {
    Rows({"X", "└Y", "Z"});
    EXPECT_EQ(DeleteWeaponRow(rows, 2), 1);  // the focus moves to the new last row
    EXPECT_EQ(Left(), (Names{"X", IconvCp932("└Y")}));
}

TEST_F(Deletion, FollowUpAsFirstRowGoesAlone) {
    Rows({"└A", "B"});
    EXPECT_EQ(DeleteWeaponRow(rows, 0), 0);
    EXPECT_EQ(Left(), Names{"B"});
}

TEST_F(Deletion, RowBelowIsExaminedBeforeRowAbove) {
    // A follow-up row followed by another follow-up row takes the one below.
    Rows({"W", "└A", "└B"});
    DeleteWeaponRow(rows, 1);
    EXPECT_EQ(Left(), Names{"W"});
}

TEST_F(Deletion, LastRemainingRowLeavesNothingSelected) {
    Rows({"X"});
    EXPECT_EQ(DeleteWeaponRow(rows, 0), -1);
    EXPECT_TRUE(rows.Empty());
    EXPECT_EQ(DeleteWeaponRow(rows, 0), -1);  // nothing selected: nothing happens
}

TEST_F(Deletion, FiguresNoLongerCountRemovedRows) {
    UnitSheet sheet;
    Rows({"X", "└Y", "Z"});
    for (std::size_t i = 0; i < rows.Count(); ++i) sheet.Weapons.Append(rows.Data(i));
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.CP, "3");
    DeleteWeaponRow(sheet.Weapons, 1);
    Recalculate(sheet);
    EXPECT_EQ(sheet.Boxes.CP, "1");
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
        AddWeaponRow(&designer->Sheet.Weapons, catalogs.Weapon.FindByName(IconvCp932(name)));
    Recalculate(designer->Sheet);
    EXPECT_EQ(tip(SheetFigure::CP), IconvCp932("カスタムポイント 4 = 基本 0 + 6連装ﾐｻｲﾙﾗﾝﾁｬｰ +1"
                                               " + クラス超過 (6連装ﾐｻｲﾙﾗﾝﾁｬｰ) +1 + 120mm榴弾砲 +2"));
    EXPECT_EQ(tip(SheetFigure::Backpack), IconvCp932("積載 7 > 容量 4 (クラス M)\n  6連装ﾐｻｲﾙﾗﾝﾁｬｰ +2\n"
                                                     "  120mm榴弾砲 +3\n  └砲弾ﾗｯｸ +2"));
    EXPECT_EQ(tip(SheetFigure::Price), IconvCp932("価格 15700 = 基本 8200 + 装備 +7500\n  ｱｰﾑﾊﾟﾝﾁ(火薬式) ×2 +1000\n"
                                                  "  6連装ﾐｻｲﾙﾗﾝﾁｬｰ +2400\n  120mm榴弾砲 +3500\n  └砲弾ﾗｯｸ +600"));
    EXPECT_EQ(ClassExplanation(designer->Sheet), IconvCp932("クラス M: 容量 4、クラス H の装備は CP +1"));

    // Before the first recalculation there is nothing to tell.
    Designer fresh(catalogs);
    EXPECT_EQ(FigureExplanation(fresh.Sheet, SheetFigure::Power), "");
}
