// The profile-file store on real files: reading rules, where writes land,
// which bytes stay, and that a failed write leaves the file as it was.
#include "profile_file.h"
#include "Pub1.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

using kr::KrError;
using kr::ProfileEntries;
using kr::ProfileFile;
using testkit::ReadBytes;
using testkit::IconvCp932;
using testkit::TempDir;
using testkit::WriteBytes;

namespace {

using testkit::ErrorOf;
using testkit::WriteErrorOf;

using testkit::InRestrictedChild;

std::set<std::string> FolderListing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) names.insert(item.path().filename().string());
    return names;
}


// A store on a file of the given bytes in a fresh folder.
struct StoreOn {
    explicit StoreOn(std::string_view bytes) {
        WriteBytes(Path(), bytes);
    }
    StoreOn() = default;
    std::filesystem::path Path() const { return folder / "test.ini"; }
    std::string Bytes() const { return ReadBytes(Path()); }
    ProfileFile Store() const { return ProfileFile(Path()); }
    TempDir folder;
};

}  // namespace

// ---------------------------------------------------------------------------
// Reading

TEST(ProfileRead, BlanksAroundKeyAndValueAndBlankLinesAreIgnored) {
    StoreOn file("[GENERAL]\r\n\r\n  \t\r\n  LEFT \t=  120 \t\r\nTOP= 7\n\tWIDTH=a b \r\n");
    const ProfileFile store = file.Store();
    EXPECT_EQ(store.ReadNumber("GENERAL", "LEFT", 0), 120);
    EXPECT_EQ(store.ReadText("GENERAL", "LEFT", "x"), "120");
    EXPECT_EQ(store.ReadNumber("GENERAL", "TOP", 0), 7);
    EXPECT_EQ(store.ReadText("GENERAL", "WIDTH", ""), "a b");
}

TEST(ProfileRead, SectionAndKeyMatchRegardlessOfAsciiCaseOnly) {
    StoreOn file("[general]\r\nleft=5\r\n[" + IconvCp932("基本性能") + "]\r\n" + IconvCp932("ア") + "=1\r\nHp=2\r\n");
    const ProfileFile store = file.Store();
    EXPECT_EQ(store.ReadNumber("GENERAL", "LEFT", 0), 5);
    EXPECT_EQ(store.ReadNumber("General", "Left", 0), 5);
    EXPECT_EQ(store.ReadNumber(IconvCp932("基本性能"), IconvCp932("ア"), 0), 1);
    EXPECT_EQ(store.ReadNumber(IconvCp932("基本性能"), "hP", 0), 2);
    // "ア" and "ヂ" differ only in a trail byte that reads as "A" / "a".
    EXPECT_EQ(store.ReadNumber(IconvCp932("基本性能"), IconvCp932("ヂ"), -1), -1);
}

TEST(ProfileRead, FirstOccurrenceWinsAndLinesBeforeTheFirstHeaderBelongNowhere) {
    StoreOn file("LEFT=1\r\nTOP=9\r\n[OTHER]\r\nWIDTH=3\r\n[GENERAL]\r\nLEFT=2\r\nleft=3\r\n");
    const ProfileFile store = file.Store();
    EXPECT_EQ(store.ReadNumber("GENERAL", "LEFT", 0), 2);
    EXPECT_EQ(store.ReadNumber("GENERAL", "TOP", -1), -1);
    EXPECT_EQ(store.ReadNumber("GENERAL", "WIDTH", -1), -1);
}

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheFallback) {
    TempDir folder;
    const ProfileFile missing(folder / "none.ini");
    EXPECT_EQ(missing.ReadText("GENERAL", "LEFT", "fb"), "fb");
    EXPECT_EQ(missing.ReadNumber("GENERAL", "LEFT", 17), 17);
    EXPECT_TRUE(missing.ReadEntries("GENERAL").empty());

    const ProfileFile directory(folder.Path());
    EXPECT_EQ(directory.ReadText("GENERAL", "LEFT", "fb"), "fb");

    StoreOn file("[GENERAL]\r\nLEFT=1\r\n");
    EXPECT_EQ(file.Store().ReadText("OTHER", "LEFT", "fb"), "fb");
    EXPECT_EQ(file.Store().ReadText("GENERAL", "TOP", "fb"), "fb");
}

