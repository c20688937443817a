// How entries read as list rows, picker ticks, weapon pairing on add, and the
// Shift_JIS marks the rows use.
#include "codec.h"
#include "com.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

using testkit::IconvCp932;

// ---------------------------------------------------------------- codec

TEST(Codec, MarksOfTheRowsHaveTheirCodePage932Bytes) {
    EXPECT_EQ(kr::Sjis("∞"), "\x81\x87");
    EXPECT_EQ(kr::Sjis("└"), "\x84\xA4");
    EXPECT_EQ(kr::Sjis("○"), "\x81\x9B");
    EXPECT_EQ(kr::Sjis("×"), "\x81\x7E");
    EXPECT_EQ(kr::Sjis("～"), "\x81\x60");
    EXPECT_EQ(kr::Sjis("①"), "\x87\x40");
    EXPECT_EQ(kr::Sjis("ｱｰﾑ"), "\xB1\xB0\xD1");
    EXPECT_EQ(kr::Sjis("11mmMG"), "11mmMG");
}

TEST(Codec, RoundTripThroughUtf8) {
    for (const char* text : {"∞└○×～①", "ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ", "KRH-X31-LS クォーツ", "ソ表能", "気密/防水加工", ""}) {
        const std::string bytes = IconvCp932(text);
        EXPECT_EQ(kr::Cp932ToUtf8(bytes), text);
        EXPECT_EQ(kr::Utf8ToCp932(text), bytes);
    }
}

