#include "search_fold.h"

#include "codec.h"

#include <algorithm>
#include <array>
#include <cstring>

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

void AppendUtf8(char16_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

void AppendSearchKey(std::string_view text, std::string& key) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = byte(i);
        char16_t c = 0xFFFD;
        if (b < 0x80) {
            c = b;
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            c = static_cast<char16_t>(0xFF61 + (b - 0xA1));
            ++i;
        } else if (IsLeadByte(b) && i + 1 < text.size() && DoubleBytes().At(b, byte(i + 1)) != 0) {
            c = DoubleBytes().At(b, byte(i + 1));
            i += 2;
        } else {
            ++i;  // not CP932: the replacement mark, and on with the next byte
        }
        c = Folded(c);
        if (i < text.size() && (byte(i) == HalfWidthVoicedMark || byte(i) == HalfWidthSemiVoicedMark)) {
            if (const char16_t joined = Voiced(c, byte(i) == HalfWidthSemiVoicedMark)) {
                c = joined;
                ++i;
            }
        }
        AppendUtf8(c, key);
    }
}

std::string SearchKey(std::string_view cp932) {
    std::string key;
    key.reserve(cp932.size() * 3 / 2);
    AppendSearchKey(cp932, key);
    return key;
}

// Keys are UTF-8, so a byte match always starts and ends on whole
// characters; a match is the row's when it ends before the row's NUL.
std::vector<std::uint32_t> CaptionKeys::RowsContaining(std::string_view needleKey) const {
    std::vector<std::uint32_t> rows;
    const std::size_t count = Count();
    if (needleKey.empty()) {
        rows.resize(count);
        for (std::size_t row = 0; row < count; ++row) rows[row] = static_cast<std::uint32_t>(row);
        return rows;
    }
    const char* const begin = keys_.data();
    const char* const end = begin + keys_.size();
    const char* from = begin;
    std::size_t row = 0;
    while (from < end) {
        const void* found = memmem(from, static_cast<std::size_t>(end - from), needleKey.data(), needleKey.size());
        if (found == nullptr) break;
        const auto at = static_cast<std::uint32_t>(static_cast<const char*>(found) - begin);
        // The row the match starts in: the last start at or before it.
        row = static_cast<std::size_t>(std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(row),
                                                        starts_.end() - 1, at) -
                                       starts_.begin()) - 1;
        const std::uint32_t next = starts_[row + 1];
        if (at + needleKey.size() < next) {
            rows.push_back(static_cast<std::uint32_t>(row));
            from = begin + next;
            ++row;
        } else {
            from = static_cast<const char*>(found) + 1;
        }
    }
    return rows;
}

std::vector<std::uint32_t> CaptionKeys::RowsContaining(std::string_view needleKey,
                                                       const std::vector<std::uint32_t>& among) const {
    std::vector<std::uint32_t> rows;
    for (const std::uint32_t row : among)
        if (row < Count() && Key(row).find(needleKey) != std::string_view::npos) rows.push_back(row);
    return rows;
}

}  // namespace kr
