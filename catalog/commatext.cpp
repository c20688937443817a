#include "commatext.h"

#include "codec.h"

#include <algorithm>

namespace kr {

namespace {

constexpr bool IsBlank(unsigned char byte) { return byte >= 1 && byte <= 32; }

// Length in bytes of the character at `pos`: two for a lead byte with a byte
// after it, otherwise one (a lone lead byte at the very end is one character).
inline std::size_t CharLength(std::string_view line, std::size_t pos) {
    return (IsLeadByte(static_cast<unsigned char>(line[pos])) && pos + 1 < line.size()) ? 2 : 1;
}

inline std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
    while (pos < line.size() && IsBlank(static_cast<unsigned char>(line[pos]))) ++pos;
    return pos;
}

// Reads a quoted field whose opening quote is at `pos`, appending its text to
// `field`; returns the position after the closing quote, or the end of the
// line when there is none.
std::size_t ReadQuoted(std::string_view line, std::size_t pos, std::string& field) {
    const std::size_t n = line.size();
    const std::size_t base = field.size();
    std::size_t start = pos + 1;
    std::size_t i = start;
    // Where the text's last character starts, to drop it when the quote is
    // never closed.
    std::size_t lastCharInField = std::string::npos;
    while (i < n) {
        const char c = line[i];
        if (c == '"') {
            field.append(line.data() + start, i - start);
            if (i + 1 < n && line[i + 1] == '"') {
                lastCharInField = field.size();
                field.push_back('"');
                i += 2;
                start = i;
                continue;
            }
            return i + 1;
        }
        const std::size_t length = CharLength(line, i);
        lastCharInField = field.size() + (i - start);
        i += length;
    }
    // No closing quote: the rest of the line less its last character.
    field.append(line.data() + start, n - start);
    field.resize(lastCharInField != std::string::npos ? lastCharInField : base);
    return n;
}

}  // namespace

void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields, std::string& quoted) {
    fields.clear();
    quoted.clear();
    // Quoted text is never longer than the line, so the buffer never moves
    // and the views into it stay valid.
    quoted.reserve(line.size());
    const std::size_t n = line.size();
    std::size_t i = SkipBlanks(line, 0);
    while (i < n) {
        if (line[i] == '"') {
            const std::size_t begin = quoted.size();
            i = ReadQuoted(line, i, quoted);
            fields.emplace_back(quoted.data() + begin, quoted.size() - begin);
        } else {
            const std::size_t start = i;
            while (i < n) {
                const unsigned char c = static_cast<unsigned char>(line[i]);
                if (c == ',' || IsBlank(c)) break;
                i += CharLength(line, i);
            }
            fields.push_back(line.substr(start, i - start));
        }
        i = SkipBlanks(line, i);
        if (i < n && line[i] == ',') i = SkipBlanks(line, i + 1);
    }
}

std::vector<std::string> SplitCommaText(std::string_view line) {
    std::vector<std::string_view> views;
    std::string quoted;
    SplitCommaFields(line, views, quoted);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string_view> lines;
    const std::size_t n = text.size();
    std::size_t pos = 0;
    while (pos < n) {
        std::size_t end = pos;
        while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
        if (pos < n && text[pos] == '\r') ++pos;
        if (pos < n && text[pos] == '\n') ++pos;
    }
    return lines;
}

}  // namespace kr
