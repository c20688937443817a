// Loading the three catalogs from their files: layout, failures and lookups.
#include "Pub1.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace testkit;

// The file, the line (from 1, the header being line 1) and the missing column.
std::string ExpectedIndexMessage(const char* file, const char* line, const char* column) {
    return std::string(file) + " " + line + " 行目: リストのインデックスが範囲を超えています (" + column + ")";
}

// ---------------------------------------------------------------- reading

// Each kind reads its own file; one that is missing, a folder, or not
// readable by the user fails with its full path and leaves the catalog empty.
TEST(CatalogFile, FileThatCannotBeReadNamesTheFullPathAndLeavesTheCatalogEmpty) {
    TempDir dir;
    WriteBytes(dir / "option.csv", OptionHeader() + "O1,A,1,0,0,L,0,0,0,0,0,0,0,0,x\r\n");
    kr::TKROptionList options;
    options.LoadCatalog(dir.Path());
    ASSERT_EQ(options.Count(), 1u);
    std::filesystem::remove(dir / "option.csv");
    EXPECT_EQ(ErrorOf([&] { options.LoadCatalog(dir.Path()); }), CannotOpen(dir / "option.csv"));
    EXPECT_EQ(options.Count(), 0u);
    EXPECT_EQ(options.FindByName("A"), nullptr);

    std::filesystem::create_directory(dir / "move.csv");
    kr::TKRMoveList moves;
    EXPECT_EQ(ErrorOf([&] { moves.LoadCatalog(dir.Path()); }),
              CannotOpen(dir / "move.csv") + " (通常のファイルではありません)");

    WriteBytes(dir / "weapon.csv", WeaponHeader());
    std::filesystem::permissions(dir / "weapon.csv", std::filesystem::perms::none);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));
    const int result = InRestrictedChild(RLIM_INFINITY, [&] {
        kr::TKRWeaponList weapons;
        return ErrorOf([&] { weapons.LoadCatalog(dir.Path()); }) == CannotOpen(dir / "weapon.csv");
    });
    EXPECT_EQ(result, 0) << "an unreadable weapon.csv (100: the test could not give up root's rights)";
}

TEST(CatalogFile, ReadWholeFileKeepsEveryByte) {
    TempDir dir;
    const std::string bytes("\x00\x81\r\n\xFF z", 7);
    WriteBytes(dir / "bytes.bin", bytes);
    EXPECT_EQ(kr::ReadWholeFile(dir / "bytes.bin"), bytes);
    WriteBytes(dir / "empty.bin", "");
    EXPECT_EQ(kr::ReadWholeFile(dir / "empty.bin"), "");
}

TEST(CatalogFile, EmptyOrHeaderOnlyFileGivesAnEmptyCatalog) {
    const std::string header = OptionHeader();
    for (const std::string& text : {std::string(), header.substr(0, header.size() - 2), header, std::string("\r\n")}) {
        kr::TKROptionList catalog;
        EXPECT_NO_THROW(catalog.LoadCatalogText(text));
        EXPECT_EQ(catalog.Count(), 0u);
    }
}

TEST(CatalogFile, LastLineWithoutBreakIsLoaded) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(OptionHeader() + "O1,A,1,0,0,L,0,0,0,0,0,0,0,0,x\rO2,B,2,0,0,L,0,0,0,0,0,0,0,0,y");
    ASSERT_EQ(catalog.Count(), 2u);
    EXPECT_EQ(catalog.EntryByIndex(1)->Name, "B");
    EXPECT_EQ(catalog.EntryByIndex(1)->Effect, "y");
}