TEST(Codec, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(kr::Cp932ToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(kr::Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(kr::Cp932ToUtf8("\xA0\xA0" "c"), "\xEF\xBF\xBD\xEF\xBF\xBD" "c");
    // The conversion goes on after a bad byte.
    EXPECT_EQ(kr::Cp932ToUtf8("\xFF\x81\x87"), "\xEF\xBF\xBD∞");
}

TEST(Codec, TextWithoutACodePage932FormIsRefused) {
    EXPECT_EQ(kr::Utf8ToCp932("ß"), std::nullopt);
    EXPECT_EQ(kr::Utf8ToCp932("abc€"), std::nullopt);
    EXPECT_EQ(kr::Utf8ToCp932("\xC3"), std::nullopt);  // cut-short UTF-8
    // Would be stored as the bytes of another character ("\" and "～").
    EXPECT_EQ(kr::Utf8ToCp932("¥"), std::nullopt);
    EXPECT_EQ(kr::Utf8ToCp932("〜"), std::nullopt);
    EXPECT_THROW(kr::Sjis("ß"), std::logic_error);
}

// ---------------------------------------------------------------- cell texts

TEST(SignedText, SignOnlyAboveZero) {
    EXPECT_EQ(kr::SignedText(3), "+3");
    EXPECT_EQ(kr::SignedText(0), "0");
    EXPECT_EQ(kr::SignedText(-2), "-2");
    EXPECT_EQ(kr::SignedText(INT32_MAX), "+2147483647");
    EXPECT_EQ(kr::SignedText(INT32_MIN), "-2147483648");
}

TEST(IsFollowUpName, FirstCharacterIsTheCornerMark) {
    EXPECT_TRUE(kr::IsFollowUpName(IconvCp932("└予備弾倉")));
    EXPECT_FALSE(kr::IsFollowUpName(IconvCp932("予備└")));
    EXPECT_FALSE(kr::IsFollowUpName(IconvCp932("┘予備")));
    EXPECT_FALSE(kr::IsFollowUpName("\x84"));
}

// Entries as the loader makes them from one catalog line. The catalog stays
// for the rest of the run, as catalogs do, since the entry views its bytes.
template <class Catalog>
auto EntryFrom(const std::string& line) {
    static std::deque<Catalog> catalogs;
    Catalog& catalog = catalogs.emplace_back();
    catalog.LoadCatalogText("header\r\n" + line);
    return *catalog.EntryByIndex(0);
}
kr::TKrOption SampleOption() {
    return EntryFrom<kr::TKROptionList>(IconvCp932("O9,ﾓﾙｶﾞ製ｾﾝｻｰ,1200,1,0,M,0,0,0,0,0,2,0,0,センサー+2"));
}
kr::TKrMove SampleMove() {
    return EntryFrom<kr::TKRMoveList>(IconvCp932("M1,ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ,車輪,150,-1,2,L,6,1,3,0"));
}
kr::TKrWeapon SampleWeapon() {
    return EntryFrom<kr::TKRWeaponList>(IconvCp932("W1,11mmMG,機関銃,0,600,0,1,L,3,1,0,-1,2,4,,0,1,0,標準的な機関銃"));
}

TEST(OptionRow, CellsInColumnOrder) {
    const kr::TKrOption o = SampleOption();
    const std::vector<std::string> expected{IconvCp932("ﾓﾙｶﾞ製ｾﾝｻｰ"), "1200", "1", "0", "M", IconvCp932("センサー+2")};
    for (int column = 0; column < kr::OptionRows::ColumnCount; ++column)
        EXPECT_EQ(kr::OptionCell(o, column), expected[static_cast<std::size_t>(column)]) << column;
}

TEST(MoveRow, CellsInColumnOrder) {
    const kr::TKrMove m = SampleMove();
    const std::vector<std::string> expected{IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"), "150", "-1", "2", "6", "3", "L", " "};
    for (int column = 0; column < kr::MoveRows::ColumnCount; ++column)
        EXPECT_EQ(kr::MoveCell(m, column), expected[static_cast<std::size_t>(column)]) << column;
}

TEST(WeaponRow, CellsInColumnOrder) {
    const kr::TKrWeapon w = SampleWeapon();
    const std::vector<std::string> expected{
        "11mmMG", IconvCp932("機関銃"), "600", "0", "1", "3", "+1/0/-1/+2", IconvCp932("∞"), "4", IconvCp932("○"), IconvCp932("×"), "L", IconvCp932("標準的な機関銃")};
    for (int column = 0; column < kr::WeaponRows::ColumnCount; ++column)
        EXPECT_EQ(kr::WeaponCell(w, column), expected[static_cast<std::size_t>(column)]) << column;
}

TEST(WeaponRow, NegativeDamageReadsAsPowerPlus) {
    kr::TKrWeapon w = SampleWeapon();
    const std::vector<std::pair<std::int32_t, std::string>> cases{
        {0, "0"}, {12, "12"}, {-1, "P+1"}, {-2, "P+2"}, {INT32_MIN, "P+2147483648"}};
    for (const auto& [damage, text] : cases) {
        w.Damage = damage;
        EXPECT_EQ(kr::WeaponCell(w, 5), text) << damage;
    }
}

TEST(WeaponRow, HitModeOneShowsOnlyTheFirstModifier) {
    kr::TKrWeapon w = SampleWeapon();
    w.Hit1 = 2;
    w.Hit2 = 5;
    w.Hit3 = -7;
    w.Hit4 = 9;
    w.HitMode = 1;
    EXPECT_EQ(kr::WeaponCell(w, 6), "+2");
    for (std::uint8_t mode : {0, 2, 255}) {
        w.HitMode = mode;
        EXPECT_EQ(kr::WeaponCell(w, 6), "+2/+5/-7/+9") << int(mode);
    }
    w.HitMode = 0;
    w.Hit1 = w.Hit2 = w.Hit3 = w.Hit4 = 0;
    EXPECT_EQ(kr::WeaponCell(w, 6), "0/0/0/0");
}

TEST(WeaponRow, BlankCountReadsAsUnlimited) {
    kr::TKrWeapon w = SampleWeapon();
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", IconvCp932("∞")},        {"   ", IconvCp932("∞")},   {"\t\x01 ", IconvCp932("∞")}, {std::string(1, '\0'), IconvCp932("∞")},
        {"2", "2"},           {" 2 ", " 2 "},     {IconvCp932("３"), IconvCp932("３")},  {IconvCp932("　"), IconvCp932("　")}};
    for (const auto& [count, text] : cases) {
        w.Count = count;
        EXPECT_EQ(kr::WeaponCell(w, 7), text);
    }
}

TEST(WeaponRow, OnlyOneMeansYesForRapidAndIndirect) {
    kr::TKrWeapon w = SampleWeapon();
    for (std::uint8_t value : {0, 2, 255}) {
        w.Rapid = value;
        w.Indirect = value;
        EXPECT_EQ(kr::WeaponCell(w, 9), IconvCp932("×")) << int(value);
        EXPECT_EQ(kr::WeaponCell(w, 10), IconvCp932("×")) << int(value);
    }
    // Rapid fire comes first in the row although it is the later file column.
    w.Rapid = 0;
    w.Indirect = 1;
    EXPECT_EQ(kr::WeaponCell(w, 9), IconvCp932("×"));
    EXPECT_EQ(kr::WeaponCell(w, 10), IconvCp932("○"));
}

TEST(WeaponRow, FallbackSpaceNotesStayASpace) {
    kr::TKrWeapon w = SampleWeapon();
    w.Notes = " ";
    EXPECT_EQ(kr::WeaponCell(w, 12), " ");
    kr::TKrOption o = SampleOption();
    o.Effect = " ";
    EXPECT_EQ(kr::OptionCell(o, 5), " ");
}

// ---------------------------------------------------------------- row lists

TEST(RowRoutines, NoListOrNoEntryAddsNothing) {
    const kr::TKrOption o = SampleOption();
    const kr::TKrMove m = SampleMove();
    const kr::TKrWeapon w = SampleWeapon();
    kr::OptionRows options;
    kr::MoveRows moves;
    kr::WeaponRows weapons;
    kr::AddOptionRow(&options, nullptr);
    kr::AddMoveRow(&moves, nullptr);
    kr::AddWeaponRow(&weapons, nullptr);
    EXPECT_NO_FATAL_FAILURE(kr::AddOptionRow(nullptr, &o));
    EXPECT_NO_FATAL_FAILURE(kr::AddMoveRow(nullptr, &m));
    EXPECT_NO_FATAL_FAILURE(kr::AddWeaponRow(nullptr, &w));
    EXPECT_TRUE(options.Empty());
    EXPECT_TRUE(moves.Empty());
    EXPECT_TRUE(weapons.Empty());
}

TEST(RowRoutines, SameEntryTwiceGivesTwoRowsOfThatEntry) {
    const kr::TKrWeapon w = SampleWeapon();
    const kr::TKrWeapon other = SampleWeapon();
    kr::WeaponRows rows;
    kr::AddWeaponRow(&rows, &w);
    kr::AddWeaponRow(&rows, &other);
    kr::AddWeaponRow(&rows, &w);
    ASSERT_EQ(rows.Count(), 3u);
    EXPECT_EQ(rows.Data(0), &w);
    EXPECT_EQ(rows.Data(1), &other);
    EXPECT_EQ(rows.Data(2), &w);
    for (int column = 0; column < kr::WeaponRows::ColumnCount; ++column)
        EXPECT_EQ(rows.Cell(0, column), rows.Cell(2, column));
    EXPECT_EQ(rows.Caption(2), "11mmMG");
    EXPECT_FALSE(rows.Row(0).Checked);
}

TEST(RowList, ComputedCellsOverrideTheEntryText) {
    const kr::TKrMove m = SampleMove();
    kr::MoveRows rows;
    kr::AddMoveRow(&rows, &m);
    kr::AddMoveRow(&rows, &m);
    rows.SetCell(0, kr::RowTexts<kr::TKrMove>::MovementColumn, "5");
    rows.SetCell(0, kr::RowTexts<kr::TKrMove>::CPColumn, "0");
    EXPECT_EQ(rows.Cell(0, 4), "5");
    EXPECT_EQ(rows.Cell(0, 2), "0");
    EXPECT_EQ(rows.Cell(0, 5), "3");
    EXPECT_EQ(rows.Cell(1, 4), "6");  // the other row of the same entry is untouched
    EXPECT_EQ(m.Movement, 6);

    rows.SetCell(0, 4, "4");
    EXPECT_EQ(rows.Cell(0, 4), "4");
    EXPECT_EQ(rows.Row(0).Computed.size(), 2u);
    rows.ResetCell(0, 4);
    EXPECT_EQ(rows.Cell(0, 4), "6");
    EXPECT_EQ(rows.Cell(0, 2), "0");
}

TEST(RowList, CopiedRowsKeepTheirOwnComputedCells) {
    const kr::TKrMove m = SampleMove();
    kr::MoveRows rows;
    kr::AddMoveRow(&rows, &m);
    kr::AddMoveRow(&rows, &m);
    EXPECT_EQ(rows.Row(0).Computed.size(), 0u);
    rows.SetCell(0, 4, "5");
    kr::MoveRows copy = rows;
    copy.SetCell(0, 4, "9");
    copy.SetCell(1, 2, "7");
    EXPECT_EQ(rows.Cell(0, 4), "5");
    EXPECT_EQ(rows.Cell(1, 2), "-1");
    EXPECT_EQ(copy.Cell(0, 4), "9");
    EXPECT_EQ(copy.Cell(1, 2), "7");
    rows = copy;
    EXPECT_EQ(rows.Cell(1, 2), "7");
    copy.ResetCell(1, 2);
    EXPECT_EQ(rows.Cell(1, 2), "7");
    EXPECT_EQ(copy.Cell(1, 2), "-1");
    // Removing a row keeps the cells of the rows after it.
    rows.Remove(0);
    EXPECT_EQ(rows.Cell(0, 2), "7");
    EXPECT_EQ(rows.Cell(0, 4), "6");
}

// ---------------------------------------------------------------- pickers

const std::string kOptionHeader = "code,name,price,cp,bp,class,f,m,e,a,p,s,mv,x,effect\r\n";

TEST(Picker, FillGivesOneUntickedRowPerEntryInCatalogOrder) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(kOptionHeader +
                            "O1,B,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                            "O2,A,2,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                            "O3,B,3,0,0,L,0,0,0,0,0,0,0,0,e\r\n");
    kr::OptionPickerRows picker;
    kr::FillPicker(picker, catalog);
    ASSERT_EQ(picker.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(picker.Data(i), catalog.EntryByIndex(i));
        EXPECT_FALSE(picker.Row(i).Checked);
    }
    EXPECT_EQ(picker.Cell(2, 1), "3");
}

TEST(Picker, CheckByNameTicksEveryMatchAndClearChecksUnticksAll) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(kOptionHeader + IconvCp932("O1,装甲,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O2,センサー,2,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O3,装甲,3,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O4,装甲改,4,0,0,L,0,0,0,0,0,0,0,0,e\r\n"));
    // Ticked through the catalog's name index: both rows of the repeated name.
    kr::OptionPickerRows picker;
    kr::FillPicker(picker, catalog);
    kr::CheckByName(picker, IconvCp932("装甲"));
    EXPECT_TRUE(picker.Row(0).Checked);
    EXPECT_FALSE(picker.Row(1).Checked);
    EXPECT_TRUE(picker.Row(2).Checked);
    EXPECT_FALSE(picker.Row(3).Checked);

    kr::CheckByName(picker, IconvCp932("センサー"));
    kr::CheckByName(picker, "missing");
    EXPECT_TRUE(picker.Row(0).Checked);
    EXPECT_TRUE(picker.Row(1).Checked);
    EXPECT_FALSE(picker.Row(3).Checked);

    kr::ClearChecks(picker);
    for (std::size_t i = 0; i < picker.Count(); ++i) EXPECT_FALSE(picker.Row(i).Checked) << i;
}

