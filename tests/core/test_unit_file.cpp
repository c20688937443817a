// The unit file against the shipped catalogs: the exact bytes of a save,
// round trips, what loading keeps and drops, and failed saves and loads.
#include "core_kit.h"

#include <gtest/gtest.h>

using kr::Designer;
using kr::ProfileEntries;
using kr::ProfileFile;
using kr::UnitSheet;
using namespace testkit;

namespace {

// Everything a load may change, to compare a designer before and after.
struct DesignerState {
    std::string name, unitClass;
    std::vector<std::int32_t> figures;
    std::vector<std::string> options, moves, weapons, optionTicks, moveTicks;
    std::filesystem::path openFile, saveFile;
    std::string fireBox;
    bool operator==(const DesignerState&) const = default;
};

DesignerState StateOf(const Designer& d) {
    const UnitSheet& s = d.Sheet;
    return {s.UnitName, s.UnitClass, BaseFigures(s), Captions(s.Options), Captions(s.Moves), Captions(s.Weapons), Ticked(d.OptionPicker),
            Ticked(d.MovePicker), d.OpenFileName, d.SaveFileName, s.Boxes[kr::SheetFigure::Fire]};
}

class UnitFile : public ::testing::Test {
protected:
    // Appends a row for each named entry of the catalog.
    template <class Entry, class Catalog>
    static void Add(kr::RowList<Entry>& rows, const Catalog& catalog, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const Entry* entry = catalog.FindByName(IconvCp932(name));
            ASSERT_NE(entry, nullptr) << name;
            rows.Append(entry);
        }
    }
    void AddWeapons(std::initializer_list<const char*> names) { Add(designer.Sheet.Weapons, catalogs.Weapon, names); }
    void AddMoves(std::initializer_list<const char*> names) { Add(designer.Sheet.Moves, catalogs.Move, names); }
    void AddOptions(std::initializer_list<const char*> names) { Add(designer.Sheet.Options, catalogs.Option, names); }

    const kr::Catalogs& catalogs = ShippedCatalogs();
    std::unique_ptr<Designer> fresh = NewDesigner();
    Designer& designer = *fresh;
    TempDir folder;
};

// The first template's file, line by line.
const char* const Template1File =
    "[基本性能]\r\n"
    "名称=KRM-11-LS グラナイト\r\n"
    "射撃=0\r\n"
    "格闘=0\r\n"
    "回避=0\r\n"
    "装甲=5\r\n"
    "ＨＰ=20\r\n"
    "パワー=6\r\n"
    "センサー=0\r\n"
    "パンチ=6\r\n"
    "カスタムポイント=0\r\n"
    "価格=8200\r\n"
    "クラス=M\r\n"
    "[移動]\r\n"
    "MOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ\r\n"
    "[武装]\r\n"
    "WEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n"
    "WEAPON1=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n";

}  // namespace

// ---------------------------------------------------------------------------
// Saving

TEST_F(UnitFile, FirstTemplateSavedIntoANewFileGivesItsEighteenLines) {
    kr::ApplyTemplate(designer, 1);
    const auto path = folder / "granite.kr";
    kr::WriteUnitFile(path, designer.Sheet);
    EXPECT_EQ(ReadBytes(path), IconvCp932(Template1File));
    // Overwriting a file the program wrote gives the same content again.
    kr::WriteUnitFile(path, designer.Sheet);
    EXPECT_EQ(ReadBytes(path), IconvCp932(Template1File));
    EXPECT_EQ(FolderListing(folder.Path()), std::set<std::string>{"granite.kr"});
}

TEST_F(UnitFile, SavingIntoAnExistingFileKeepsOtherSectionsAndDropsEmptiedLists) {
    const auto path = folder / "old.kr";
    WriteBytes(path, IconvCp932("[基本性能]\r\n名称=旧名\r\nメモ=残す\r\n\r\n[メモ]\r\nA=1\r\n"
                        "[オプション]\r\nOPTION0=暗視ｶﾒﾗ\r\n[移動]\r\nMOVE0=二脚歩行\r\nMOVE1=四脚歩行\r\n"));
    kr::ApplyTemplate(designer, 1);
    kr::WriteUnitFile(path, designer.Sheet);
    EXPECT_EQ(ReadBytes(path), IconvCp932("[基本性能]\r\n名称=KRM-11-LS グラナイト\r\nメモ=残す\r\n"
                                  "射撃=0\r\n格闘=0\r\n回避=0\r\n装甲=5\r\nＨＰ=20\r\nパワー=6\r\nセンサー=0\r\n"
                                  "パンチ=6\r\nカスタムポイント=0\r\n価格=8200\r\nクラス=M\r\n\r\n"
                                  "[メモ]\r\nA=1\r\n"
                                  "[移動]\r\nMOVE0=ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ\r\n"
                                  "[武装]\r\nWEAPON0=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\nWEAPON1=ｱｰﾑﾊﾟﾝﾁ(火薬式)\r\n"));
}