TEST(ProfileRead, EmptyValueIsEmptyTextButNoNumber) {
    StoreOn file("[S]\r\nK=\r\nL=   \r\n");
    const ProfileFile store = file.Store();
    EXPECT_EQ(store.ReadText("S", "K", "fb"), "");
    EXPECT_EQ(store.ReadText("S", "L", "fb"), "");
    EXPECT_EQ(store.ReadNumber("S", "K", 7), 7);
}

TEST(ProfileRead, LongValueIsCutTo2047Bytes) {
    std::string value;
    for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
    StoreOn file("[S]\r\nK=" + value + "\r\n");
    EXPECT_EQ(file.Store().ReadText("S", "K", ""), value.substr(0, 2047));
    const ProfileEntries entries = file.Store().ReadEntries("S");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].second, value.substr(0, 2047));
}

TEST(ProfileRead, NumbersFollowTheIntegerRule) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"0x10", 16},       {"0X1f", 31},          {"$10", 16},
        {"x10", 16},        {"0xFFFFFFFF", -1},    {"-8", -8},
        {"+12", 12},        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"abc", 99},        {"", 99},              {"2147483648", 99},
        {"0x", 99},         {"12abc", 99},         {"0x123456789", 99},
    };
    std::string bytes = "[S]\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) bytes += "K" + std::to_string(i) + "=" + cases[i].value + "\r\n";
    StoreOn file(bytes);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(file.Store().ReadNumber("S", "K" + std::to_string(i), 99), cases[i].expected)
            << "value \"" << cases[i].value << "\"";
}

TEST(ProfileRead, LastLineWithoutLineBreakAndBareLineFeeds) {
    StoreOn file("[S]\nA=1\nB=two");
    EXPECT_EQ(file.Store().ReadNumber("S", "A", 0), 1);
    EXPECT_EQ(file.Store().ReadText("S", "B", ""), "two");
}

// ---------------------------------------------------------------------------
// Enumerating a section

TEST(ProfileEntries, KeysInFileOrderWithoutEmptyOrRepeatedKeys) {
    StoreOn file("[S]\r\nB=2\r\nA=1\r\nE=\r\nb=3\r\ne=9\r\n\r\n  C = 4 \r\n" + IconvCp932("ア=5\r\nヂ=6\r\n") +
                 "[T]\r\nD=5\r\n");
    // "ア" and "ヂ" differ only in a trail byte that reads as "A" / "a": two keys.
    const ProfileEntries expected{{"B", "2"}, {"A", "1"}, {"C", "4"}, {IconvCp932("ア"), "5"}, {IconvCp932("ヂ"), "6"}};
    EXPECT_EQ(file.Store().ReadEntries("S"), expected);
    EXPECT_EQ(file.Store().ReadEntries("s"), expected);
    EXPECT_TRUE(file.Store().ReadEntries("U").empty());
}

TEST(ProfileEntries, EveryKeyIsEnumeratedHoweverLongTheNames) {
    // 4,000 names of 7 bytes: twice what a 16,384-byte enumeration would hold.
    std::string names;
    for (int i = 0; i < 4000; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "K%06d", i);
        names += std::string(key) + "=v\r\n";
    }
    StoreOn file("[MANY]\r\n" + names + "[NEXT]\r\nX=1\r\n");
    const ProfileEntries many = file.Store().ReadEntries("MANY");
    ASSERT_EQ(many.size(), 4000u);
    EXPECT_EQ(many.front().first, "K000000");
    EXPECT_EQ(many.back().first, "K003999");
}

// ---------------------------------------------------------------------------
// Writing

TEST(ProfileWrite, NewFileGetsHeaderAndEntries) {
    StoreOn file;
    ProfileFile store = file.Store();
    store.WriteText("GENERAL", "NAME", IconvCp932("グラナイト"));
    store.WriteNumber("GENERAL", "LEFT", -8);
    store.WriteNumber("GENERAL", "TOP", 0);
    EXPECT_EQ(file.Bytes(), "[GENERAL]\r\nNAME=" + IconvCp932("グラナイト") + "\r\nLEFT=-8\r\nTOP=0\r\n");
    EXPECT_EQ(store.ReadNumber("GENERAL", "LEFT", 0), -8);
}

