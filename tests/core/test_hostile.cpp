// Files from other people at their worst: 100 MB, no line breaks, NUL bytes,
// bytes that are not Shift_JIS, 100,000 fields on a line, 10 MB values, a key
// or a name 100,000 times. Every case loads with the rules' own outcome (the
// entries, the error message, the fallback) and nothing else happens.
#include "codec.h"
#include "core_kit.h"
#include "placement.h"
#include "reports.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>

using namespace testkit;

namespace {

constexpr std::size_t Megabyte = 1024 * 1024;

std::string WeaponLine(const std::string& code, const std::string& name, const std::string& notes) {
    return code + "," + name + ",MG,1,600,0,1,L,3,1,0,-1,-2,4,,0,1,0," + notes + "\r\n";
}

std::string IndexError(const std::string& file, int line, int column) {
    return file + " " + std::to_string(line) + " 行目: リストのインデックスが範囲を超えています (" + std::to_string(column) + ")";
}

class HostileCatalog : public ::testing::Test {
protected:
    template <class List>
    std::string Load(List& list, const char* file, const std::string& bytes) {
        WriteBytes(folder / file, bytes);
        return ErrorOf([&] { list.LoadCatalog(folder.Path()); });
    }
    TempDir folder;
};

class HostileUnitFile : public ::testing::Test {
protected:
    // Loads the bytes as a unit file into a fresh designer.
    kr::Designer& Load(const std::string& bytes) {
        WriteBytes(path, bytes);
        designer = NewDesigner();
        kr::LoadUnitFile(path, *designer);
        return *designer;
    }
    TempDir folder;
    std::filesystem::path path = folder / "unit.kr";
    std::unique_ptr<kr::Designer> designer;
};

}  // namespace

// ---------------------------------------------------------------------------
// Catalogs

TEST_F(HostileCatalog, HundredMegabytesLoadEveryLine) {
    std::string bytes = WeaponHeader();
    const std::string notes(10 * 1024, 'n');
    int lines = 0;
    for (; bytes.size() < 100 * Megabyte; ++lines)
        bytes += WeaponLine("W" + std::to_string(lines), "G" + std::to_string(lines), notes);
    kr::TKRWeaponList weapons;
    EXPECT_EQ(Load(weapons, "weapon.csv", bytes), "");
    ASSERT_EQ(weapons.Count(), static_cast<std::size_t>(lines));
    EXPECT_EQ(weapons.EntryByIndex(weapons.Count() - 1)->Code, "W" + std::to_string(lines - 1));
    EXPECT_EQ(weapons.FindByName("G" + std::to_string(lines / 2))->Notes, notes);
}

TEST_F(HostileCatalog, HundredMegabytesWithoutALineBreakAreOnlyAHeader) {
    std::string bytes;
    bytes.reserve(100 * Megabyte);
    while (bytes.size() < 100 * Megabyte) bytes += "O1,name,1,2,3,L,";
    kr::TKROptionList options;
    EXPECT_EQ(Load(options, "option.csv", bytes), "");
    EXPECT_EQ(options.Count(), 0u);
}

// Lead bytes without their second byte, bytes that no Shift_JIS text holds,
// and a lead byte right before "<": the catalog loads, the names show with a
// replacement character, and the HTML page never lets a "<" of a name through.
// A lead byte takes the byte after it along, even a comma or a quote, so a
// line can come up short and stop the load with the list-index message.
TEST_F(HostileCatalog, BytesThatAreNotShiftJisLoadShowAndPrintSafely) {
    kr::TKROptionList options;
    const std::string broken = "\x81<b>\xFF\xFD\xA0";
    const std::string bytes = OptionHeader() + "O1," + broken + ",1,0,0,L,0,0,0,0,0,0,0,0,\x81\r\n" +
                              "O2,\x81,\x82,1,0,0,L,0,0,0,0,0,0,0,0,e\r\n" +
                              "O3,\"\x9F\",1,0,0,L,0,0,0,0,0,0,0,0,\xE0\r\n";
    EXPECT_EQ(Load(options, "option.csv", bytes), IndexError("option.csv", 4, 2));
    ASSERT_EQ(options.Count(), 2u);
    EXPECT_EQ(options.EntryByIndex(0)->Name, broken);
    EXPECT_EQ(options.EntryByIndex(0)->Effect, "\x81");
    EXPECT_EQ(options.EntryByIndex(1)->Name, "\x81,\x82,1");
    EXPECT_NE(kr::Cp932ToUtf8(broken).find("\xEF\xBF\xBD"), std::string::npos);  // U+FFFD

    kr::UnitSheet sheet;
    sheet.UnitClass = "M";
    for (std::size_t i = 0; i < options.Count(); ++i) kr::AddOptionRow(&sheet.Options, options.EntryByIndex(i));
    kr::Recalculate(sheet);
    const std::string page = kr::BuildHtmlPage(sheet);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;"), std::string::npos);
    EXPECT_TRUE(kr::BuildClipboardText(sheet).ends_with("\r\n"));
}