// A file is read in blocks: wherever a block ends (inside a line, a quoted
// field, a double-byte character, between the CR and the LF of a line
// break, or before a line longer than a block), the entries, the line a
// failure names and where a NUL ends the text are those of the whole text.
TEST(CatalogFile, ReadInBlocksAsFromTheWholeText) {
    const auto describe = [](const kr::TKROptionList& catalog) {
        std::string all;
        for (std::size_t i = 0; i < catalog.Count(); ++i) {
            const kr::TKrOption& o = *catalog.EntryByIndex(i);
            all += std::string(o.Code) + "|" + std::string(o.Name) + "|" + std::to_string(o.Price) + "|" +
                   std::string(o.Class) + "|" + std::to_string(o.MoveBonus) + "|" + std::string(o.Effect) + "\n";
        }
        return all;
    };
    std::string lines;
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < 24; ++i) {
        lines += "O" + std::to_string(i) + ",\"\x83\x7e\"\"" + std::to_string(i) + "\"," + std::to_string(i * 7) +
                 ",0,0,L,0,0,0,0,0,0," + std::to_string(i) + ",0," + std::string(i % 5 == 0 ? 40 : 1, 'e');
        lines += breaks[i % 3];
    }
    const std::string whole = OptionHeader() + lines;
    const std::string texts[] = {whole, whole + "O,cut short,1\r\nO,after,1,0,0,L,0,0,0,0,0,0,0,0,x\r\n",
                                 whole + std::string("O,gone,1,0,0,L,0,0,0,0,0,0,0,0,x\0\r\nO,never", 43)};
    TempDir dir;
    for (const std::string& text : texts) {
        kr::TKROptionList fromText;
        const std::string textError = ErrorOf([&] { fromText.LoadCatalogText(text); });
        ASSERT_GE(fromText.Count(), 24u);
        WriteBytes(dir / "option.csv", text);
        for (std::size_t block = 1; block <= 72; ++block) {
            kr::TKROptionList fromFile;
            EXPECT_EQ(ErrorOf([&] { fromFile.LoadCatalogFile(dir / "option.csv", block); }), textError) << block;
            EXPECT_EQ(describe(fromFile), describe(fromText)) << block;
        }
    }
}

// ---------------------------------------------------------------- columns

using Numbers = std::vector<std::int64_t>;
using Texts = std::vector<std::string>;
// Owning copies of an entry's texts, compared with the expected texts.
template <class... Views>
Texts TextsOf(Views... views) {
    return Texts{std::string(views)...};
}

TEST(CatalogColumns, OptionFieldsInFileOrder) {
    const kr::TKrOption& o = OptionEntry("OP7,ﾓﾙｶﾞ製ｾﾝｻｰ,1200,1,2,M,3,4,-5,6,7,8,9,10,センサー+2");
    EXPECT_EQ((TextsOf(o.Code, o.Name, o.Class, o.Effect)), (Texts{"OP7", IconvCp932("ﾓﾙｶﾞ製ｾﾝｻｰ"), "M", IconvCp932("センサー+2")}));
    EXPECT_EQ((Numbers{o.Price, o.CP, o.BP, o.Fire, o.Melee, o.Evasion, o.Armor, o.Power, o.Sensor, o.MoveBonus, o.ExtraValue}),
              (Numbers{1200, 1, 2, 3, 4, -5, 6, 7, 8, 9, 10}));
}

TEST(CatalogColumns, WeaponFieldsInFileOrder) {
    const kr::TKrWeapon& w = WeaponEntry("W9,11mmMG,機関銃,2,600,1,3,L,-2,1,0,-1,-3,4,12,1,0,77,\"連射,可\"");
    EXPECT_EQ((TextsOf(w.Code, w.Name, w.Kind, w.Class, w.Count, w.Notes)),
              (Texts{"W9", "11mmMG", IconvCp932("機関銃"), "L", "12", IconvCp932("連射,可")}));
    EXPECT_EQ((Numbers{w.HitMode, w.Price, w.CP, w.BP, w.Damage, w.Hit1, w.Hit2, w.Hit3, w.Hit4, w.Range, w.Indirect,
                       w.Rapid, w.ExtraValue}),
              (Numbers{2, 600, 1, 3, -2, 1, 0, -1, -3, 4, 1, 0, 77}));
}