TEST(ProfileWrite, ReplacesInPlaceAndKeepsEveryOtherByte) {
    StoreOn file("; note\n[general]\n  left = 1  \nTOP=2\r\nleft=3\r\n\r\n[OTHER]\r\nX=y\n");
    file.Store().WriteNumber("GENERAL", "LEFT", 5);
    EXPECT_EQ(file.Bytes(), "; note\n[general]\nleft=5\r\nTOP=2\r\nleft=3\r\n\r\n[OTHER]\r\nX=y\n");
}

TEST(ProfileWrite, NewKeyFollowsTheSectionsLastEntryNotItsBlankLines) {
    StoreOn file("[A]\r\nK1=1\r\n\r\n\r\n[B]\r\n\r\n[C]\r\nX=1\r\n");
    file.Store().WriteText("A", "K2", "2");
    file.Store().WriteText("b", "J", "3");
    EXPECT_EQ(file.Bytes(), "[A]\r\nK1=1\r\nK2=2\r\n\r\n\r\n[B]\r\nJ=3\r\n\r\n[C]\r\nX=1\r\n");
}

TEST(ProfileWrite, NewSectionGoesAtTheEndWithoutABlankLine) {
    StoreOn trailingBlank("[A]\r\nK=1\r\n\r\n");
    trailingBlank.Store().WriteText("B", "X", "2");
    EXPECT_EQ(trailingBlank.Bytes(), "[A]\r\nK=1\r\n\r\n[B]\r\nX=2\r\n");

    StoreOn noBreak("[A]\r\nK=1");
    noBreak.Store().WriteText("B", "X", "2");
    EXPECT_EQ(noBreak.Bytes(), "[A]\r\nK=1\r\n[B]\r\nX=2\r\n");

    StoreOn lastEntryNoBreak("[A]\nK=1");
    lastEntryNoBreak.Store().WriteText("A", "J", "2");
    EXPECT_EQ(lastEntryNoBreak.Bytes(), "[A]\nK=1\r\nJ=2\r\n");
}