// ---------------------------------------------------------------------------
// Round trips

TEST_F(UnitFile, LongListsAndAllFiguresRoundTrip) {
    UnitSheet& sheet = designer.Sheet;
    sheet.UnitName = IconvCp932("試作機 改");
    sheet.UnitClass = "XH";
    testkit::SetBaseFigures(sheet, {1, -2, 3, 4, 5, 6, 8, 7, -9, 2, 2147483647});  // a capacity of 2 is not kept
    AddWeapons({"11mmMG", "7.7mmMG", "20mmｵｰﾄｷｬﾉﾝ", "ﾋｰﾄﾅｲﾌ", "ﾁｪｰﾝｿｰﾄﾞ", "火炎放射器", "対戦車ﾗｲﾌﾙ",
                "ﾊﾝﾄﾞｸﾞﾚﾈｰﾄﾞ", "ﾍﾋﾞｰﾊﾝﾏｰ", "迫撃砲", "11mmMG", "ﾚｰﾙｶﾞﾝ"});
    AddMoves({"二脚歩行", "四脚歩行", "無限軌道", "ﾎｳﾞｧﾘﾝｸﾞﾉｽﾞﾙ", "ｽｹｰﾀｰﾕﾆｯﾄ", "ｼﾞｬﾝﾌﾟﾕﾆｯﾄ", "水中推進器",
              "宇宙用ﾊﾞｰﾆｱ", "ﾛｹｯﾄﾀﾞｯｼｭ", "六脚歩行", "大型ﾎｲｰﾙ"});
    AddOptions({"増加装甲", "暗視ｶﾒﾗ", "気密/防水加工", "ﾛｹｯﾄﾌﾞｰｽﾀｰ", "射撃管制装置", "出力強化Lv1", "出力強化Lv2",
                "格闘ﾌﾟﾛｸﾞﾗﾑ", "ｽﾀﾋﾞﾗｲｻﾞｰ", "反応装甲", "ﾓﾙｶﾞ製ｾﾝｻｰ"});
    const auto path = folder / "long.kr";
    kr::WriteUnitFile(path, sheet);

    const ProfileEntries weapons = ProfileFile(path).ReadEntries(IconvCp932("武装"));
    ASSERT_EQ(weapons.size(), 12u);
    for (std::size_t n = 0; n < weapons.size(); ++n) EXPECT_EQ(weapons[n].first, "WEAPON" + std::to_string(n));
    EXPECT_EQ(ProfileFile(path).ReadEntries(IconvCp932("移動")).back().first, "MOVE10");
    EXPECT_EQ(ProfileFile(path).ReadEntries(IconvCp932("オプション")).back().first, "OPTION10");

    auto loaded = NewDesigner();
    kr::LoadUnitFile(path, *loaded);
    const UnitSheet& back = loaded->Sheet;
    EXPECT_EQ(back.UnitName, IconvCp932("試作機 改"));
    EXPECT_EQ(back.UnitClass, "XH");
    // The capacity follows the class: 6 for "XH".
    EXPECT_EQ(BaseFigures(back), (std::vector<std::int32_t>{1, -2, 3, 4, 5, 6, 8, 7, -9, 6, 2147483647}));
    EXPECT_EQ(Captions(back.Weapons), Captions(sheet.Weapons));
    EXPECT_EQ(Captions(back.Moves), Captions(sheet.Moves));
    EXPECT_EQ(Captions(back.Options), Captions(sheet.Options));
    // The pickers tick each loaded name once, in catalog order.
    EXPECT_EQ(Ticked(loaded->MovePicker).size(), 11u);
    EXPECT_EQ(Ticked(loaded->OptionPicker).size(), 11u);
    EXPECT_TRUE(Ticked(loaded->WeaponPicker).empty());
    EXPECT_EQ(loaded->SaveFileName, path);
    EXPECT_EQ(loaded->OpenFileName, path);
}

// A save of 10,000 rows per list loads back whole and in order.
TEST_F(UnitFile, TenThousandRowsPerListRoundTrip) {
        for (std::size_t i = 0; i < 10000; ++i) {
        designer.Sheet.Weapons.Append(catalogs.Weapon.EntryByIndex(i % catalogs.Weapon.Count()));
        designer.Sheet.Moves.Append(catalogs.Move.EntryByIndex(i % catalogs.Move.Count()));
        designer.Sheet.Options.Append(catalogs.Option.EntryByIndex(i % catalogs.Option.Count()));
    }
    const auto path = folder / "long.kr";
    kr::WriteUnitFile(path, designer.Sheet);
    auto loaded = NewDesigner();
    const kr::UnitLoad load = kr::LoadUnitFile(path, *loaded);
    EXPECT_TRUE(load.Dropped.empty());
    EXPECT_TRUE(load.Whole);
    EXPECT_EQ(Captions(loaded->Sheet.Weapons), Captions(designer.Sheet.Weapons));
    EXPECT_EQ(Captions(loaded->Sheet.Moves), Captions(designer.Sheet.Moves));
    EXPECT_EQ(Captions(loaded->Sheet.Options), Captions(designer.Sheet.Options));
}

