// The profile-file store's reads on any file content. Properties: the file's
// bytes are kept as they are; a present key never reads as the fallback and a
// missing one always does; values are at most 2,047 bytes without blanks at
// their ends; the entries of a section are unique under ASCII case folding,
// non-empty, and each reads as its key's
// value; names differing only in ASCII case read the same.
#include "profile_file.h"
#include "Pub1.h"
#include "codec.h"
#include "profile_properties.h"

#include <set>
#include <string>
#include <string_view>

namespace {

std::string Folded(std::string_view name, bool upper) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (kr::IsLeadByte(static_cast<unsigned char>(folded[i]))) {
            ++i;  // a double-byte character keeps both bytes
            continue;
        }
        char& c = folded[i];
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void CheckKey(const kr::ProfileDocument& document, const std::string& section, const std::string& key) {
    // Fallbacks that no value read from a file can equal: values never begin with a blank.
    const std::string first = document.ReadText(section, key, "\x01" "a");
    const std::string second = document.ReadText(section, key, "\x01" "b");
    const bool present = first == second;
    if (!present) {
        FUZZ_CHECK(first == "\x01" "a" && second == "\x01" "b");
    } else {
        FUZZ_CHECK(first.size() <= 2047);
        FUZZ_CHECK(first.find('\n') == std::string::npos);
        FUZZ_CHECK(first.empty() || (!fuzzkit::IsBlank(first.front())));
    }
    const std::int32_t number = document.ReadNumber(section, key, 11);
    const std::int32_t other = document.ReadNumber(section, key, -11);
    if (number != other) FUZZ_CHECK(number == 11 && other == -11);
    if (!present) FUZZ_CHECK(number == 11 && other == -11);
    if (IsAscii(section) && IsAscii(key)) {
        FUZZ_CHECK(document.ReadText(Folded(section, true), Folded(key, false), "\x01" "a") == first);
        FUZZ_CHECK(document.ReadText(Folded(section, false), Folded(key, true), "\x01" "a") == first);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzkit::Input input(data, size);
    const std::string randomSection(input.Text(16));
    const std::string randomKey(input.Text(16));
    const std::string_view bytes = input.Rest();

    const kr::ProfileDocument document(bytes);
    FUZZ_CHECK(document.Bytes() == bytes);
    CheckKey(document, randomSection, randomKey);

    std::vector<std::string> sections = fuzzkit::SectionNames(bytes);
    sections.push_back(randomSection);
    if (sections.size() > 16) sections.resize(16);
    for (const std::string& section : sections) {
        const kr::ProfileEntries entries = document.ReadEntries(section);
        std::set<std::string> seen;
        for (const auto& [key, value] : entries) {
            FUZZ_CHECK(seen.insert(Folded(key, true)).second);
            FUZZ_CHECK(!value.empty() && value.size() <= 2047);
            FUZZ_CHECK(document.ReadText(section, key, "\x01") == value);
        }
        if (entries.size() < 64)
            for (const auto& entry : entries) CheckKey(document, section, entry.first);
        CheckKey(document, section, randomKey);
    }
    return 0;
}
