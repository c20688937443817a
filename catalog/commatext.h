// The comma-text rule: how one catalog line becomes its fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kr {

// Splits a line (CP932 bytes) into fields. Blanks are the bytes 1 to 32.
// Quoted fields may hold commas, blanks and doubled double quotes; an unquoted
// field ends at a comma, a blank or the end of the line; a double-byte
// character always counts as one character.
std::vector<std::string> SplitCommaText(std::string_view line);
// The same fields as views, for reading many lines without copying: each
// view points into the line or into `quoted`, which holds the text of quoted
// fields, and stays valid while both are unchanged.
void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields, std::string& quoted);

// Splits a whole file's bytes into lines: a line ends at CR, LF or the end of
// the text; after it one CR, then one LF is skipped. A NUL byte ends the text.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace kr
