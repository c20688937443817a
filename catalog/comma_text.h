// The comma-text rule: how one catalog line becomes its fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// Splits a line (CP932 bytes) into fields. Blanks are the bytes 1 to 32.
// Quoted fields may hold commas, blanks and doubled double quotes; an unquoted
// field ends at a comma, a blank or the end of the line; a double-byte
// character always counts as one character.
std::vector<std::string> SplitCommaText(std::string_view line);
// The same fields as views, for reading many lines without copying. A field
// is a view into the line, except a quoted field holding a doubled double
// quote, whose text is built in `quoted`; the views stay valid while the line
// and `quoted` are unchanged.
void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields, std::string& quoted);

// Cuts a whole file's bytes into lines one at a time: a line ends at CR, LF
// or the end of the text; after it one CR, then one LF is skipped. A NUL byte
// ends the text.
class LineReader {
public:
    explicit LineReader(std::string_view text);
    // The next line, or false when the text is used up.
    bool Next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    // Position of the next LF at or after pos_ (the text's size when none);
    // searched again only once pos_ has passed it.
    std::size_t nextLf_ = 0;
    bool searched_ = false;
};

// All the lines of a text, by the same rule.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace kr
