// Search keys of the pickers' filter line: what folds together (widths, kana,
// case) and what must stay apart, and the scan over a list's captions.
#include "core_kit.h"
#include "search_fold.h"

#include <gtest/gtest.h>

#include <cstdint>
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
        keys.Build(captions.size(), [&](std::size_t row) -> std::string_view { return captions[row]; });
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


// Many captions of every shape the scan meets: keys shorter and longer than
// its sixteen-byte blocks, matches at a key's first and last character and
// at the very end of the keys, needles of one to many bytes, keys folded in
// one part or in several at once.
class CaptionScanAtScale : public ::testing::Test {
protected:
    static constexpr std::size_t Rows = 20000;

    void SetUp() override {
        const testkit::Texts pieces = IconvCp932({"ﾐ", "ｻ", "ｲ", "ﾙ", "M", "k", "1", "2", "改", "└", "ﾊﾟ", "ハ", "A", "a", "予備"});
        std::uint64_t state = 12345;
        const auto next = [&] {
            state = state * 6364136223846793005u + 1442695040888963407u;
            return static_cast<std::size_t>(state >> 33);
        };
        for (std::size_t row = 0; row < Rows; ++row) {
            std::string caption;
            for (std::size_t n = next() % 14; n > 0; --n) caption += pieces[next() % pieces.size()];
            captions.push_back(caption);
        }
        needles = {"ﾐ", "M", "a", "ﾊﾟ", "ハ", "は", "改", "└", "予備", "ﾐｻ", "ｻｲﾙ", "mk", "M1", "12", "ﾙM",
                   "改改", "ﾐｻｲ", "ﾊﾟﾊﾟ", "1ﾐ2", "kA改", "ｲﾙﾊﾟ└"};
    }
    // The rows whose key holds the needle's key, one caption at a time.
    std::vector<std::uint32_t> Expected(const std::string& needleKey) const {
        std::vector<std::uint32_t> rows;
        for (std::size_t row = 0; row < captions.size(); ++row)
            if (kr::SearchKey(captions[row]).find(needleKey) != std::string::npos)
                rows.push_back(static_cast<std::uint32_t>(row));
        return rows;
    }
    kr::CaptionKeys Built(unsigned threads) const {
        kr::CaptionKeys keys;
        keys.Build(captions.size(), [&](std::size_t row) -> std::string_view { return captions[row]; }, threads);
        return keys;
    }

    std::vector<std::string> captions;
    std::vector<const char*> needles;
};

TEST_F(CaptionScanAtScale, EveryPartFindsTheRowsOfItsCaptions) {
    const kr::CaptionKeys one = Built(1);
    const kr::CaptionKeys three = Built(3);
    ASSERT_EQ(one.Count(), Rows);
    ASSERT_EQ(three.Count(), Rows);
    for (std::size_t row = 0; row < Rows; ++row) {
        ASSERT_EQ(one.Key(row), kr::SearchKey(captions[row])) << row;
        ASSERT_EQ(three.Key(row), one.Key(row)) << row;
    }
    for (const char* needle : needles) {
        const std::string key = Key(needle);
        const std::vector<std::uint32_t> expected = Expected(key);
        EXPECT_FALSE(expected.empty()) << needle;
        EXPECT_EQ(one.RowsContaining(key), expected) << needle;
        EXPECT_EQ(three.RowsContaining(key), expected) << needle;
    }
    // The last caption's key ends the keys: a match there is found too.
    const std::string last = kr::SearchKey(captions.back());
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(one.RowsContaining(last).back(), Rows - 1);
}

// Whatever the texts typed and deleted, the filter shows the rows a fresh
// scan of the text shows, also when it gives back the rows of a text typed
// before (Backspace) or narrows the rows shown.
TEST_F(CaptionScanAtScale, FilterShowsTheRowsOfItsText) {
    const kr::CaptionKeys keys = Built(2);
    const std::vector<std::uint32_t> every = keys.RowsContaining("");
    kr::CaptionFilter filter;
    const auto shown = [&](const std::string& typed) {
        const kr::CaptionFilter::Shown rows = filter.Apply(keys, Key(typed.c_str()));
        return rows.Every ? every : *rows.Rows;
    };
    const std::vector<std::string> texts = {
        "ﾐ", "ﾐｻ", "ﾐｻｲ", "ﾐｻ", "ﾐ", "", "ﾙ", "ﾙM", "ﾙMk", "ﾙM", "M", "Mk", "Mk1", "k1", "ｸ", "", "ハ", "ハﾟ",
        "ハ", "パ", "ﾊﾟ", "ﾊﾟﾊﾟ", "ﾊﾟ", "予", "予備", "予備ｸ", "予備", "改", "a", "A", "Aa"};
    for (const std::string& text : texts) {
        const std::vector<std::uint32_t> expected = Expected(Key(text.c_str()));
        ASSERT_EQ(shown(text), expected) << text;
        EXPECT_EQ(filter.Apply(keys, Key(text.c_str())).Every, expected.size() == Rows) << text;
    }
}

TEST(CaptionFilter, EveryRowIsToldAsSuch) {
    const testkit::Texts captions = IconvCp932({"ﾐｻｲﾙMk1", "ﾊﾟｲﾙMk2", "Mk3改"});
    kr::CaptionKeys keys;
    keys.Build(captions.size(), [&](std::size_t row) -> std::string_view { return captions[row]; });
    kr::CaptionFilter filter;
    EXPECT_TRUE(filter.Apply(keys, Key("m")).Every);
    EXPECT_TRUE(filter.Apply(keys, Key("Mk")).Every);
    const kr::CaptionFilter::Shown some = filter.Apply(keys, Key("Mk1"));
    ASSERT_FALSE(some.Every);
    EXPECT_EQ(*some.Rows, (std::vector<std::uint32_t>{0}));
    const kr::CaptionFilter::Shown none = filter.Apply(keys, Key("Mk4"));
    ASSERT_FALSE(none.Every);
    EXPECT_TRUE(none.Rows->empty());
    EXPECT_TRUE(filter.Apply(keys, "").Every);
}

}  // namespace