// A weapon picker over these rows, in this order.
class WeaponPairing : public ::testing::Test {
protected:
    void Build(std::initializer_list<const char*> names) {
        entries.clear();
        entries.reserve(names.size());
        for (const char* name : names) {
            kr::TKrWeapon w;
            w.Name = texts.emplace_back(IconvCp932(name));
            entries.push_back(w);
        }
        for (const kr::TKrWeapon& w : entries) kr::AddWeaponRow(&picker, &w);
    }
    std::vector<std::string> TargetNames() const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < target.Count(); ++i) names.emplace_back(target.Caption(i));
        return names;
    }
    // The texts the entries view, kept as a catalog keeps its file's bytes.
    std::deque<std::string> texts;
    std::vector<kr::TKrWeapon> entries;
    kr::WeaponRows picker;
    kr::WeaponRows target;
};

TEST_F(WeaponPairing, PlainWeaponIsAddedAlone) {
    Build({"A", "B", "└b", "D"});
    kr::AddChosenWeapon(picker, 3, target);  // the last row
    kr::AddChosenWeapon(picker, 0, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{"D", "A"}));
}

TEST_F(WeaponPairing, WeaponAndItsFollowUpAreAddedTogetherFromEither) {
    Build({"A", "B", "└b", "D"});
    kr::AddChosenWeapon(picker, 1, target);
    kr::AddChosenWeapon(picker, 2, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{"B", IconvCp932("└b"), "B", IconvCp932("└b")}));
    EXPECT_EQ(target.Data(0), &entries[1]);
    EXPECT_EQ(target.Data(1), &entries[2]);
}

