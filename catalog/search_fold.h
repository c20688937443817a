// Finding rows by name in the pickers' filter line.
//
// Players write the same name in several ways: catalogs mostly use
// half-width katakana ("ﾐｻｲﾙ"), an input method gives full-width katakana
// ("ミサイル") or hiragana ("みさいる"), and Latin letters come in either
// width and either case. A name and a typed text are both reduced to a search
// key, and a row matches when its caption's key contains the typed text's key.
//
// The search key of a text is UTF-8 in which, character by character:
// - half-width katakana and punctuation (U+FF61 to U+FF9F) are full-width;
//   a half-width voicing mark right after a kana that takes it is joined to
//   it ("ﾊﾟ" is "パ", "ｶﾞ" is "ガ", "ｳﾞ" is "ヴ"); a mark that joins nothing
//   stands alone as "゛" or "゜". The half-width long-vowel mark "ｰ" is "ー".
// - full-width ASCII forms (U+FF01 to U+FF5E) are ASCII ("Ａ" is "A", "～"
//   is "~"), and the ideographic space is a space;
// - hiragana are katakana ("み" is "ミ"; the repeat marks "ゝゞ" are "ヽヾ");
// - the letters A to Z, of either width, are lower case.
// Nothing else is folded: "ー" and "-" stay apart, as do "ハ" and "パ", and
// kanji are themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// The search key of a CP932 text. Bytes that are not CP932 become U+FFFD.
std::string SearchKey(std::string_view cp932);
// Appends the search key of a CP932 text to `key`.
void AppendSearchKey(std::string_view cp932, std::string& key);

// The search keys of a list's captions, folded once and kept side by side in
// one buffer, so that each keystroke of the filter line is a plain scan.
class CaptionKeys {
public:
    // Folds the captions of rows 0 to count - 1; `captionAt(row)` gives a
    // row's caption (CP932).
    template <class CaptionAt>
    void Build(std::size_t count, CaptionAt captionAt) {
        keys_.clear();
        starts_.clear();
        starts_.reserve(count + 1);
        for (std::size_t row = 0; row < count; ++row) {
            starts_.push_back(static_cast<std::uint32_t>(keys_.size()));
            AppendSearchKey(captionAt(row), keys_);
            keys_.push_back('\0');
        }
        starts_.push_back(static_cast<std::uint32_t>(keys_.size()));
    }

    std::size_t Count() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    std::string_view Key(std::size_t row) const {
        return std::string_view(keys_).substr(starts_[row], starts_[row + 1] - starts_[row] - 1);
    }

    // The rows, in ascending order, whose key contains `needleKey` (every row
    // for an empty one).
    std::vector<std::uint32_t> RowsContaining(std::string_view needleKey) const;
    // The same, looking only at the rows listed (in ascending order): for a
    // needle that contains the needle those rows were found with.
    std::vector<std::uint32_t> RowsContaining(std::string_view needleKey,
                                              const std::vector<std::uint32_t>& among) const;

private:
    std::string keys_;                  // each key followed by a NUL byte
    std::vector<std::uint32_t> starts_;  // where each key begins, then the end
};

}  // namespace kr