TEST(CatalogColumns, MoveFieldsInFileOrder) {
    const kr::TKrMove& m = MoveEntry("M3,ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ,車輪,150,1,2,H,6,3,2,5,走行輪");
    EXPECT_EQ((TextsOf(m.Code, m.Name, m.ExtraText, m.Class, m.Notes)),
              (Texts{"M3", IconvCp932("ｸﾞﾗｲﾃﾞｨﾝｸﾞﾎｲｰﾙ"), IconvCp932("車輪"), "H", IconvCp932("走行輪")}));
    EXPECT_EQ((Numbers{m.Price, m.CP, m.BP, m.Movement, m.HeavyPenalty, m.Turning, m.ExtraValue}),
              (Numbers{150, 1, 2, 6, 3, 2, 5}));
}

TEST(CatalogColumns, EightBitColumnsKeepTheLowEightBits) {
    kr::TKRWeaponList weapons;
    weapons.LoadCatalogText(WeaponHeader() +
                            "W1,A,k,257,0,0,0,L,0,0,0,0,0,0,,257,-1,0,n\r\n"
                            "W2,B,k,$1FF,0,0,0,L,0,0,0,0,0,0,,256,-255,0,n\r\n");
    ASSERT_EQ(weapons.Count(), 2u);
    EXPECT_EQ(weapons.EntryByIndex(0)->HitMode, 1);
    EXPECT_EQ(weapons.EntryByIndex(0)->Indirect, 1);
    EXPECT_EQ(weapons.EntryByIndex(0)->Rapid, 255);
    EXPECT_EQ(weapons.EntryByIndex(1)->HitMode, 255);
    EXPECT_EQ(weapons.EntryByIndex(1)->Indirect, 0);
    EXPECT_EQ(weapons.EntryByIndex(1)->Rapid, 1);

    kr::TKRMoveList moves;
    moves.LoadCatalogText(MoveHeader() + "M1,A,t,0,0,0,L,5,-1,0,0,n\r\nM2,B,t,0,0,0,L,5,258,0,0,n\r\n");
    ASSERT_EQ(moves.Count(), 2u);
    EXPECT_EQ(moves.EntryByIndex(0)->HeavyPenalty, 255);
    EXPECT_EQ(moves.EntryByIndex(1)->HeavyPenalty, 2);
}

TEST(CatalogColumns, NumbersFollowTheIntegerRuleWithFallbackZero) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(OptionHeader() +
                            "O1,A,$1F4,x10,0x0A,L,12a,,+3, 4,2147483648,$FFFFFFFF,-0,1.5,e\r\n");
    ASSERT_EQ(catalog.Count(), 1u);
    const kr::TKrOption& o = *catalog.EntryByIndex(0);
    EXPECT_EQ((Numbers{o.Price, o.CP, o.BP, o.Fire, o.Melee, o.Evasion, o.Armor, o.Power, o.Sensor, o.MoveBonus, o.ExtraValue}),
              (Numbers{500, 16, 10, 0, 0, 3, 4, 0, -1, 0, 0}));
}

