// The comma-text rule: how one catalog line becomes its fields.
#pragma once

#include "Pub1.h"
#include "codec.h"

#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// Splits a line (CP932 bytes) into fields. Blanks are the bytes 1 to 32.
// Quoted fields may hold commas, blanks and doubled double quotes; an unquoted
// field ends at a comma, a blank or the end of the line; a double-byte
// character always counts as one character.
// The fields are views, for reading many lines without copying: a field
// is a view into the line, except a quoted field holding a doubled double
// quote, whose text is built in `quoted`; the views stay valid while the line
// and `quoted` are unchanged.
// `starts`, when given, receives where each field starts in the line (at
// its opening quote when quoted).
void SplitCommaFields(std::string_view line, std::vector<std::string_view>& fields, std::string& quoted,
                      std::vector<std::size_t>* starts = nullptr);

namespace comma_text_detail {

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
inline constexpr std::array<unsigned char, 256> ByteClasses = MakeByteClasses();

inline unsigned char ClassOf(char c) { return ByteClasses[static_cast<unsigned char>(c)]; }

inline std::size_t SkipBlanksAt(const char* line, std::size_t n, std::size_t i) {
    while (i < n && IsBlankByte(line[i])) ++i;
    return i;
}

// Walks the characters from `i` to the first comma or blank that is a
// character of its own. A lead byte takes the byte after it along; one at
// the very end overshoots by one, which the clamp takes back.
inline std::size_t WalkToStop(const char* line, std::size_t n, std::size_t i) {
    while (i < n) {
        const unsigned char byteClass = ClassOf(line[i]);
        if (byteClass == Stop) break;
        i += 1 + (byteClass >> 1);
    }
    return i < n ? i : n;
}

// The first comma or blank byte at or after `i`, or n. Sixteen bytes at a
// time where the processor can; `line` must be readable 16 bytes past n.
inline std::size_t FirstStopByte(const char* line, std::size_t n, std::size_t i) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i pastBlank = _mm_set1_epi8(33);
    const __m128i comma = _mm_set1_epi8(',');
    for (; i < n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        // 1 to 32 as signed bytes: above 0 and below 33 (0x80 and up are negative).
        const __m128i blank = _mm_and_si128(_mm_cmpgt_epi8(bytes, zero), _mm_cmplt_epi8(bytes, pastBlank));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(blank, _mm_cmpeq_epi8(bytes, comma))));
        if (n - i < 16) mask &= (1u << (n - i)) - 1;
        if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return n;
#else
    while (i < n && ClassOf(line[i]) != Stop) ++i;
    return i;
#endif
}

// Where an unquoted field starting at `i` ends: at the first comma or blank
// that is a character of its own. A trail byte is never a comma or a blank,
// so the first such byte ends the field, unless the byte before it is a
// lead byte, which would take it along in an invalid pair: then the
// characters are walked to be sure. `line` must be readable 16 bytes past n.
inline std::size_t UnquotedEndInPaddedLine(const char* line, std::size_t n, std::size_t i) {
    const std::size_t stop = FirstStopByte(line, n, i);
    if (stop < n && stop > i && ClassOf(line[stop - 1]) == Lead) return WalkToStop(line, n, i);
    return stop;
}

// After a field: its trailing blanks, then a comma and the blanks after it.
inline std::size_t NextFieldStartAt(const char* line, std::size_t n, std::size_t i) {
    i = SkipBlanksAt(line, n, i);
    if (i < n && line[i] == ',') i = SkipBlanksAt(line, n, i + 1);
    return i;
}

}  // namespace comma_text_detail

// The fields of one line, read one at a time by the same rule, for reading
// many lines fast. The bytes must be readable 15 bytes past the line's end
// (a catalog keeps that much room after its text). A quoted field holding a doubled double quote has its
// text built over the line's own bytes (it is never longer than the field),
// so every field is a view into the line; the line's bytes change there.
class CommaFieldCursor {
public:
    CommaFieldCursor(char* line, std::size_t size)
        : line_(line), size_(size), pos_(comma_text_detail::SkipBlanksAt(line, size, 0)) {}
    // The next field, or false when the line has no more.
    bool Next(std::string_view& field) {
        using namespace comma_text_detail;
        if (pos_ >= size_) return false;
        if (line_[pos_] == '"') {
            NextQuoted(field);
            return true;
        }
        const std::size_t end = UnquotedEndInPaddedLine(line_, size_, pos_);
        field = std::string_view(line_ + pos_, end - pos_);
        pos_ = NextFieldStartAt(line_, size_, end);
        return true;
    }

private:
    void NextQuoted(std::string_view& field);

    char* line_;
    std::size_t size_;
    std::size_t pos_;
};

// Cuts a whole file's bytes into lines one at a time: a line ends at CR, LF
// or the end of the text; after it one CR, then one LF is skipped. A NUL byte
// ends the text.
class LineReader {
public:
    explicit LineReader(std::string_view text);
    // The next line, or false when the text is used up.
    bool Next(std::string_view& line);
    // Whether a NUL byte ended the text before its end.
    bool EndedAtNul() const { return endedAtNul_; }

private:
    std::string_view text_;
    bool endedAtNul_ = false;
    std::size_t pos_ = 0;
    // Position of the next LF at or after pos_ (the text's size when none);
    // searched again only once pos_ has passed it.
    std::size_t nextLf_ = 0;
    bool searched_ = false;
};

// For a text read in pieces: where the whole lines at its start end, that
// is after its last LF, or, with no LF, after its last CR but one at the very
// end (an LF may follow in the next piece); 0 when no line ends in it.
std::size_t WholeLinesEnd(std::string_view text);

}  // namespace kr
