#include "search_fold.h"

#include "codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <future>
#include <limits>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kr {

namespace {

// Double-byte CP932 characters by lead byte (0x81-0x9F, 0xE0-0xFC) and
// trail byte (0x40-0xFC): their code points, taken once from the system's
// converter; 0 where the pair is no character. Every CP932 character lies
// in the Basic Multilingual Plane.
class DoubleByteCharacters {
public:
    static constexpr unsigned FirstTrail = 0x40, LastTrail = 0xFC;
    static constexpr unsigned Trails = LastTrail - FirstTrail + 1;

    DoubleByteCharacters() {
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = FirstTrail; trail <= LastTrail; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                codes_[Slot(lead, trail)] = OneCharacter(Cp932ToUtf8(std::string_view(pair, 2)));
            }
        }
    }
    char16_t At(unsigned char lead, unsigned char trail) const {
        if (trail < FirstTrail || trail > LastTrail) return 0;
        return codes_[Slot(lead, trail)];
    }

private:
    // The character of a UTF-8 text of one character of up to three bytes,
    // or 0 (also for the replacement mark the converter gives for a bad pair).
    static char16_t OneCharacter(std::string_view utf8) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(utf8[i])); };
        char16_t c = 0;
        if (utf8.size() == 2 && (byte(0) & 0xE0u) == 0xC0u)
            c = static_cast<char16_t>(((byte(0) & 0x1Fu) << 6) | (byte(1) & 0x3Fu));
        else if (utf8.size() == 3 && (byte(0) & 0xF0u) == 0xE0u)
            c = static_cast<char16_t>(((byte(0) & 0x0Fu) << 12) | ((byte(1) & 0x3Fu) << 6) | (byte(2) & 0x3Fu));
        return c == 0xFFFD ? 0 : c;
    }
    static std::size_t Slot(unsigned lead, unsigned trail) {
        const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1);
        return row * Trails + (trail - FirstTrail);
    }
    std::array<char16_t, 60 * Trails> codes_{};
};

const DoubleByteCharacters& DoubleBytes() {
    static const DoubleByteCharacters characters;
    return characters;
}

// Half-width katakana and punctuation U+FF61 to U+FF9F (CP932 bytes 0xA1 to
// 0xDF), in code order, as their full-width characters.
constexpr char16_t FullWidthOfHalfWidth[0xFF9F - 0xFF61 + 1] = {
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ',  // FF61-FF6F
    u'ー', u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ',  // FF70-FF7F
    u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ',  // FF80-FF8F
    u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜',  // FF90-FF9F
};

constexpr unsigned char HalfWidthVoicedMark = 0xDE;      // "ﾞ" in CP932
constexpr unsigned char HalfWidthSemiVoicedMark = 0xDF;  // "ﾟ"

// The kana a voicing mark turns a (full-width) katakana into, or 0.
// Voiced: カ to チ (every other code), ツ, テ, ト, ハ to ホ (every third), ウ.
// Semi-voiced: ハ to ホ only.
char16_t Voiced(char16_t kana, bool semiVoiced) {
    if (kana >= u'ハ' && kana <= u'ホ' && (kana - u'ハ') % 3 == 0)
        return static_cast<char16_t>(kana + (semiVoiced ? 2 : 1));
    if (semiVoiced) return 0;
    if (kana >= u'カ' && kana <= u'チ' && (kana - u'カ') % 2 == 0) return static_cast<char16_t>(kana + 1);
    if (kana == u'ツ' || kana == u'テ' || kana == u'ト') return static_cast<char16_t>(kana + 1);
    if (kana == u'ウ') return u'ヴ';
    return 0;
}

// The folded form of one character (the voicing marks are joined apart).
char16_t Folded(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
    if (c < 0x80) return c;
    if (c >= 0xFF61 && c <= 0xFF9F) return FullWidthOfHalfWidth[c - 0xFF61];
    if (c >= 0xFF01 && c <= 0xFF5E) return Folded(static_cast<char16_t>(c - 0xFF01 + 0x21));
    if (c == 0x3000) return u' ';
    if (c >= u'ぁ' && c <= u'ゖ') return static_cast<char16_t>(c + (u'ァ' - u'ぁ'));
    if (c == u'ゝ' || c == u'ゞ') return static_cast<char16_t>(c + (u'ヽ' - u'ゝ'));
    return c;
}

// Writes a character of the Basic Multilingual Plane as UTF-8; returns the
// end of what was written.
char* PutUtf8(char16_t c, char* out) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Every CP932 character already folded: one look-up per byte or pair.
class FoldTable {
public:
    static constexpr char16_t LeadByte = 0;  // in Single(): look at the pair