TEST_F(UnitFile, WeaponWithFollowUpRowIsTwoConsecutiveEntries) {
    AddWeapons({"11mmMG", "ﾛｹｯﾄﾎﾟｯﾄﾞ", "└追加ﾎﾟｯﾄﾞ", "ﾋｰﾄﾅｲﾌ"});
    const auto path = folder / "pair.kr";
    kr::WriteUnitFile(path, designer.Sheet);
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(bytes.find(IconvCp932("[武装]\r\nWEAPON0=11mmMG\r\nWEAPON1=ﾛｹｯﾄﾎﾟｯﾄﾞ\r\nWEAPON2=└追加ﾎﾟｯﾄﾞ\r\n"
                            "WEAPON3=ﾋｰﾄﾅｲﾌ\r\n")),
              std::string::npos)
        << bytes;
    auto loaded = NewDesigner();
    kr::LoadUnitFile(path, *loaded);
    EXPECT_EQ(Captions(loaded->Sheet.Weapons), IconvCp932({"11mmMG", "ﾛｹｯﾄﾎﾟｯﾄﾞ", "└追加ﾎﾟｯﾄﾞ", "ﾋｰﾄﾅｲﾌ"}));
}

// ---------------------------------------------------------------------------
// Loading

TEST_F(UnitFile, ListEntriesLoadInFileOrderWhateverTheirKeys) {
    const auto path = folder / "order.kr";
    WriteBytes(path, IconvCp932("[武装]\r\nWEAPON2=ﾋｰﾄﾅｲﾌ\r\nWEAPON0=11mmMG\r\nWEAPON1=\r\nANY=迫撃砲\r\nweapon2=ﾚｰﾙｶﾞﾝ\r\n"));
    kr::LoadUnitFile(path, designer);
    EXPECT_EQ(Captions(designer.Sheet.Weapons), IconvCp932({"ﾋｰﾄﾅｲﾌ", "11mmMG", "迫撃砲"}));
}

// A name with a byte that is no character reads otherwise than written: the
// sheet does not hold the whole file, though no row was dropped.
TEST_F(UnitFile, NameThatReadsOtherwiseIsNoWholeLoad) {
    const auto path = folder / "odd.kr";
    WriteBytes(path, IconvCp932("[基本性能]\r\n名称=") + "A\xFF" + "B\r\n");
    const kr::UnitLoad load = kr::LoadUnitFile(path, designer);
    EXPECT_EQ(designer.Sheet.UnitName, "A?B");
    EXPECT_TRUE(load.Dropped.empty());
    EXPECT_FALSE(load.Whole);
}

TEST_F(UnitFile, NamesTheCatalogsLackAreDroppedAndTickNothing) {
    designer.OptionPicker.Row(0).Checked = true;  // ticks from before the load go
    const auto path = folder / "unknown.kr";
    WriteBytes(path, IconvCp932("[移動]\r\nMOVE0=反重力\r\nMOVE1=二脚歩行\r\n"
                        "[武装]\r\nWEAPON0=光線銃\r\nWEAPON1=11mmMG\r\n"
                        "[オプション]\r\nOPTION0=ｽﾃﾙｽ\r\nOPTION1=暗視ｶﾒﾗ\r\nOPTION2=暗視ｶﾒﾗ \r\n"));
    // Each dropped name is told once, in the order of the file; the sheet
    // does not hold the whole file.
    const kr::UnitLoad load = kr::LoadUnitFile(path, designer);
    EXPECT_EQ(load.Dropped, IconvCp932({"反重力", "光線銃", "ｽﾃﾙｽ"}));
    EXPECT_FALSE(load.Whole);
    EXPECT_EQ(Captions(designer.Sheet.Moves), IconvCp932({"二脚歩行"}));
    EXPECT_EQ(Captions(designer.Sheet.Weapons), IconvCp932({"11mmMG"}));
    EXPECT_EQ(Captions(designer.Sheet.Options), IconvCp932({"暗視ｶﾒﾗ", "暗視ｶﾒﾗ"}));
    EXPECT_EQ(Ticked(designer.MovePicker), IconvCp932({"二脚歩行"}));
    EXPECT_EQ(Ticked(designer.OptionPicker), IconvCp932({"暗視ｶﾒﾗ"}));
}