TEST(CatalogColumns, MissingLastColumnReadsAsOneSpace) {
    kr::TKROptionList options;
    options.LoadCatalogText(OptionHeader() +
                            "O1,A,1,0,0,L,0,0,0,0,0,0,0,0\r\n"
                            "O2,B,1,0,0,L,0,0,0,0,0,0,0,0,\r\n"
                            "O3,C,1,0,0,L,0,0,0,0,0,0,0,0,\"\"\r\n");
    ASSERT_EQ(options.Count(), 3u);
    EXPECT_EQ(options.EntryByIndex(0)->Effect, " ");
    EXPECT_EQ(options.EntryByIndex(1)->Effect, " ");
    EXPECT_EQ(options.EntryByIndex(2)->Effect, "");

    kr::TKRWeaponList weapons;
    weapons.LoadCatalogText(WeaponHeader() + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0,0,0\r\n");
    ASSERT_EQ(weapons.Count(), 1u);
    EXPECT_EQ(weapons.EntryByIndex(0)->Notes, " ");
    EXPECT_EQ(weapons.EntryByIndex(0)->Count, "");

    kr::TKRMoveList moves;
    moves.LoadCatalogText(MoveHeader() + "M1,A,t,0,0,0,L,5,0,0,0\r\n");
    ASSERT_EQ(moves.Count(), 1u);
    EXPECT_EQ(moves.EntryByIndex(0)->Notes, " ");
}

TEST(CatalogColumns, FieldsBeyondTheLastColumnAreIgnored) {
    kr::TKRMoveList moves;
    moves.LoadCatalogText(MoveHeader() + "M1,A,t,0,0,0,L,5,0,0,0,notes,extra,more\r\n");
    ASSERT_EQ(moves.Count(), 1u);
    EXPECT_EQ(moves.EntryByIndex(0)->Notes, "notes");
}

TEST(CatalogColumns, UnquotedSpaceInNameShiftsLaterColumns) {
    kr::TKRWeaponList weapons;
    weapons.LoadCatalogText(WeaponHeader() +
                            "W1,Heavy Gun,cannon,1,500,0,0,L,3,0,0,0,0,5,,0,0,0,n\r\n"
                            "W2,\"Heavy Gun\",cannon,1,500,0,0,L,3,0,0,0,0,5,,0,0,0,n\r\n");
    ASSERT_EQ(weapons.Count(), 2u);
    const kr::TKrWeapon& shifted = *weapons.EntryByIndex(0);
    EXPECT_EQ(shifted.Name, "Heavy");
    EXPECT_EQ(shifted.Kind, "Gun");
    EXPECT_EQ(shifted.HitMode, 0);  // "cannon"
    EXPECT_EQ(shifted.Price, 1);
    EXPECT_EQ(shifted.CP, 500);
    EXPECT_EQ(shifted.Class, "0");
    EXPECT_EQ(shifted.Count, "5");
    EXPECT_EQ(shifted.Notes, "0");
    EXPECT_EQ(weapons.EntryByIndex(1)->Name, "Heavy Gun");
    EXPECT_EQ(weapons.EntryByIndex(1)->Kind, "cannon");
}

TEST(CatalogColumns, QuotedFieldsKeepCommasAndQuotes) {
    kr::TKRMoveList moves;
    moves.LoadCatalogText(MoveHeader() + IconvCp932("M1,\"脚,二本\",t,0,0,0,L,5,0,0,0,\"「\"\"跳ぶ\"\"」,可\"") + "\r\n");
    ASSERT_EQ(moves.Count(), 1u);
    EXPECT_EQ(moves.EntryByIndex(0)->Name, IconvCp932("脚,二本"));
    EXPECT_EQ(moves.EntryByIndex(0)->Notes, IconvCp932("「\"跳ぶ\"」,可"));
}

// ---------------------------------------------------------------- bad lines

TEST(CatalogBadLine, LineCutShortNamesTheFirstMissingColumn) {
    TempDir dir;
    WriteBytes(dir / "option.csv", OptionHeader() +
                                   "O1,A,1,0,0,L,0,0,0,0,0,0,0,0,x\r\n"
                                   "O2,B,1,0,0,L,0,0,0,0,0,0,0\r\n"
                                   "O3,C,1,0,0,L,0,0,0,0,0,0,0,0,z\r\n");
    kr::TKROptionList catalog;
    EXPECT_EQ(ErrorOf([&] { catalog.LoadCatalog(dir.Path()); }), ExpectedIndexMessage("option.csv", "3", "13"));
    ASSERT_EQ(catalog.Count(), 1u);
    EXPECT_EQ(catalog.EntryByIndex(0)->Name, "A");
    EXPECT_EQ(catalog.FindByName("B"), nullptr);
    EXPECT_EQ(catalog.FindByName("C"), nullptr);
}

TEST(CatalogBadLine, EachKindNamesItsOwnMissingColumn) {
    kr::TKRWeaponList weapons;
    EXPECT_EQ(ErrorOf([&] { weapons.LoadCatalogText(WeaponHeader() + "W1,A,k,0,0,0,0,L,0,0,0,0,0,0,,0\r\n"); }),
              ExpectedIndexMessage("weapon.csv", "2", "16"));
    EXPECT_EQ(weapons.Count(), 0u);

    kr::TKRMoveList moves;
    EXPECT_EQ(ErrorOf([&] { moves.LoadCatalogText(MoveHeader() + "M1,A\r\n"); }), ExpectedIndexMessage("move.csv", "2", "2"));
    EXPECT_EQ(moves.Count(), 0u);
}

TEST(CatalogBadLine, BlankLineStopsTheLoadAtColumnZero) {
    const std::string good = "M1,A,t,0,0,0,L,5,0,0,0,n\r\n";
    for (const std::string& gap : {std::string("\r\n"), std::string("  \t\r\n"), std::string(",\r\n")}) {
        kr::TKRMoveList moves;
        const std::string message = ErrorOf([&] {
            moves.LoadCatalogText(MoveHeader() + good + gap + "M2,B,t,0,0,0,L,5,0,0,0,n\r\n");
        });
        // A lone comma still gives one (empty) field, so column 1 is the first missing.
        EXPECT_EQ(message, ExpectedIndexMessage("move.csv", "3", gap == ",\r\n" ? "1" : "0"));
        ASSERT_EQ(moves.Count(), 1u);
        EXPECT_EQ(moves.EntryByIndex(0)->Name, "A");
    }
}

TEST(CatalogBadLine, TwoBreaksAtTheEndStopAfterEveryEntry) {
    kr::TKRMoveList moves;
    EXPECT_EQ(ErrorOf([&] {
                  moves.LoadCatalogText(MoveHeader() + "M1,A,t,0,0,0,L,5,0,0,0,n\r\nM2,B,t,0,0,0,L,5,0,0,0,n\r\n\r\n");
              }),
              ExpectedIndexMessage("move.csv", "4", "0"));
    EXPECT_EQ(moves.Count(), 2u);
}

// ---------------------------------------------------------------- lookups

TEST(CatalogLookup, FindByNameComparesBytesExactly) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(OptionHeader() + "O1,\" Armor\",1,0,0,L,0,0,0,0,0,0,0,0,e\r\n");
    EXPECT_EQ(catalog.FindByName(" Armor"), catalog.EntryByIndex(0));
    for (const char* near : {"Armor", " armor", " Armor ", " Armo", ""}) EXPECT_EQ(catalog.FindByName(near), nullptr) << near;
}