TEST_F(WeaponPairing, FollowUpAsFirstRowIsAddedAlone) {
    Build({"└x", "A"});
    kr::AddChosenWeapon(picker, 0, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{IconvCp932("└x")}));
}

TEST_F(WeaponPairing, WeaponWithTwoFollowUpsTakesOneNeighbourOnly) {
    Build({"C", "└c1", "└c2", "D"});
    kr::AddChosenWeapon(picker, 0, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{"C", IconvCp932("└c1")}));
    target.Clear();
    // The row below is looked at first: the two follow-up rows go together.
    kr::AddChosenWeapon(picker, 1, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{IconvCp932("└c1"), IconvCp932("└c2")}));
    target.Clear();
    kr::AddChosenWeapon(picker, 2, target);
    EXPECT_EQ(TargetNames(), (std::vector<std::string>{IconvCp932("└c1"), IconvCp932("└c2")}));
}

TEST_F(WeaponPairing, ChosenPairThreeTimesGivesSixRowsAfterExistingOnes) {
    Build({"A", "B", "└b"});
    kr::AddWeaponRow(&target, &entries[0]);
    for (int i = 0; i < 3; ++i) kr::AddChosenWeapon(picker, 1, target);
    EXPECT_EQ(TargetNames(),
              (std::vector<std::string>{"A", "B", IconvCp932("└b"), "B", IconvCp932("└b"), "B", IconvCp932("└b")}));
}

