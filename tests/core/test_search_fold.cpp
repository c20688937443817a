// Search keys of the pickers' filter line: what folds together (widths, kana,
// case) and what must stay apart, and the scan over a list's captions.
#include "core_kit.h"
#include "search_fold.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testkit::IconvCp932;

std::string Key(const char* utf8) { return kr::SearchKey(IconvCp932(utf8)); }

TEST(SearchKey, HalfWidthKatakanaReadsFullWidth) {
    EXPECT_EQ(Key("ﾐｻｲﾙ"), "ミサイル");
    EXPECT_EQ(Key("ミサイル"), "ミサイル");
    EXPECT_EQ(Key("ｼｮｯﾄｶﾞﾝｰ｡｢･｣､"), "ショットガンー。「・」、");
}

TEST(SearchKey, HalfWidthVoicingMarkJoinsTheKanaBefore) {
    EXPECT_EQ(Key("ﾊﾟｲﾙ"), "パイル");
    EXPECT_EQ(Key("ﾊﾞﾋﾟﾌﾞﾍﾟﾎﾞ"), "バピブペボ");
    EXPECT_EQ(Key("ｶﾞｷﾞｿﾞﾁﾞﾂﾞﾃﾞﾄﾞ"), "ガギゾヂヅデド");
    EXPECT_EQ(Key("ｳﾞｧｲｽ"), "ヴァイス");
    // Full-width or hiragana kana take a half-width mark the same way.
    EXPECT_EQ(Key("はﾟカﾞ"), "パガ");
    // A mark that joins nothing stands alone.
    EXPECT_EQ(Key("ｱﾞｶﾟﾞﾝ"), "ア゛カ゜゛ン");
}

TEST(SearchKey, FullWidthAsciiAndLatinCase) {
    EXPECT_EQ(Key("ＡＢＣ"), "abc");
    EXPECT_EQ(Key("ABC"), "abc");
    EXPECT_EQ(Key("ａｂｃ"), "abc");
    EXPECT_EQ(Key("（３０ｍｍ）　Ｍｋ～２"), "(30mm) mk~2");
}

TEST(SearchKey, EveryLatinLetterFoldsInBothWidthsAndCases) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string lower(1, static_cast<char>(letter - 'A' + 'a'));
        // Full-width Ａ to Ｚ are 0x8260 to 0x8279 in CP932, ａ to ｚ 0x8281 to 0x829A.
        const std::string wideUpper{'\x82', static_cast<char>(0x60 + (letter - 'A'))};
        const std::string wideLower{'\x82', static_cast<char>(0x81 + (letter - 'A'))};
        for (const std::string& form : {std::string(1, letter), lower, wideUpper, wideLower})
            EXPECT_EQ(kr::SearchKey(form), lower) << letter;
    }
}

TEST(SearchKey, HiraganaReadKatakana) {
    EXPECT_EQ(Key("みさいる"), "ミサイル");
    EXPECT_EQ(Key("ぁゃっをんゝゞ"), "ァャッヲンヽヾ");
}

TEST(SearchKey, MixedName) { EXPECT_EQ(Key("└6連装ﾐｻｲﾙﾗﾝﾁｬｰMk2改"), "└6連装ミサイルランチャーmk2改"); }

TEST(SearchKey, DifferentCharactersStayApart) {
    EXPECT_EQ(Key("ﾊ"), "ハ");
    EXPECT_NE(Key("ﾊﾟ"), Key("ハ"));
    EXPECT_NE(Key("ｰ"), Key("-"));
    EXPECT_NE(Key("ヴ"), Key("ウ"));
    EXPECT_EQ(Key("①×"), "①×");
    EXPECT_EQ(Key("ヂ"), "ヂ");  // its second byte is that of "a", and no letter
}

TEST(SearchKey, BytesThatAreNoCharacterBecomeTheReplacementMark) {
    EXPECT_EQ(kr::SearchKey("A\xFF" "B"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(kr::SearchKey("A\x81"), "a\xEF\xBF\xBD");
}

class CaptionScan : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"ﾐｻｲﾙﾗﾝﾁｬｰ", "└予備弾倉", "ﾊﾟｲﾙﾊﾞﾝｶｰ", "ハンマー", "ヂ", "ABC", "ﾐｻｲﾙﾐｻｲﾙ"})
            captions.push_back(IconvCp932(name));
        keys.Build(captions.size(), [&](std::size_t row) { return captions[row]; });
    }
    std::vector<std::uint32_t> Find(const char* typed) const { return keys.RowsContaining(Key(typed)); }

    std::vector<std::string> captions;
    kr::CaptionKeys keys;
};

TEST_F(CaptionScan, RowsWhoseCaptionHoldsTheTypedText) {
    using Rows = std::vector<std::uint32_t>;
    EXPECT_EQ(Find("みさいる"), (Rows{0, 6}));
    EXPECT_EQ(Find("パイル"), (Rows{2}));
    EXPECT_EQ(Find("ハ"), (Rows{3}));
    EXPECT_EQ(Find("ｰ"), (Rows{0, 2, 3}));
    EXPECT_EQ(Find("ａ"), (Rows{5}));
    EXPECT_EQ(Find("予備"), (Rows{1}));
    EXPECT_EQ(Find("ロケット"), (Rows{}));
    EXPECT_EQ(keys.RowsContaining(""), (Rows{0, 1, 2, 3, 4, 5, 6}));
    // A match never runs on into the next caption.
    EXPECT_EQ(keys.RowsContaining(std::string("\xE3\x83\xBC\0\xE2\x94\x94", 7)), (Rows{}));
}

TEST_F(CaptionScan, NarrowingLooksOnlyAtTheRowsGiven) {
    using Rows = std::vector<std::uint32_t>;
    EXPECT_EQ(keys.RowsContaining(Key("ミサ"), {0, 2, 3}), (Rows{0}));
    EXPECT_EQ(keys.RowsContaining(Key("ミサ"), {1, 2}), (Rows{}));
}

}  // namespace
