#include "comma_text.h"

#include "Pub1.h"
#include "codec.h"

#include <array>
#include <cstring>

namespace kr {

namespace {

// What a byte means to the splitter.
enum ByteClass : unsigned char {
    Ordinary = 0,
    Stop = 1,  // a blank (1 to 32) or a comma: ends an unquoted field
    Lead = 2,  // the first byte of a double-byte character
};

constexpr std::array<unsigned char, 256> MakeByteClasses() {
    std::array<unsigned char, 256> classes{};
    for (int b = 1; b <= 32; ++b) classes[static_cast<std::size_t>(b)] = Stop;
    classes[static_cast<unsigned char>(',')] = Stop;
    for (int b = 0; b < 256; ++b)
        if (IsLeadByte(static_cast<unsigned char>(b))) classes[static_cast<std::size_t>(b)] = Lead;
    return classes;
}
constexpr std::array<unsigned char, 256> ByteClasses = MakeByteClasses();

inline unsigned char ClassOf(char c) { return ByteClasses[static_cast<unsigned char>(c)]; }

// Position after the character at `pos`: a lead byte with a byte after it
// makes a character of two bytes; a lone lead byte at the very end is one.
inline std::size_t AfterChar(std::size_t n, std::size_t pos, unsigned char byteClass) {
    const std::size_t next = pos + (byteClass == Lead ? 2 : 1);
    return next < n ? next : n;
}

inline std::size_t SkipBlanks(std::string_view line, std::size_t pos) {
    while (pos < line.size() && IsBlankByte(line[pos])) ++pos;
    return pos;
}

// Reads a quoted field whose opening quote is at `pos`; returns the position
// after the closing quote, or the end of the line when there is none. The
// field is a slice of the line unless it holds a doubled double quote; then
// its text is appended to `quoted`.
std::size_t ReadQuoted(std::string_view line, std::size_t pos, std::string_view& field, std::string& quoted) {
    const std::size_t n = line.size();
    const std::size_t start = pos + 1;
    std::size_t i = start;
    // Where the text's last character starts, to drop it when the quote is
    // never closed.
    std::size_t lastChar = start;
    bool hasLastChar = false;
    while (i < n) {
        const char c = line[i];
        if (c == '"') {
            if (i + 1 < n && line[i + 1] == '"') break;  // needs a copy
            field = line.substr(start, i - start);
            return i + 1;
        }
        lastChar = i;
        hasLastChar = true;
        i = AfterChar(n, i, ClassOf(c));
    }
    if (i >= n) {
        // No closing quote: the rest of the line less its last character.
        field = line.substr(start, (hasLastChar ? lastChar : start) - start);
        return n;
    }

    // A doubled double quote: build the text in `quoted`.
    const std::size_t base = quoted.size();
    std::size_t chunk = start;
    std::size_t lastInField = std::string::npos;
    while (i < n) {
        const char c = line[i];
        if (c == '"') {
            quoted.append(line.data() + chunk, i - chunk);
            if (i + 1 < n && line[i + 1] == '"') {
                lastInField = quoted.size();
                quoted.push_back('"');
                i += 2;
                chunk = i;
                continue;
            }
            field = std::string_view(quoted.data() + base, quoted.size() - base);
            return i + 1;
        }
        lastInField = quoted.size() + (i - chunk);
        i = AfterChar(n, i, ClassOf(c));
    }
    // No closing quote: the rest of the line less its last character.
    quoted.append(line.data() + chunk, n - chunk);
    quoted.resize(lastInField != std::string::npos ? lastInField : base);
    field = std::string_view(quoted.data() + base, quoted.size() - base);
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
            std::string_view field;
            i = ReadQuoted(line, i, field, quoted);
            fields.push_back(field);
        } else {
            const std::size_t start = i;
            // The first comma or blank ends the field unless it is the second
            // byte of a double-byte character, which needs a lead byte right
            // before it. Only then are the characters walked one by one.
            while (i < n && ClassOf(line[i]) != Stop) ++i;
            if (i < n && i > start && ClassOf(line[i - 1]) == Lead) {
                i = start;
                // A lead byte takes the byte after it along; one at the very
                // end overshoots by one, which the clamp takes back.
                while (i < n) {
                    const unsigned char byteClass = ClassOf(line[i]);
                    if (byteClass == Stop) break;
                    i += 1 + (byteClass >> 1);
                }
                if (i > n) i = n;
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

LineReader::LineReader(std::string_view text) : text_(text) {
    const std::size_t nul = text_.find('\0');
    if (nul != std::string_view::npos) text_ = text_.substr(0, nul);
}

bool LineReader::Next(std::string_view& line) {
    const std::size_t n = text_.size();
    if (pos_ >= n) return false;
    const char* const data = text_.data();
    // Most lines end with LF: find the next one (once per LF, so a file of
    // lone CRs is not searched to its end for every line), then a CR before it.
    if (!searched_ || nextLf_ < pos_) {
        searched_ = true;
        const void* lf = std::memchr(data + pos_, '\n', n - pos_);
        nextLf_ = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : n;
    }
    const void* cr = std::memchr(data + pos_, '\r', nextLf_ - pos_);
    const std::size_t end = cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : nextLf_;
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < n && data[pos_] == '\r') ++pos_;
    if (pos_ < n && data[pos_] == '\n') ++pos_;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}

}  // namespace kr