TEST_F(WeaponPairing, NoRowChosenAddsNothing) {
    Build({"A", "└a"});
    kr::AddChosenWeapon(picker, 2, target);
    kr::AddChosenWeapon(picker, static_cast<std::size_t>(-1), target);
    EXPECT_TRUE(target.Empty());
    kr::WeaponRows empty;
    kr::AddChosenWeapon(empty, 0, target);
    EXPECT_TRUE(target.Empty());
}

}  // namespace

TEST(Picker, CheckByNamesTicksWhatCheckByNameTicksForEachName) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(kOptionHeader + IconvCp932("O1,装甲,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O2,センサー,2,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O3,装甲,3,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O4,装甲改,4,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
                                               "O5,,5,0,0,L,0,0,0,0,0,0,0,0,e\r\n"));
    const std::string armour = IconvCp932("装甲"), empty, missing = "missing";
    for (const std::unordered_set<std::string_view>& names :
         {std::unordered_set<std::string_view>{}, {armour}, {armour, missing}, {empty}, {missing}}) {
        kr::OptionRows slow;  // a row compared with each name
        kr::OptionPickerRows fast;  // the catalog's name index
        kr::FillPicker(slow, catalog);
        kr::FillPicker(fast, catalog);
        slow.Row(1).Checked = fast.Row(1).Checked = true;  // ticks already set stay
        for (std::string_view name : names) kr::CheckByName(slow, name);
        kr::CheckByNames(fast, names);
        for (std::size_t i = 0; i < slow.Count(); ++i)
            EXPECT_EQ(fast.Row(i).Checked, slow.Row(i).Checked) << "row " << i << " of " << names.size() << " names";
    }
}