    FoldTable() {
        for (unsigned b = 0; b < 0x100; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            if (b < 0x80) single_[b] = Folded(static_cast<char16_t>(b));
            else if (b >= 0xA1 && b <= 0xDF) single_[b] = Folded(static_cast<char16_t>(0xFF61 + (b - 0xA1)));
            else if (IsLeadByte(byte)) single_[b] = LeadByte;
            else single_[b] = 0xFFFD;  // no character
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = FirstTrail; trail <= LastTrail; ++trail) {
                const char16_t c = DoubleBytes().At(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                pairs_[Slot(lead, trail)] = c == 0 ? 0 : Folded(c);
            }
        }
    }
    char16_t Single(unsigned char byte) const { return single_[byte]; }
    // The folded character of a lead and a trail byte, or 0 for no character.
    char16_t Pair(unsigned char lead, unsigned char trail) const {
        if (trail < FirstTrail || trail > LastTrail) return 0;
        return pairs_[Slot(lead, trail)];
    }

private:
    static constexpr unsigned FirstTrail = 0x40, LastTrail = 0xFC, Trails = LastTrail - FirstTrail + 1;
    static std::size_t Slot(unsigned lead, unsigned trail) {
        const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1);
        return row * Trails + (trail - FirstTrail);
    }
    std::array<char16_t, 0x100> single_{};
    std::array<char16_t, 60 * Trails> pairs_{};
};

const FoldTable& Folding() {
    static const FoldTable table;
    return table;
}

// Writes the search key of a CP932 text at `out`, at most three bytes per
// byte of the text; returns the end of what was written.
char* FoldInto(std::string_view text, char* out) {
    const FoldTable& table = Folding();
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = byte(i);
        char16_t c = table.Single(b);
        ++i;
        if (c == FoldTable::LeadByte) {
            c = i < n ? table.Pair(b, byte(i)) : 0;
            if (c != 0) ++i;
            else c = 0xFFFD;  // not CP932: the replacement mark, and on with the next byte
        }
        if (i < n && (byte(i) == HalfWidthVoicedMark || byte(i) == HalfWidthSemiVoicedMark)) {
            if (const char16_t joined = Voiced(c, byte(i) == HalfWidthSemiVoicedMark)) {
                c = joined;
                ++i;
            }
        }
        out = PutUtf8(c, out);
    }
    return out;
}

// Room after the keys for the scan, which reads sixteen bytes at a time
// beyond the position it looks at.
constexpr std::size_t ScanPadding = 64;

// The first place at or after `from` where the needle (not empty) lies
// wholly within `size` bytes, or `size`.
std::size_t FindNeedle(const char* bytes, std::size_t size, std::size_t from, std::string_view needle) {
    const std::size_t k = needle.size();
    if (from + k > size) return size;
#if defined(__SSE2__)
    // Places whose first and last bytes are the needle's, sixteen at a
    // time; only those are compared whole.
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    for (std::size_t at = from; at + k <= size; at += 16) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at + k - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
        while (mask != 0) {
            const std::size_t place = at + static_cast<std::size_t>(__builtin_ctz(mask));
            if (place + k > size) return size;
            if (k <= 2 || std::memcmp(bytes + place + 1, needle.data() + 1, k - 2) == 0) return place;
            mask &= mask - 1;
        }
    }
    return size;
#else
    const void* found = memmem(bytes + from, size - from, needle.data(), k);
    return found == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(found) - bytes);
#endif
}

}  // namespace

void AppendSearchKey(std::string_view text, std::string& key) {
    const std::size_t at = key.size();
    key.resize(at + text.size() * 3);
    key.resize(static_cast<std::size_t>(FoldInto(text, key.data() + at) - key.data()));
}

std::string SearchKey(std::string_view cp932) {
    std::string key;
    AppendSearchKey(cp932, key);
    return key;
}

// ---------------------------------------------------------------------------
// CaptionKeys

void CaptionKeys::BuildParts(std::size_t count, const std::function<std::string_view(std::size_t row)>& captionAt,
                             unsigned threads) {
    parts_.clear();
    count_ = 0;
    // A short list is folded in no time: parts are for long ones.
    const std::size_t partCount = count < 8192 ? 1 : std::clamp<std::size_t>(threads, 1, 16);
    parts_.resize(partCount);
    const auto bound = [&](std::size_t part) { return count * part / partCount; };
    std::vector<std::future<void>> others;
    for (std::size_t part = 1; part < partCount; ++part)
        others.push_back(std::async(std::launch::async, [&, part] {
            FoldPart(parts_[part], bound(part), bound(part + 1), captionAt);
        }));
    FoldPart(parts_[0], 0, bound(1), captionAt);
    for (std::future<void>& other : others) other.get();
    count_ = count;
}