TEST_F(HostileCatalog, HundredThousandFieldsOnOneLineKeepTheFirstColumns) {
    std::string line = "O1,wide,100,2,3,H,1,1,1,1,1,1,1,1,effect";
    for (int i = 15; i < 100000; ++i) line += "," + std::to_string(i);
    kr::TKROptionList options;
    EXPECT_EQ(Load(options, "option.csv", OptionHeader() + line + "\r\n"), "");
    ASSERT_EQ(options.Count(), 1u);
    EXPECT_EQ(options.EntryByIndex(0)->Effect, "effect");
    EXPECT_EQ(options.EntryByIndex(0)->Price, 100);
}

TEST_F(HostileCatalog, TenMegabyteFieldsAreKeptWhole) {
    const std::string name(10 * Megabyte, 'N');
    const std::string notes(10 * Megabyte, 'm');
    kr::TKRMoveList moves;
    EXPECT_EQ(Load(moves, "move.csv", MoveHeader() + "M1," + name + ",x,1,1,1,L,5,1,1,0,\"" + notes + "\"\r\n"), "");
    ASSERT_EQ(moves.Count(), 1u);
    EXPECT_EQ(moves.FindByName(name), moves.EntryByIndex(0));
    EXPECT_EQ(moves.EntryByIndex(0)->Notes, notes);
    // A quote that is never closed: the rest of the file's line less its last character.
    EXPECT_EQ(Load(moves, "move.csv", MoveHeader() + "M1,n,x,1,1,1,L,5,1,1,0,\"" + notes + "\r\n"), "");
    EXPECT_EQ(moves.EntryByIndex(0)->Notes, notes.substr(1));
}

TEST_F(HostileCatalog, NameRepeatedHundredThousandTimesFindsTheLast) {
    std::string bytes = WeaponHeader();
    for (int i = 0; i < 100000; ++i) bytes += WeaponLine("W" + std::to_string(i), "same", "");
    kr::TKRWeaponList weapons;
    EXPECT_EQ(Load(weapons, "weapon.csv", bytes), "");
    ASSERT_EQ(weapons.Count(), 100000u);
    EXPECT_EQ(weapons.FindByName("same")->Code, "W99999");
    EXPECT_EQ(weapons.EntryByIndex(0)->Notes, " ");
    kr::WeaponRows picker;
    kr::FillPicker(picker, weapons);
    EXPECT_EQ(picker.Count(), 100000u);
}

// ---------------------------------------------------------------------------
// Unit files