TEST(ProfileWrite, KeepsThePermissionBitsOfTheFile) {
    StoreOn file("[A]\r\nK=1\r\n");
    std::filesystem::permissions(file.Path(), std::filesystem::perms(0640));
    file.Store().WriteText("A", "K", "2");
    EXPECT_EQ(std::filesystem::status(file.Path()).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(FolderListing(file.folder.Path()), std::set<std::string>{"test.ini"});
}

TEST(ProfileDelete, RemovesHeaderEntriesAndBlankLinesOfTheSection) {
    StoreOn file("[A]\r\nK=1\r\n\r\n[b]\r\nX=1\r\n\r\n[C]\r\nY=1\r\n[B]\r\nZ=1\r\n");
    file.Store().DeleteSection("B");
    EXPECT_EQ(file.Bytes(), "[A]\r\nK=1\r\n\r\n[C]\r\nY=1\r\n");
    file.Store().DeleteSection("C");
    EXPECT_EQ(file.Bytes(), "[A]\r\nK=1\r\n\r\n");
}

TEST(ProfileDelete, MissingSectionOrFileChangesNothing) {
    StoreOn file("[A]\nK=1");
    file.Store().DeleteSection("B");
    EXPECT_EQ(file.Bytes(), "[A]\nK=1");

    TempDir folder;
    ProfileFile(folder / "none.ini").DeleteSection("A");
    EXPECT_FALSE(std::filesystem::exists(folder / "none.ini"));
}

// ---------------------------------------------------------------------------
// Failed writes

TEST(ProfileFailure, TargetThatIsADirectoryIsLeftAlone) {
    TempDir folder;
    const auto target = folder / "unit.kr";
    std::filesystem::create_directory(target);
    WriteBytes(target / "inside", "x");
    ProfileFile store(target);
    EXPECT_EQ(ErrorOf([&] { store.WriteText("A", "K", "1"); }), WriteErrorOf(target));
    EXPECT_EQ(ErrorOf([&] { store.DeleteSection("A"); }), WriteErrorOf(target));
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(FolderListing(folder.Path()), std::set<std::string>{"unit.kr"});
    EXPECT_EQ(FolderListing(target), std::set<std::string>{"inside"});
}

TEST(ProfileFailure, FolderThatCannotHoldFilesFailsWithThePathAsGiven) {
    TempDir folder;
    WriteBytes(folder / "plain", "[A]\r\nK=1\r\n");
    const auto target = folder / "plain" / "KRMAKE.INI";
    ProfileFile store(target);
    EXPECT_EQ(ErrorOf([&] { store.WriteNumber("GENERAL", "LEFT", 1); }), WriteErrorOf(target));
    EXPECT_EQ(ReadBytes(folder / "plain"), "[A]\r\nK=1\r\n");
    EXPECT_EQ(FolderListing(folder.Path()), std::set<std::string>{"plain"});
}

TEST(ProfileFailure, WriteCutShortOrOverAnUnreadableFileLeavesTheFileWhole) {
    const std::string old = "[A]\r\nK=1\r\n\r\n[B]\r\nX=y\n";
    StoreOn file(old);
    StoreOn locked(old);
    std::filesystem::permissions(locked.Path(), std::filesystem::perms(0200));
    for (const StoreOn* store : {&file, &locked})
        std::filesystem::permissions(store->folder.Path(), std::filesystem::perms(0777));
    const int cutShort = InRestrictedChild(16, [&] {
        return ErrorOf([&] { file.Store().WriteText("A", "K", std::string(100, 'v')); }) == WriteErrorOf(file.Path());
    });
    // A file that cannot be read is not replaced by one holding only the new entry.
    const int unreadable = InRestrictedChild(RLIM_INFINITY, [&] {
        return ErrorOf([&] { locked.Store().WriteText("C", "Z", "1"); }) == WriteErrorOf(locked.Path());
    });
    EXPECT_EQ(cutShort, 0) << "a write cut short did not fail with the store's write error"
                           << " (100: the test could not give up root's rights)";
    EXPECT_EQ(unreadable, 0) << "a write over an unreadable file did not fail with the store's write error";
    EXPECT_EQ(file.Bytes(), old);
    EXPECT_EQ(locked.Bytes(), old);
    EXPECT_EQ(FolderListing(file.folder.Path()), std::set<std::string>{"test.ini"});
    EXPECT_EQ(FolderListing(locked.folder.Path()), std::set<std::string>{"test.ini"});
}

// Replacing a section at once must leave exactly the bytes that deleting it
// and writing its entries one by one leaves, whatever the file held.
namespace {

std::string ReplacedOneByOne(std::string_view bytes, std::string_view section, const ProfileEntries& entries) {
    kr::ProfileDocument document(bytes);
    document.DeleteSection(section);
    for (const auto& [key, value] : entries) document.WriteText(section, key, value);
    return document.Bytes();
}

std::string ReplacedAtOnce(std::string_view bytes, std::string_view section, const ProfileEntries& entries) {
    kr::ProfileDocument document(bytes);
    document.ReplaceSection(section, entries);
    return document.Bytes();
}

}  // namespace

TEST(ProfileReplaceSection, SameBytesAsDeleteThenWriteEachEntry) {
    const std::string files[] = {
        "",
        "[A]\r\nX=1",  // no line break at the end
        "[a]\r\nold=1\r\n\r\n[B]\r\nk=v\r\n[A]\r\nmore=2\r\n",
        "top=1\r\n[B]\r\nk=v\n",
        IconvCp932("[武装]\r\nWEAPON0=旧\r\n[オプション]\r\nOPTION0=装甲\r\n"),
    };
    const ProfileEntries lists[] = {
        {},
        {{"WEAPON0", IconvCp932("ﾐｻｲﾙ")}, {"WEAPON1", IconvCp932("└予備弾倉")}, {"WEAPON2", ""}},
        // Repeated keys (ASCII case, blanks that do not read back) rewrite the first line.
        {{"Key", "1"}, {"other", "2"}, {"KEY", "3"}, {"key ", "4"}, {" key", "5"}},
        // A key that reads back as a header, or with "=" inside it.
        {{"[B]", "x"}, {"a=b", "c"}, {"a", "d"}},
    };
    for (const std::string& file : files)
        for (const std::string& section : {std::string("A"), IconvCp932("武装"), std::string("B")})
            for (const ProfileEntries& entries : lists)
                EXPECT_EQ(ReplacedAtOnce(file, section, entries), ReplacedOneByOne(file, section, entries))
                    << "file [" << file << "] section " << section << " entries " << entries.size();
}
