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
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kr {

// The search key of a CP932 text. Bytes that are not CP932 become U+FFFD.
std::string SearchKey(std::string_view cp932);
// Appends the search key of a CP932 text to `key`.
void AppendSearchKey(std::string_view cp932, std::string& key);

// Rows of a list, in ascending order.
using RowNumbers = std::vector<std::uint32_t>;

// The search keys of a list's captions, folded once and kept side by side,
// so that each keystroke of the filter line is a plain scan. The keys are
// made in parts, as many at once as asked, and never change afterwards: any
// number of threads may read them.
class CaptionKeys {
public:
    // Folds the captions of rows 0 to count - 1; `captionAt(row)` gives a
    // view of a row's caption (CP932), and may be called from `threads`
    // threads at once.
    template <class CaptionAt>
    void Build(std::size_t count, CaptionAt captionAt, unsigned threads = 1) {
        static_assert(std::is_same_v<std::invoke_result_t<CaptionAt&, std::size_t>, std::string_view>,
                      "a caption is given as a view of text that outlives the build");
        BuildParts(count, captionAt, threads);
    }

    std::size_t Count() const { return count_; }
    std::string_view Key(std::size_t row) const;

    // The rows whose key contains `needleKey` (every row for an empty one).
    RowNumbers RowsContaining(std::string_view needleKey) const;
    // The same, looking only at the rows listed: for a needle that contains
    // the needle those rows were found with.
    RowNumbers RowsContaining(std::string_view needleKey, const RowNumbers& among) const;

private:
    void BuildParts(std::size_t count, const std::function<std::string_view(std::size_t row)>& captionAt,
                    unsigned threads);
    // The keys of rows First to First + Starts.size() - 2, each followed by
    // a NUL byte, and where each begins (then the end).
    struct Part {
        std::size_t First = 0;
        std::unique_ptr<char[]> Keys;
        std::vector<std::uint32_t> Starts;
    };
    static void FoldPart(Part& part, std::size_t first, std::size_t last,
                         const std::function<std::string_view(std::size_t row)>& captionAt);
    static void ScanPart(const Part& part, std::string_view needleKey, RowNumbers& rows);
    const Part& PartOf(std::size_t row) const;

    std::vector<Part> parts_;
    std::size_t count_ = 0;
};

// What a filter line shows as its text changes. Each key typed is kept with
// its rows, as long as the later keys contain it: typing on looks only at
// the rows shown already, and Backspace finds a shorter text's rows again
// without a scan.
class CaptionFilter {
public:
    // The rows of a filter: every row, or those listed.
    struct Shown {
        bool Every = true;
        std::shared_ptr<const RowNumbers> Rows;  // when not Every
    };
    // The rows whose key contains `needleKey` ("" for every row).
    Shown Apply(const CaptionKeys& keys, std::string_view needleKey);
    // Forgets the keys kept (the captions changed).
    void Clear() { steps_.clear(); }

private:
    struct Step {
        std::string Key;
        Shown Rows;
    };
    std::vector<Step> steps_;  // each key contains the one before it
};

}  // namespace kr