void CaptionKeys::FoldPart(Part& part, std::size_t first, std::size_t last,
                           const std::function<std::string_view(std::size_t row)>& captionAt) {
    part.First = first;
    std::size_t bytes = 0;
    for (std::size_t row = first; row < last; ++row) bytes += captionAt(row).size();
    // A byte of a caption folds to at most three; each key ends with a NUL.
    const std::size_t room = bytes * 3 + (last - first);
    if (room + ScanPadding > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the captions are too long to search");
    part.Keys = std::make_unique_for_overwrite<char[]>(room + ScanPadding);
    part.Starts.clear();
    part.Starts.reserve(last - first + 1);
    char* const begin = part.Keys.get();
    char* out = begin;
    for (std::size_t row = first; row < last; ++row) {
        part.Starts.push_back(static_cast<std::uint32_t>(out - begin));
        out = FoldInto(captionAt(row), out);
        *out++ = '\0';
    }
    part.Starts.push_back(static_cast<std::uint32_t>(out - begin));
    std::memset(out, 0, ScanPadding);
}

const CaptionKeys::Part& CaptionKeys::PartOf(std::size_t row) const {
    const auto after = std::upper_bound(parts_.begin(), parts_.end(), row,
                                        [](std::size_t r, const Part& part) { return r < part.First; });
    return *(after - 1);
}

std::string_view CaptionKeys::Key(std::size_t row) const {
    const Part& part = PartOf(row);
    const std::size_t local = row - part.First;
    const std::uint32_t start = part.Starts[local];
    return std::string_view(part.Keys.get() + start, part.Starts[local + 1] - start - 1);
}

// Keys are UTF-8, so a byte match always starts and ends on whole
// characters, and a needle without a NUL byte never runs into the next key.
void CaptionKeys::ScanPart(const Part& part, std::string_view needleKey, RowNumbers& rows) {
    const char* const keys = part.Keys.get();
    const std::size_t size = part.Starts.back();
    const std::size_t count = part.Starts.size() - 1;
    std::size_t row = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = FindNeedle(keys, size, from, needleKey);
        if (at >= size) return;
        // The matches come in order: the row of this one lies at or after
        // the row after the last.
        while (part.Starts[row + 1] <= at) ++row;
        rows.push_back(static_cast<std::uint32_t>(part.First + row));
        if (++row == count) return;
        from = part.Starts[row];
    }
}

RowNumbers CaptionKeys::RowsContaining(std::string_view needleKey) const {
    RowNumbers rows;
    if (needleKey.empty()) {
        rows.resize(count_);
        for (std::size_t row = 0; row < count_; ++row) rows[row] = static_cast<std::uint32_t>(row);
        return rows;
    }
    // No caption holds a NUL byte.
    if (needleKey.find('\0') != std::string_view::npos) return rows;
    for (const Part& part : parts_) ScanPart(part, needleKey, rows);
    return rows;
}

RowNumbers CaptionKeys::RowsContaining(std::string_view needleKey, const RowNumbers& among) const {
    RowNumbers rows;
    for (const std::uint32_t row : among)
        if (row < count_ && Key(row).find(needleKey) != std::string_view::npos) rows.push_back(row);
    return rows;
}

// ---------------------------------------------------------------------------
// CaptionFilter

CaptionFilter::Shown CaptionFilter::Apply(const CaptionKeys& keys, std::string_view needleKey) {
    if (needleKey.empty()) {
        steps_.clear();
        return {};
    }
    // The keys kept that the new one no longer contains were deleted or changed.
    while (!steps_.empty() && needleKey.find(steps_.back().Key) == std::string_view::npos) steps_.pop_back();
    if (!steps_.empty() && steps_.back().Key == needleKey) return steps_.back().Rows;

    RowNumbers rows = steps_.empty() || steps_.back().Rows.Every
                          ? keys.RowsContaining(needleKey)
                          : keys.RowsContaining(needleKey, *steps_.back().Rows.Rows);
    Shown shown;
    shown.Every = rows.size() == keys.Count();
    if (!shown.Every) shown.Rows = std::make_shared<const RowNumbers>(std::move(rows));

    // The rows kept stay within a few lists of every row.
    steps_.push_back({std::string(needleKey), shown});
    const auto kept = [&] {
        std::size_t total = 0;
        for (const Step& step : steps_) total += step.Rows.Every ? 0 : step.Rows.Rows->size();
        return total;
    };
    while (steps_.size() > 1 && kept() > 4 * keys.Count() + 1024) steps_.erase(steps_.begin());
    return shown;
}

}  // namespace kr
