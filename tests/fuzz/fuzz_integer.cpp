// The integer rule against a second, digit-counting reading of its syntax,
// and decimal text read back as the same number.
#include "Pub1.h"
#include "fuzz_kit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool AllOf(std::string_view digits, bool (*test)(char)) {
    for (char c : digits)
        if (!test(c)) return false;
    return !digits.empty();
}
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view WithoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

// Hexadecimal: at most eight significant digits, taken as a bit pattern.
std::optional<std::int32_t> Hex(std::string_view digits) {
    if (!AllOf(digits, IsHexDigit)) return std::nullopt;
    digits = WithoutLeadingZeros(digits);
    if (digits.size() > 8) return std::nullopt;
    return static_cast<std::int32_t>(std::stoul(std::string(digits), nullptr, 16));
}

// Decimal: at most ten significant digits, then a range check in 64 bits.
std::optional<std::int32_t> Decimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!AllOf(text, IsDecimalDigit)) return std::nullopt;
    text = WithoutLeadingZeros(text);
    if (text.size() > 10) return std::nullopt;
    const long long magnitude = std::stoll(std::string(text));
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> Expected(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    if (text.front() == '$' || text.front() == 'x' || text.front() == 'X') return Hex(text.substr(1));
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return Hex(text.substr(2));
    return Decimal(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> parsed = kr::ParseInt(text);
    FUZZ_CHECK(parsed == Expected(text));
    FUZZ_CHECK(kr::ParseIntDefault(text, 7) == parsed.value_or(7));
    FUZZ_CHECK(kr::ParseIntDefault(text, -7) == parsed.value_or(-7));

    // Any four bytes as a number: its decimal text reads back as itself.
    fuzzkit::Input input(data, size);
    const std::int32_t number = input.Int32();
    const std::string decimal = kr::DecimalText(number);
    FUZZ_CHECK(kr::ParseInt(decimal) == number);
    FUZZ_CHECK(kr::ParseInt("  " + decimal) == number);
    FUZZ_CHECK(!kr::ParseInt(decimal + " ").has_value());
    return 0;
}
