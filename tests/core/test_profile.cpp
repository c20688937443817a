// The profile-file store on real files: reading rules, where writes land,
// which bytes stay, and that a failed write leaves the file as it was.
#include "core_kit.h"
#include "profile_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

using kr::ProfileEntries;
using kr::ProfileFile;
using namespace testkit;

namespace {

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

// "‐" is 0x81 0x5D in CP932: its second byte is "]", which does not end the
// section's name.
TEST(ProfileRead, SectionNameWithADoubleByteCharacterEndingInBracket) {
    const kr::ProfileDocument document("[A\x81\x5D]\r\nK=v\r\n[B]\r\nK=w\r\n");
    EXPECT_EQ(document.ReadText("A\x81\x5D", "K", "-"), "v");
    EXPECT_EQ(document.ReadText("B", "K", "-"), "w");
    EXPECT_EQ(document.ReadText("A", "K", "-"), "-");
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

// A new file is made as other programs make theirs: 0666 less the umask. A
// file that is there keeps its own mode.
TEST(ProfileWrite, NewFileTakesTheUmaskAndAnExistingOneKeepsItsMode) {
    TempDir folder;
    const mode_t saved = ::umask(022);
    ProfileFile(folder / "a.ini").WriteText("A", "K", "1");
    const int first = ModeOf(folder / "a.ini");
    ::umask(027);
    ProfileFile(folder / "b.ini").WriteText("A", "K", "1");
    std::filesystem::permissions(folder / "a.ini", std::filesystem::perms(0604));
    ProfileFile(folder / "a.ini").WriteText("A", "K", "2");
    ::umask(saved);
    EXPECT_EQ(first, 0644);
    EXPECT_EQ(ModeOf(folder / "b.ini"), 0640);
    EXPECT_EQ(ModeOf(folder / "a.ini"), 0604);
    EXPECT_EQ(ReadBytes(folder / "a.ini"), "[A]\r\nK=2\r\n");
    EXPECT_EQ(FolderListing(folder.Path()), (std::set<std::string>{"a.ini", "b.ini"}));
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