TEST(CatalogLookup, ReloadAndClearForgetOldNames) {
    kr::TKRMoveList moves;
    moves.LoadCatalogText(MoveHeader() + "M1,Old,t,0,0,0,L,5,0,0,0,n\r\n");
    ASSERT_NE(moves.FindByName("Old"), nullptr);
    moves.LoadCatalogText(MoveHeader() + "M1,New,t,0,0,0,L,5,0,0,0,n\r\n");
    EXPECT_EQ(moves.Count(), 1u);
    EXPECT_EQ(moves.FindByName("Old"), nullptr);
    EXPECT_EQ(moves.FindByName("New"), moves.EntryByIndex(0));
    moves.Clear();
    EXPECT_EQ(moves.Count(), 0u);
    EXPECT_EQ(moves.FindByName("New"), nullptr);
}

TEST(CatalogLookup, ManyRepeatedNamesEachFindTheirLastEntry) {
    // Enough entries for the name table to grow several times, names repeated.
    std::string text = MoveHeader();
    const int lines = 5000;
    for (int i = 0; i < lines; ++i)
        text += "M" + std::to_string(i) + ",n" + std::to_string(i % 1237) + ",t,0,0,0,L,5,0,0,0,x\r\n";
    kr::TKRMoveList moves;
    moves.LoadCatalogText(text);
    ASSERT_EQ(moves.Count(), static_cast<std::size_t>(lines));
    for (int name = 0; name < 1237; ++name) {
        const std::string key = "n" + std::to_string(name);
        const kr::TKrMove* last = nullptr;
        for (std::size_t i = 0; i < moves.Count(); ++i)
            if (moves.EntryByIndex(i)->Name == key) last = moves.EntryByIndex(i);
        ASSERT_NE(last, nullptr) << key;
        EXPECT_EQ(moves.FindByName(key), last) << key;
    }
    for (const char* absent : {"n1237", "n", "", "M0", "n12370"}) EXPECT_EQ(moves.FindByName(absent), nullptr) << absent;
}

