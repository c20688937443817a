// The comma-text rule and line cutting as whole lists, for the tests and
// the fuzz targets that compare them with what they expect.
#pragma once

#include "comma_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace textkit {

// The fields of a line, copied out.
inline std::vector<std::string> SplitCommaText(std::string_view line) {
    std::vector<std::string_view> views;
    std::string quoted;
    kr::SplitCommaFields(line, views, quoted);
    return std::vector<std::string>(views.begin(), views.end());
}

// All the lines of a text, cut as the loader cuts them.
inline std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    kr::LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}

}  // namespace textkit