TEST_F(UnitFile, CapacityFollowsTheLoadedClass) {
    // The second template is class H with a capacity of 4; the file does not keep it.
    kr::ApplyTemplate(designer, 2);
    ASSERT_EQ(designer.Sheet.BackpackCapacity, 4);
    const auto heavy = folder / "heavy.kr";
    kr::WriteUnitFile(heavy, designer.Sheet);
    kr::LoadUnitFile(heavy, designer);
    EXPECT_EQ(designer.Sheet.UnitClass, "H");
    EXPECT_EQ(designer.Sheet.BackpackCapacity, 5);

    const auto lower = folder / "lower.kr";
    WriteBytes(lower, IconvCp932("[基本性能]\r\nクラス=xh\r\n"));
    kr::LoadUnitFile(lower, designer);
    EXPECT_EQ(designer.Sheet.UnitClass, "XH");
    EXPECT_EQ(designer.Sheet.BackpackCapacity, 6);

    WriteBytes(lower, IconvCp932("[基本性能]\r\nクラス=l\r\n"));
    kr::LoadUnitFile(lower, designer);
    EXPECT_EQ(designer.Sheet.UnitClass, "L");
    EXPECT_EQ(designer.Sheet.BackpackCapacity, 2);

    // A lone CR and NUL bytes in the class go, with the blanks they leave at
    // either end, before the letters are upper-cased (here the NUL no longer
    // pairs with 0x96, so the "g" becomes a letter of its own), so that the
    // unit saves and loads back the same.
    WriteBytes(lower, IconvCp932("[基本性能]\r\nクラス=") + std::string("\0 \x96\0\x82g\r \0", 9) + "\r\n");
    kr::LoadUnitFile(lower, designer);
    EXPECT_EQ(designer.Sheet.UnitClass, "\x96\x82G");
    kr::WriteUnitFile(lower, designer.Sheet);
    kr::LoadUnitFile(lower, designer);
    EXPECT_EQ(designer.Sheet.UnitClass, "\x96\x82G");
}

TEST_F(UnitFile, NameAndNumbersAreReadWithoutSurroundingBlanks) {
    designer.Sheet.UnitName = IconvCp932("  グラナイト 改\t ");
    const auto path = folder / "blank.kr";
    kr::WriteUnitFile(path, designer.Sheet);
    kr::LoadUnitFile(path, designer);
    EXPECT_EQ(designer.Sheet.UnitName, IconvCp932("グラナイト 改"));

    WriteBytes(path, IconvCp932("[基本性能]\r\n 装甲 =  0x10 \r\n価格=abc\r\nＨＰ=-3\r\n"));
    kr::LoadUnitFile(path, designer);
    EXPECT_EQ(designer.Sheet.BaseArmor, 16);
    EXPECT_EQ(designer.Sheet.BasePrice, 0);
    EXPECT_EQ(designer.Sheet.BaseDurability, -3);
}

TEST_F(UnitFile, EmptyFileLoadsAnEmptySheet) {
    kr::ApplyTemplate(designer, 4);
    const auto path = folder / "empty.kr";
    WriteBytes(path, "");
    kr::LoadUnitFile(path, designer);
    const UnitSheet& sheet = designer.Sheet;
    EXPECT_EQ(sheet.UnitName, "");
    EXPECT_EQ(sheet.UnitClass, "");
    EXPECT_EQ(BaseFigures(sheet), (std::vector<std::int32_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0}));
    EXPECT_TRUE(sheet.Options.Empty() && sheet.Moves.Empty() && sheet.Weapons.Empty());
    EXPECT_TRUE(Ticked(designer.OptionPicker).empty());
    EXPECT_TRUE(Ticked(designer.MovePicker).empty());
    EXPECT_EQ(designer.SaveFileName, path);
    EXPECT_EQ(designer.OpenFileName, path);
}

TEST_F(UnitFile, PathThatCannotBeReadLeavesTheDesignerAsItWas) {
    kr::ApplyTemplate(designer, 4);
    designer.SaveFileName = folder / "before.kr";
    const DesignerState before = StateOf(designer);

    const auto missing = folder / "missing.kr";
    EXPECT_EQ(ErrorOf([&] { kr::LoadUnitFile(missing, designer); }), CannotOpen(missing));
    EXPECT_TRUE(StateOf(designer) == before);

    const auto directory = folder / "folder.kr";
    std::filesystem::create_directory(directory);
    EXPECT_EQ(ErrorOf([&] { kr::LoadUnitFile(directory, designer); }),
              CannotOpen(directory) + " (通常のファイルではありません)");
    EXPECT_TRUE(StateOf(designer) == before);
}
