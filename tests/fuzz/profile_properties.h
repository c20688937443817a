// Helpers of the profile-file fuzz targets: the names of the sections an
// input holds (so that reads and writes hit them, not only random names),
// and the rules for text that the store writes and reads back unchanged.
#pragma once

#include "fuzz_kit.h"

#include <string>
#include <string_view>
#include <vector>

namespace fuzzkit {

inline std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Section names of the header lines of a file's bytes, in file order.
inline std::vector<std::string> SectionNames(std::string_view bytes) {
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find('\n', begin);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = TrimBlanks(bytes.substr(begin, end - begin));
        const std::size_t close = line.rfind(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos && close > 0)
            names.emplace_back(TrimBlanks(line.substr(1, close - 1)));
        begin = end + 1;
    }
    return names;
}

// A section name that a header written by the store gives back.
inline bool WritableSection(std::string_view name) {
    return name.find('\n') == std::string_view::npos && TrimBlanks(name) == name;
}

// A key that an entry line written by the store gives back.
inline bool WritableKey(std::string_view key) {
    return key.find_first_of("=\n") == std::string_view::npos && TrimBlanks(key) == key &&
           !key.empty() && key.front() != '[';
}

inline bool WritableValue(std::string_view value) { return value.find('\n') == std::string_view::npos; }

// The value a read gives for a written one.
inline std::string ReadBack(std::string_view value) { return std::string(TrimBlanks(value).substr(0, 2047)); }

}  // namespace fuzzkit