TEST(CatalogStorage, EntriesOutliveTheTextTheyWereLoadedFrom) {
    kr::TKRWeaponList weapons;
    {
        std::string text = WeaponHeader();
        // Doubled quotes on consecutive lines: each line's text is built anew.
        for (int i = 0; i < 300; ++i)
            text += "W" + std::to_string(i) + ",\"a\"\"" + std::to_string(i) + "\",k,1,0,0,0,L,0,0,0,0,0,0,,0,0,0,\"n\"\"" +
                    std::to_string(i) + "\"\r\n";
        weapons.LoadCatalogText(text);
        text.assign(text.size(), 'x');
    }
    ASSERT_EQ(weapons.Count(), 300u);
    for (std::size_t i = 0; i < weapons.Count(); ++i) {
        const kr::TKrWeapon& w = *weapons.EntryByIndex(i);
        EXPECT_EQ(w.Code, "W" + std::to_string(i));
        EXPECT_EQ(w.Name, "a\"" + std::to_string(i));
        EXPECT_EQ(w.Kind, "k");
        EXPECT_EQ(w.Count, "");
        EXPECT_EQ(w.Notes, "n\"" + std::to_string(i));
        EXPECT_EQ(weapons.FindByName("a\"" + std::to_string(i)), &w);
    }
}

// Texts a column repeats are kept once; texts that only look alike (same
// length, same first or last bytes) stay their own.
TEST(CatalogStorage, LookAlikeTextsInAColumnStayTheirOwn) {
    std::vector<std::string> looks = {"a", "b", "ab", "ba", "abcdefg", "abcdefgh", "abcdefgi", "abcdefghi",
                                      "xbcdefghi", "abcdefgh12345678", "abcdefgh87654321", "zzzzzzzz12345678",
                                      "\x83\x7e\x83\x54\x83\x43\x83\x8b", "\x83\x7e\x83\x54\x83\x43\x83\x8c"};
    // More texts of one length than any table has places.
    for (int i = 100; i < 400; ++i) looks.push_back("k" + std::to_string(i));
    std::vector<std::array<std::string, 3>> expected;
    kr::TKRWeaponList weapons;
    {
        std::string text = WeaponHeader();
        for (std::size_t i = 0; i < 3000; ++i) {
            const std::array<std::string, 3> texts = {looks[(i * 7) % looks.size()], looks[(i * 5 + i / 3) % looks.size()],
                                                      looks[(i * i) % looks.size()]};
            expected.push_back(texts);
            text += "W,n" + std::to_string(i) + "," + texts[0] + ",1,0,0,0," + texts[1] + ",0,0,0,0,0,0,,0,0,0,\"" +
                    texts[2] + "\"\r\n";
        }
        weapons.LoadCatalogText(text);
        text.assign(text.size(), 'x');
    }
    ASSERT_EQ(weapons.Count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const kr::TKrWeapon& w = *weapons.EntryByIndex(i);
        EXPECT_EQ(w.Kind, expected[i][0]) << i;
        EXPECT_EQ(w.Class, expected[i][1]) << i;
        EXPECT_EQ(w.Notes, expected[i][2]) << i;
        EXPECT_EQ(w.Code, "W");
    }
}

