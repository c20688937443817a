// The comma-text rule and the line splitting of catalog files on any bytes.
// Properties: fields written back in quoted form split into the same fields;
// fields without commas, blanks or quotes joined by commas split the same;
// lines never hold a line break and rejoined with CR LF split the same.
#include "comma_text.h"
#include "../text_kit.h"
#include "codec.h"
#include "fuzz_kit.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

// Whether quoting keeps the field's characters apart from the quotes around
// it: no double-byte character swallows a quote, and the field does not end
// with a lone lead byte. Valid Shift_JIS always passes.
bool QuotesSafely(std::string_view field) {
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (!kr::IsLeadByte(static_cast<unsigned char>(field[i]))) continue;
        if (i + 1 == field.size() || field[i + 1] == '"') return false;
        ++i;
    }
    return true;
}

std::string Quoted(std::string_view field) {
    std::string out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

bool Plain(std::string_view field) {
    if (field.empty() || !QuotesSafely(field)) return false;
    for (char c : field)
        if (c == ',' || c == '"' || fuzzkit::IsBlank(c)) return false;
    return true;
}

void CheckFields(std::string_view line) {
    const std::vector<std::string> fields = textkit::SplitCommaText(line);
    FUZZ_CHECK(fields.size() <= line.size());

    bool quotable = true;
    bool plain = true;
    std::string quoted, joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        quotable = quotable && QuotesSafely(fields[i]);
        plain = plain && Plain(fields[i]);
        if (i > 0) {
            quoted += ',';
            joined += ',';
        }
        quoted += Quoted(fields[i]);
        joined += fields[i];
    }
    if (quotable) FUZZ_CHECK(textkit::SplitCommaText(quoted) == fields);
    if (plain) FUZZ_CHECK(textkit::SplitCommaText(joined) == fields);
}

void CheckLines(std::string_view text) {
    const std::vector<std::string_view> lines = textkit::SplitLines(text);
    const std::string_view content = text.substr(0, text.find('\0'));
    std::size_t total = 0;
    std::string rejoined;
    for (std::string_view line : lines) {
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        // Every line views the text itself, in order.
        FUZZ_CHECK(line.data() >= content.data() && line.data() + line.size() <= content.data() + content.size());
        total += line.size();
        rejoined.append(line).append("\r\n");
    }
    FUZZ_CHECK(total <= content.size());
    // No line break in the text: one line (or none for the empty text).
    if (content.find_first_of("\r\n") == std::string_view::npos)
        FUZZ_CHECK(lines.size() == (content.empty() ? 0u : 1u));
    const std::vector<std::string_view> again = textkit::SplitLines(rejoined);
    FUZZ_CHECK(again.size() == lines.size());
    for (std::size_t i = 0; i < lines.size() && i < again.size(); ++i) FUZZ_CHECK(again[i] == lines[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckLines(text);
    CheckFields(text);
    for (std::string_view line : textkit::SplitLines(text)) CheckFields(line);
    return 0;
}
