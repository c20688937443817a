// How entries read as list rows, picker ticks, weapon pairing on add, and the
// Shift_JIS marks the rows use.
#include "codec.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <unordered_set>

namespace {

using namespace testkit;

// ---------------------------------------------------------------- codec

// The marks of the rows and the characters where code page 932 differs from
// other Shift_JIS tables, both ways, as literal bytes.
TEST(Codec, CharactersHaveTheirCodePage932Bytes) {
    const std::pair<const char*, const char*> cases[] = {
        {"∞", "\x81\x87"}, {"└", "\x84\xA4"}, {"○", "\x81\x9B"}, {"×", "\x81\x7E"},
        {"～", "\x81\x60"}, {"①", "\x87\x40"}, {"ｱｰﾑ", "\xB1\xB0\xD1"}, {"ソ表", "\x83\x5C\x95\x5C"},
        {"11mmMG", "11mmMG"}, {"", ""},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(kr::Sjis(text), bytes) << text;
        EXPECT_EQ(kr::Utf8ToCp932(text), bytes) << text;
        EXPECT_EQ(kr::Cp932ToUtf8(bytes), text) << text;
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

kr::TKrOption SampleOption() { return OptionEntry("O9,ﾓﾙｶﾞ製ｾﾝｻｰ,1200,1,0,M,0,0,0,0,0,2,0,0,センサー+2"); }
kr::TKrMove SampleMove() { return MoveEntry("M1,ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ,車輪,150,-1,2,L,6,1,3,0"); }
kr::TKrWeapon SampleWeapon() { return WeaponEntry("W1,11mmMG,機関銃,0,600,0,1,L,3,1,0,-1,2,4,,0,1,0,標準的な機関銃"); }

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

// One row per entry, in the order added; none for no entry (a name the
// catalog lacks) and nothing at all for no list. The same entry twice gives
// two rows that refer to it.
TEST(RowRoutines, OneRowPerEntryAndNoneForNoEntry) {
    const kr::TKrOption o = SampleOption();
    const kr::TKrMove m = SampleMove();
    const kr::TKrWeapon w = SampleWeapon(), other = SampleWeapon();
    kr::OptionRows options;
    kr::MoveRows moves;
    kr::WeaponRows weapons;
    kr::AddOptionRow(&options, nullptr);
    kr::AddMoveRow(&moves, nullptr);
    kr::AddOptionRow(nullptr, &o);  // a crash would end the test here
    kr::AddMoveRow(nullptr, &m);
    kr::AddWeaponRow(nullptr, &w);
    for (const kr::TKrWeapon* entry : {&w, static_cast<const kr::TKrWeapon*>(nullptr), &other, &w})
        kr::AddWeaponRow(&weapons, entry);
    EXPECT_TRUE(options.Empty());
    EXPECT_TRUE(moves.Empty());
    ASSERT_EQ(weapons.Count(), 3u);
    EXPECT_EQ(weapons.Data(0), &w);
    EXPECT_EQ(weapons.Data(1), &other);
    EXPECT_EQ(weapons.Data(2), &w);
    for (int column = 0; column < kr::WeaponRows::ColumnCount; ++column)
        EXPECT_EQ(weapons.Cell(0, column), weapons.Cell(2, column));
    EXPECT_FALSE(weapons.Row(0).Checked);
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

TEST(Picker, FillGivesOneUntickedRowPerEntryInCatalogOrder) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(OptionHeader() +
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
    catalog.LoadCatalogText(OptionHeader() + IconvCp932("O1,装甲,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n"
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

// The weapon picker's add command: the chosen row with its follow-up row
// below it, or with the row above when it is itself a follow-up row; the row
// below is examined first, and one neighbour only is taken.
TEST(WeaponPairing, ChosenRowComesWithItsPair) {
    const struct {
        std::vector<const char*> picker;
        std::vector<std::size_t> chosen;  // in turn
        std::vector<std::size_t> added;   // the picker rows added, in order
    } cases[] = {
        {{"A", "B", "└b", "D"}, {3, 0}, {3, 0}},
        {{"A", "B", "└b", "D"}, {1, 2}, {1, 2, 1, 2}},
        {{"└x", "A"}, {0}, {0}},
        {{"C", "└c1", "└c2", "D"}, {0}, {0, 1}},
        {{"C", "└c1", "└c2", "D"}, {1}, {1, 2}},
        {{"C", "└c1", "└c2", "D"}, {2}, {1, 2}},
        {{"A", "└a"}, {2, static_cast<std::size_t>(-1)}, {}},  // no row chosen
        {{}, {0}, {}},
    };
    const auto entry = [](const char* name) {
        return &WeaponEntry(std::string("W,") + name + ",k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0,n");
    };
    const kr::TKrWeapon* existing = entry("Z");
    for (const auto& c : cases) {
        kr::WeaponRows picker, target;
        for (const char* name : c.picker) kr::AddWeaponRow(&picker, entry(name));
        kr::AddWeaponRow(&target, existing);
        for (std::size_t chosen : c.chosen) kr::AddChosenWeapon(picker, chosen, target);
        std::vector<const kr::TKrWeapon*> expected{existing};
        for (std::size_t row : c.added) expected.push_back(picker.Data(row));
        std::vector<const kr::TKrWeapon*> added;
        for (std::size_t i = 0; i < target.Count(); ++i) added.push_back(target.Data(i));
        EXPECT_EQ(added, expected) << c.picker.size() << " rows, first chosen " << c.chosen.front();
    }
}

}  // namespace
