#include "comma_text.h"

#include "Pub1.h"
#include "codec.h"

#include <array>
#include <cstring>

namespace kr {

namespace {

using namespace comma_text_detail;

// Position after the character at `pos`: a lead byte with a byte after it
// makes a character of two bytes; a lone lead byte at the very end is one.
inline std::size_t AfterChar(std::size_t n, std::size_t pos, unsigned char byteClass) {
    const std::size_t next = pos + (byteClass == Lead ? 2 : 1);
    return next < n ? next : n;
}

inline std::size_t SkipBlanks(std::string_view line, std::size_t pos) { return SkipBlanksAt(line.data(), line.size(), pos); }

// Where the text of a quoted field with doubled double quotes is built: at
// the end of a separate buffer, or over the line's own bytes (the text is
// never longer than the field it comes from, so it never overtakes what is
// still to be read).
struct AppendTo {
    std::string& Buffer;
    std::size_t Base = Buffer.size();
    void Append(const char* from, std::size_t count) { Buffer.append(from, count); }
    std::size_t Size() const { return Buffer.size() - Base; }
    void Resize(std::size_t size) { Buffer.resize(Base + size); }
    std::string_view Text() const { return std::string_view(Buffer.data() + Base, Size()); }
};
struct OverLine {
    char* Start;  // where the text begins, in the line
    std::size_t Length = 0;
    void Append(const char* from, std::size_t count) {
        std::memmove(Start + Length, from, count);
        Length += count;
    }
    std::size_t Size() const { return Length; }
    void Resize(std::size_t size) { Length = size; }
    std::string_view Text() const { return std::string_view(Start, Length); }
};

// Reads a quoted field whose opening quote is at `pos`; returns the position
// after the closing quote, or the end of the line when there is none. The
// field is a slice of the line unless it holds a doubled double quote; then
// its text is built in `out`.
template <class Out>
std::size_t ReadQuoted(std::string_view line, std::size_t pos, std::string_view& field, Out&& out) {
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
            if (i + 1 < n && line[i + 1] == '"') break;  // needs building
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

    // A doubled double quote: build the text.
    std::size_t chunk = start;
    std::size_t lastInField = std::string::npos;
    while (i < n) {
        const char c = line[i];
        if (c == '"') {
            out.Append(line.data() + chunk, i - chunk);
            if (i + 1 < n && line[i + 1] == '"') {
                lastInField = out.Size();
                out.Append("\"", 1);
                i += 2;
                chunk = i;
                continue;
            }
            field = out.Text();
            return i + 1;
        }
        lastInField = out.Size() + (i - chunk);
        i = AfterChar(n, i, ClassOf(c));
    }
    // No closing quote: the rest of the line less its last character.
    out.Append(line.data() + chunk, n - chunk);
    out.Resize(lastInField != std::string::npos ? lastInField : 0);
    field = out.Text();
    return n;
}

inline std::size_t ReadUnquoted(std::string_view line, std::size_t i, std::string_view& field) {
    const std::size_t end = WalkToStop(line.data(), line.size(), i);
    field = line.substr(i, end - i);
    return end;
}

inline std::size_t NextFieldStart(std::string_view line, std::size_t i) {
    return NextFieldStartAt(line.data(), line.size(), i);
}

}  // namespace

void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields, std::string& quoted,
                      std::vector<std::size_t>* starts) {
    fields.clear();
    if (starts) starts->clear();
    quoted.clear();
    // Quoted text is never longer than the line, so the buffer never moves
    // and the views into it stay valid.
    quoted.reserve(line.size());
    const std::size_t n = line.size();
    std::size_t i = SkipBlanks(line, 0);
    while (i < n) {
        std::string_view field;
        if (starts) starts->push_back(i);
        i = line[i] == '"' ? ReadQuoted(line, i, field, AppendTo{quoted}) : ReadUnquoted(line, i, field);
        fields.push_back(field);
        i = NextFieldStart(line, i);
    }
}

void CommaFieldCursor::NextQuoted(std::string_view& field) {
    const std::string_view line(line_, size_);
    pos_ = NextFieldStart(line, ReadQuoted(line, pos_, field, OverLine{line_ + pos_ + 1}));
}

LineReader::LineReader(std::string_view text) : text_(text) {
    const std::size_t nul = text_.find('\0');
    if (nul != std::string_view::npos) {
        text_ = text_.substr(0, nul);
        endedAtNul_ = true;
    }
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

std::size_t WholeLinesEnd(std::string_view text) {
    if (text.empty()) return 0;
    if (const void* lf = ::memrchr(text.data(), '\n', text.size()))
        return static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1;
    if (const void* cr = ::memrchr(text.data(), '\r', text.size() - 1))
        return static_cast<std::size_t>(static_cast<const char*>(cr) - text.data()) + 1;
    return 0;
}

}  // namespace kr