// Unit files are read up to 64 MiB.
TEST_F(HostileUnitFile, SixtyMegabytesLoadAndSaveKeepingTheOtherSection) {
    std::string bytes = IconvCp932("[基本性能]\r\n名称=大\r\n価格=8200\r\nクラス=h\r\n[武装]\r\nWEAPON0=11mmMG\r\n[メモ]\r\n");
    const std::string memo = "K=" + std::string(1000, 'v') + "\r\n";
    while (bytes.size() < 60 * Megabyte) bytes += memo;
    const kr::Designer& loaded = Load(bytes);
    EXPECT_EQ(loaded.Sheet.UnitName, IconvCp932("大"));
    EXPECT_EQ(loaded.Sheet.BasePrice, 8200);
    EXPECT_EQ(loaded.Sheet.BackpackCapacity, 5);
    EXPECT_EQ(loaded.Sheet.Weapons.Count(), 1u);

    kr::WriteUnitFile(path, loaded.Sheet);
    const std::string saved = ReadBytes(path);
    EXPECT_GT(saved.size(), 60 * Megabyte);
    EXPECT_NE(saved.find(IconvCp932("[メモ]\r\n") + memo), std::string::npos);
    EXPECT_TRUE(saved.ends_with(IconvCp932("[武装]\r\nWEAPON0=11mmMG\r\n")));
}

TEST_F(HostileUnitFile, SixtyMegabytesWithoutALineBreakLoadAnEmptySheet) {
    std::string bytes = IconvCp932("[基本性能]");
    bytes.append(60 * Megabyte, 'x');
    const kr::UnitSheet& sheet = Load(bytes).Sheet;
    EXPECT_EQ(sheet.UnitName, "");
    EXPECT_EQ(sheet.UnitClass, "");
    EXPECT_EQ(sheet.BackpackCapacity, 6);
    EXPECT_EQ(sheet.BasePrice, 0);
    EXPECT_TRUE(sheet.Weapons.Empty());
}

// A name is one line of text: control characters in a file's name go, as
// the name box would never hold them.
TEST_F(HostileUnitFile, NulBytesAreOrdinaryBytesOfALine) {
    const kr::UnitSheet& sheet =
        Load(IconvCp932("[基本性能]\r\n名称=") + std::string("a\0b\tc", 5) + "\r\n" + IconvCp932("価格=") + std::string("\0" "5", 2) + "\r\n" + IconvCp932("装甲=7\r\n")).Sheet;
    EXPECT_EQ(sheet.UnitName, "abc");
    EXPECT_EQ(sheet.BasePrice, 0);  // "\0" "5" is no number
    EXPECT_EQ(sheet.BaseArmor, 7);
}

// Only ASCII letters of the class become upper case: "ヂ" is 0x83 0x61, and
// its second byte is no "a". A name shows what the name box can hold: a byte
// that is no character becomes "?", a lead byte cut off at the end goes.
TEST_F(HostileUnitFile, BytesThatAreNotShiftJisLoadAsTheyAre) {
    const std::string kana = IconvCp932("ヂ");
    ASSERT_EQ(kana, "\x83\x61");
    const kr::UnitSheet& sheet = Load(IconvCp932("[基本性能]\r\n名称=") + "\xAB\x85\x40\xCD\x81\r\n" + IconvCp932("クラス=x") + kana + "h\r\n" + IconvCp932("[武装]\r\n") + "WEAPON0=\xFF\x81\r\n").Sheet;
    EXPECT_EQ(sheet.UnitName, "\xAB?@\xCD");
    EXPECT_EQ(sheet.UnitClass, "X" + kana + "H");
    EXPECT_EQ(sheet.BackpackCapacity, 6);
    EXPECT_TRUE(sheet.Weapons.Empty());
}

// A value of 10 MB, or of 100,000 "=", is one value cut to 2,047 bytes; a
// name that long is in no catalog.
TEST_F(HostileUnitFile, HugeValuesAreCutTo2047Bytes) {
    const std::string name = "a" + std::string(100000, '=') + std::string(10 * Megabyte, 'N');
    const kr::UnitSheet& sheet = Load(IconvCp932("[基本性能]\r\n名称=") + name + IconvCp932("\r\n[武装]\r\nWEAPON0=") + name + "\r\n").Sheet;
    EXPECT_EQ(sheet.UnitName, name.substr(0, 2047));
    EXPECT_TRUE(sheet.Weapons.Empty());
}

