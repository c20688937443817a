// The integer rule every numeric catalog column and setting goes through.
#include "Pub1.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

struct IntegerCase {
    const char* text;
    std::optional<std::int32_t> value;
};

void ExpectCases(std::initializer_list<IntegerCase> cases) {
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(kr::ParseInt(c.text), c.value);
    }
}

TEST(ParseInt, DecimalWithOptionalSign) {
    ExpectCases({
        {"0", 0},
        {"123", 123},
        {"+7", 7},
        {"-2", -2},
        {"-0", 0},
        {"007", 7},
        {"   42", 42},
        {"  -15", -15},
    });
}

TEST(ParseInt, DecimalBoundsOfThirtyTwoBits) {
    ExpectCases({
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"+2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"0000000000002147483647", INT32_MAX},
    });
}

TEST(ParseInt, HexadecimalPrefixes) {
    ExpectCases({
        {"$FF", 255},
        {"$ff", 255},
        {"x10", 16},
        {"X1f", 31},
        {"0x1F4", 500},
        {"0X1f4", 500},
        {"  $A", 10},
        {"0x0", 0},
    });
}

TEST(ParseInt, HexadecimalIsABitPatternOfThirtyTwoBits) {
    ExpectCases({
        {"$FFFFFFFF", -1},
        {"0xFFFFFFFE", -2},
        {"$80000000", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"$00000000000001", 1},
        {"0x000FFFFFFFF", -1},
        {"$100000000", std::nullopt},
        {"x123456789", std::nullopt},
    });
}

TEST(ParseInt, RejectsMalformedText) {
    ExpectCases({
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"x", std::nullopt},
        {"- 1", std::nullopt},
        {"-$10", std::nullopt},
        {"+0x10", std::nullopt},
        {"$G", std::nullopt},
        {"0xFG", std::nullopt},
        {"00x1", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"\t5", std::nullopt},
        {"\xEF\xBC\x91", std::nullopt},  // full-width digit one
        // The digits must run to the end.
        {"12 ", std::nullopt},
        {"12a", std::nullopt},
        {"$1F ", std::nullopt},
        {"0x1Z", std::nullopt},
        {"5,", std::nullopt},
        {"12\t", std::nullopt},
    });
}

TEST(ParseIntDefault, FallbackOnlyForInvalidText) {
    EXPECT_EQ(kr::ParseIntDefault("abc", 7), 7);
    EXPECT_EQ(kr::ParseIntDefault("2147483648", -1), -1);
    EXPECT_EQ(kr::ParseIntDefault("0", 9), 0);
    EXPECT_EQ(kr::ParseIntDefault("$FFFFFFFF", 9), -1);
}

}  // namespace
