// How a catalog file becomes lines, and a line becomes fields.
#include "comma_text.h"
#include "../text_kit.h"
#include "core_kit.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace testkit;
using Fields = std::vector<std::string>;
using Lines = std::vector<std::string_view>;

Fields Split(std::string_view line) { return textkit::SplitCommaText(line); }

TEST(SplitCommaText, PlainFieldsAndEmptyFields) {
    EXPECT_EQ(Split("a,b,c"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(Split("a,,b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(Split(",a"), (Fields{"", "a"}));
    EXPECT_EQ(Split("a, ,b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(Split("x,,,"), (Fields{"x", "", ""}));
}

TEST(SplitCommaText, TrailingCommaGivesNoFieldAfterIt) {
    EXPECT_EQ(Split("a,b,"), (Fields{"a", "b"}));
    EXPECT_EQ(Split("a,b,  "), (Fields{"a", "b"}));
    EXPECT_EQ(Split(","), (Fields{""}));
}

TEST(SplitCommaText, BlanksAroundFieldsAreSkipped) {
    EXPECT_EQ(Split("  a"), (Fields{"a"}));
    EXPECT_EQ(Split("a , b"), (Fields{"a", "b"}));
    EXPECT_EQ(Split("\ta,\x01\x1f" "b"), (Fields{"a", "b"}));
    EXPECT_EQ(Split("a \t"), (Fields{"a"}));
}

TEST(SplitCommaText, LineOfBlanksOnlyHasNoFields) {
    EXPECT_TRUE(Split("").empty());
    EXPECT_TRUE(Split(" ").empty());
    EXPECT_TRUE(Split(" \t \x0b ").empty());
}

TEST(SplitCommaText, BlankInsideUnquotedFieldStartsTheNextField) {
    EXPECT_EQ(Split("ab cd,e"), (Fields{"ab", "cd", "e"}));
    EXPECT_EQ(Split("W1,Heavy Gun,Cannon"), (Fields{"W1", "Heavy", "Gun", "Cannon"}));
    EXPECT_EQ(Split("a\tb"), (Fields{"a", "b"}));
}

TEST(SplitCommaText, FullWidthSpaceIsAnOrdinaryCharacter) {
    EXPECT_EQ(Split(IconvCp932("Ａ　Ｂ,c")), (Fields{IconvCp932("Ａ　Ｂ"), "c"}));
}

TEST(SplitCommaText, QuotedFieldsKeepCommasAndBlanks) {
    EXPECT_EQ(Split("\"a,b\",c"), (Fields{"a,b", "c"}));
    EXPECT_EQ(Split("\" a b \",c"), (Fields{" a b ", "c"}));
    EXPECT_EQ(Split("x,\"\",y"), (Fields{"x", "", "y"}));
    EXPECT_EQ(Split("  \"q\"  ,  r"), (Fields{"q", "r"}));
}

TEST(SplitCommaText, DoubledQuoteStandsForOneQuote) {
    EXPECT_EQ(Split("\"say \"\"hi\"\"\""), (Fields{"say \"hi\""}));
    EXPECT_EQ(Split("\"\"\"\"\"\""), (Fields{"\"\""}));
    EXPECT_EQ(Split("\"a\"\"b\",c"), (Fields{"a\"b", "c"}));
}

TEST(SplitCommaText, TextAfterClosingQuoteStartsANewField) {
    EXPECT_EQ(Split("\"a\"b,c"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(Split("\"a\"\"\"b"), (Fields{"a\"", "b"}));
}

TEST(SplitCommaText, UnterminatedQuoteDropsTheLastCharacter) {
    EXPECT_EQ(Split("x,\"abc"), (Fields{"x", "ab"}));
    EXPECT_EQ(Split("\"a,b c"), (Fields{"a,b "}));
    EXPECT_EQ(Split("\""), (Fields{""}));
    EXPECT_EQ(Split("\"a"), (Fields{""}));
    EXPECT_EQ(Split("x,\""), (Fields{"x", ""}));
}

TEST(SplitCommaText, UnterminatedQuoteDropsAWholeDoubleByteCharacter) {
    EXPECT_EQ(Split(IconvCp932("\"ab表")), (Fields{"ab"}));
    EXPECT_EQ(Split(IconvCp932("\"ソフト")), (Fields{IconvCp932("ソフ")}));
    EXPECT_EQ(Split(IconvCp932("\"ソ")), (Fields{""}));
    // A lone lead byte at the very end is one character of its own.
    EXPECT_EQ(Split("\"ab\x83"), (Fields{"ab"}));
}

TEST(SplitCommaText, DoubleByteCharactersWhoseTrailByteLooksLikeAscii) {
    // "ソ" is 83 5C and "表" is 95 5C: the trail byte is a backslash.
    ASSERT_EQ(IconvCp932("ソ"), "\x83\x5C");
    ASSERT_EQ(IconvCp932("表"), "\x95\x5C");
    EXPECT_EQ(Split(IconvCp932("ソフト,表示,\"能力,表\"")), (Fields{IconvCp932("ソフト"), IconvCp932("表示"), IconvCp932("能力,表")}));
    EXPECT_EQ(Split(IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式),格闘")), (Fields{IconvCp932("ｱｰﾑﾊﾟﾝﾁ(火薬式)"), IconvCp932("格闘")}));
}

TEST(SplitCommaText, LeadByteAlwaysTakesTheNextByteWithIt) {
    // Even where the next byte is a comma or a quote, it belongs to the
    // double-byte character and neither ends nor closes the field.
    EXPECT_EQ(Split("\x81,a,b"), (Fields{"\x81,a", "b"}));
    EXPECT_EQ(Split("\"\x81\"x\",y"), (Fields{"\x81\"x", "y"}));
    EXPECT_EQ(Split("a,\x83"), (Fields{"a", "\x83"}));
}

TEST(SplitLines, EachKindOfBreakEndsOneLine) {
    EXPECT_EQ(textkit::SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(textkit::SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(textkit::SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(textkit::SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, LoneCarriageReturnsBeforeALineFeedLater) {
    EXPECT_EQ(textkit::SplitLines("a\rb\rc\nd\re\r\nf"), (Lines{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(textkit::SplitLines("a\r\rb\n\nc"), (Lines{"a", "", "b", "", "c"}));
    EXPECT_EQ(textkit::SplitLines("\r\r\r"), (Lines{"", "", ""}));
}

TEST(SplitLines, FinalBreakGivesNoExtraLine) {
    EXPECT_EQ(textkit::SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(textkit::SplitLines("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(textkit::SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(textkit::SplitLines("\r\n"), (Lines{""}));
    EXPECT_TRUE(textkit::SplitLines("").empty());
}

TEST(SplitLines, NulByteEndsTheText) {
    using namespace std::string_view_literals;
    EXPECT_EQ(textkit::SplitLines("a\r\nb\0c\r\nd"sv), (Lines{"a", "b"}));
    EXPECT_TRUE(textkit::SplitLines("\0a\r\nb"sv).empty());
}

TEST(SplitLines, DoubleByteTextIsKeptWhole) {
    const std::string text = IconvCp932("見出し\r\nソ表\r\n");
    EXPECT_EQ(textkit::SplitLines(text), (Lines{IconvCp932("見出し"), IconvCp932("ソ表")}));
}

}  // namespace

// The views the catalog loader reads are the fields SplitCommaText gives,
// also when quoted text fills the buffer and one buffer serves many lines.
TEST(SplitCommaFields, SameFieldsAsSplitCommaTextLineAfterLine) {
    const std::string lines[] = {
        "a,b,c",
        "\"x,y\",\"say \"\"hi\"\"\",z",
        "\"unclosed",
        "\"",
        "\"\"\"\"",
        "  lead , trail  ,",
        "\"ab\"cd,\"open\"\"",
        IconvCp932("W1,\"ﾐｻｲﾙ,改\",表,\"説明\"\"付き\"\"\""),
        "",
    };
    std::vector<std::string_view> views;
    std::string quoted;
    for (const std::string& line : lines) {
        kr::SplitCommaFields(line, views, quoted);
        EXPECT_EQ(Fields(views.begin(), views.end()), Split(line)) << line;
    }
}