TEST_F(HostileUnitFile, KeyRepeatedHundredThousandTimesIsOneRow) {
    std::string bytes = IconvCp932("[基本性能]\r\n");
    for (int i = 0; i < 100000; ++i) bytes += IconvCp932("価格=") + std::to_string(i) + "\r\n";
    bytes += IconvCp932("[武装]\r\n");
    for (int i = 0; i < 100000; ++i) bytes += "WEAPON0=11mmMG\r\n";
    const kr::UnitSheet& sheet = Load(bytes).Sheet;
    EXPECT_EQ(sheet.BasePrice, 0);
    EXPECT_EQ(sheet.Weapons.Count(), 1u);
}

// ---------------------------------------------------------------------------
// What is no file to read

// Whatever sits where the program reads a unit file, a catalog or the
// settings file, the read neither blocks nor takes gigabytes: a FIFO, a
// device, a folder and a file over the limit of its kind are refused with
// the reason, and nothing changes.
TEST(HostileFiles, OnlyRegularFilesWithinTheirLimitAreRead) {
    struct Planted {
        const char* what;
        std::function<void(const std::filesystem::path&, std::uint64_t limit)> plant;
        std::string reason;  // after "ファイル %s は開けません"; "" for the limit's own
    };
    const Planted planted[] = {
        {"FIFO", [](auto& path, auto) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, " (通常のファイルではありません)"},
        {"device", [](auto& path, auto) { std::filesystem::create_symlink("/dev/zero", path); },
         " (通常のファイルではありません)"},
        {"folder", [](auto& path, auto) { std::filesystem::create_directory(path); }, " (通常のファイルではありません)"},
        {"over the limit", [](auto& path, std::uint64_t limit) {
             WriteBytes(path, "");
             std::filesystem::resize_file(path, limit + 1);
         }, ""},
    };
    for (const Planted& p : planted) {
        SCOPED_TRACE(p.what);
        TempDir folder;
        const auto reason = [&](const char* limit) { return p.reason.empty() ? std::string(limit) : p.reason; };

        const auto unit = folder / "unit.kr";
        p.plant(unit, kr::UnitFileSizeLimit);
        auto designer = NewDesigner();
        kr::ApplyTemplate(*designer, 1);
        EXPECT_EQ(ErrorOf([&] { kr::LoadUnitFile(unit, *designer); }), CannotOpen(unit) + reason(" (64 MiB を超えています)"));
        EXPECT_EQ(designer->Sheet.UnitClass, "M");

        const auto catalog = folder / "move.csv";
        p.plant(catalog, kr::CatalogFileSizeLimit);
        kr::TKRMoveList moves;
        EXPECT_EQ(ErrorOf([&] { moves.LoadCatalog(folder.Path()); }),
                  CannotOpen(catalog) + reason(" (256 MiB を超えています)"));
        EXPECT_EQ(moves.Count(), 0u);

        // The settings: the design placement is read, and nothing is written.
        const auto settings = folder / "KRMAKE.INI";
        p.plant(settings, kr::UnitFileSizeLimit);
        kr::ProfileFile store(settings);
        EXPECT_EQ(kr::ReadPlacement(store, kr::MainWindowKeys, kr::MainWindowKeys.Design), kr::MainWindowKeys.Design);
        EXPECT_EQ(ErrorOf([&] { store.WriteNumber("GENERAL", "LEFT", 1); }), WriteErrorOf(settings));
    }
}

// ---------------------------------------------------------------------------
// Settings file

TEST(HostileSettings, AbsurdOrRepeatedPlacementValuesReadAsWritten) {
    TempDir folder;
    std::string bytes = "[GENERAL]\r\n";
    for (int i = 0; i < 100000; ++i) bytes += "LEFT=" + std::to_string(-i - 1) + "\r\n";
    bytes += "TOP=2147483647\r\nHEIGHT=-2147483648\r\nWIDTH=" + std::string(10 * Megabyte, '9') + "\r\n";
    WriteBytes(folder / "KRMAKE.INI", bytes);
    const kr::ProfileFile settings(folder / "KRMAKE.INI");
    const kr::Placement placement = kr::ReadPlacement(settings, kr::MainWindowKeys, kr::MainWindowKeys.Design);
    EXPECT_EQ(placement, (kr::Placement{-1, 2147483647, -2147483648, 600}));
}