TEST(CatalogStorage, AddedEntriesKeepTheirOwnTextsAndStayInPlace) {
    kr::TKROptionList catalog;
    catalog.LoadCatalogText(OptionHeader() + "O1,first,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n");
    const kr::TKrOption* first = catalog.EntryByIndex(0);
    for (int i = 0; i < 1000; ++i) {
        std::string name = "added" + std::to_string(i);
        std::string effect = "effect of " + name;
        auto entry = std::make_unique<kr::TKrOption>();
        entry->Name = name;
        entry->Effect = effect;
        entry->Class = "M";
        entry->Price = i;
        catalog.AddEntry(std::move(entry));
        name.assign(name.size(), '?');
        effect.assign(effect.size(), '?');
    }
    ASSERT_EQ(catalog.Count(), 1001u);
    EXPECT_EQ(catalog.EntryByIndex(0), first);
    EXPECT_EQ(first->Name, "first");
    EXPECT_EQ(catalog.FindByName("first"), first);
    for (int i = 0; i < 1000; ++i) {
        const kr::TKrOption& e = *catalog.EntryByIndex(static_cast<std::size_t>(i) + 1);
        EXPECT_EQ(e.Name, "added" + std::to_string(i));
        EXPECT_EQ(e.Effect, "effect of added" + std::to_string(i));
        EXPECT_EQ(e.Class, "M");
        EXPECT_EQ(e.Price, i);
        EXPECT_EQ(catalog.FindByName("added" + std::to_string(i)), &e);
    }
}

TEST(CatalogStorage, ALineThatFailsLeavesNothingInTheNextEntry) {
    kr::TKRMoveList moves;
    EXPECT_THROW(moves.LoadCatalogText(MoveHeader() + "M1,a,t,1,2,3,H,5,0,0,0,n\r\nM2,b,t,7\r\n"), kr::KrError);
    ASSERT_EQ(moves.Count(), 1u);
    auto entry = std::make_unique<kr::TKrMove>();
    entry->Name = "c";
    moves.AddEntry(std::move(entry));
    ASSERT_EQ(moves.Count(), 2u);
    const kr::TKrMove& added = *moves.EntryByIndex(1);
    EXPECT_EQ(added.Code, "");
    EXPECT_EQ(added.Name, "c");
    EXPECT_EQ(added.Price, 0);
    EXPECT_EQ(moves.FindByName("b"), nullptr);
}

// ---------------------------------------------------------------- shipped data

// A stock model adds its weapons alone, so no follow-up row may sit below one.
TEST(ShippedCatalogs, NoPresetWeaponHasAFollowUpRow) {
    const kr::TKRWeaponList& weapons = ShippedCatalogs().Weapon;
    for (const char* name : {"ｱｰﾑﾊﾟﾝﾁ(火薬式)", "11mmMG", "ﾊﾟｲﾙﾊﾞﾝｶｰ付ｼｰﾙﾄﾞ(電磁式)"}) {
        const kr::TKrWeapon* weapon = weapons.FindByName(IconvCp932(name));
        ASSERT_NE(weapon, nullptr) << name;
        for (std::size_t i = 0; i + 1 < weapons.Count(); ++i)
            if (weapons.EntryByIndex(i) == weapon) {
                EXPECT_NE(weapons.EntryByIndex(i + 1)->Name.substr(0, 2), IconvCp932("└")) << name;
            }
    }
}

// The build copies the shipped files beside the executables.
TEST(ShippedCatalogs, LaunchedFromTheProgramFolder) {
    const std::filesystem::path directory = kr::ApplicationDirectory();
    EXPECT_EQ(directory.string().back(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(directory, KR_RUNTIME_DIR));
    kr::TKRWeaponList fromProgramFolder;
    fromProgramFolder.LoadCatalog();
    EXPECT_EQ(fromProgramFolder.Count(), 26u);
}

}  // namespace
