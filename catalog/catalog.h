// The catalog list shared by the three kinds of equipment: an ordered list
// that owns its entries, loaded once from its CSV file.
//
// Loading reads the file's bytes, cuts each line into its entry and copies
// the entry's texts into one buffer the catalog keeps for the run; the file's
// bytes go when loading ends. Entries added one by one keep their texts in
// the catalog's text store. Entries sit in chunks that never move, so a
// reference to an entry stays valid until Clear.
#pragma once

#include "Pub1.h"
#include "comma_text.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kr {

// The three catalog files, each by its full path (they may lie in different
// folders: a player's own weapon.csv beside the shipped option.csv).
struct CatalogFiles {
    std::filesystem::path Weapon;  // "weapon.csv"
    std::filesystem::path Option;  // "option.csv"
    std::filesystem::path Move;    // "move.csv"
};

// The same three names in one folder.
CatalogFiles CatalogFilesIn(const std::filesystem::path& folder);

// Texts a catalog keeps for the run that are not slices of its file: a text
// added here never moves.
class TextStore {
public:
    std::string_view Keep(std::string_view text) { return texts_.emplace_back(text); }
    void Clear() { texts_.clear(); }

private:
    std::deque<std::string> texts_;
};

// Fields of one catalog line, read in increasing column order, with the
// rule for a missing column. The texts are views into the line's bytes.
class CatalogFields {
public:
    CatalogFields(char* line, std::size_t size) : cursor_(line, size) {}
    // The text of a column; throws KrError "リストのインデックスが範囲を超えています (%d)".
    std::string_view Text(int column) { return Field(column); }
    // ParseIntDefault of the column with fallback 0.
    std::int32_t Integer(int column) { return ParseIntDefault(Field(column), 0); }
    // The low eight bits of Integer(column).
    std::uint8_t Byte(int column) {
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(Integer(column)) & 0xFFu);
    }
    // The last column: its text, or a single space when the line lacks it.
    std::string_view LastText(int column) {
        return Reach(column) ? current_ : std::string_view(" ");
    }

private:
    // Reads up to the column; false when the line ends before it.
    bool Reach(int column) {
        while (read_ <= column) {
            if (!cursor_.Next(current_)) return false;
            ++read_;
        }
        return true;
    }
    std::string_view Field(int column) {
        if (!Reach(column)) ThrowMissingColumn(read_);
        return current_;
    }
    [[noreturn]] static void ThrowMissingColumn(int column);

    CommaFieldCursor cursor_;
    std::string_view current_;
    int read_ = 0;  // fields read so far; current_ is field read_ - 1
};

// Reads the columns of a line into the given fields, in column order from
// column 0: a text, an integer (std::int32_t) or an 8-bit field (the low
// eight bits) each; the last field is the line's last column, " " when the
// line lacks it.
template <class... Fields>
void ReadColumns(CatalogFields& line, Fields&... fields) {
    constexpr int last = static_cast<int>(sizeof...(Fields)) - 1;
    int column = 0;
    const auto read = [&](auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, std::string_view>)
            field = column == last ? line.LastText(column) : line.Text(column);
        else if constexpr (std::is_same_v<Field, std::uint8_t>)
            field = line.Byte(column);
        else
            field = line.Integer(column);
        ++column;
    };
    (read(fields), ...);
}

// ---- the columns of a catalog ------------------------------------------------
//
// Each kind lists its file's columns once, in order (CatalogTraits<Entry>::
// Columns): the loader fills the entry's fields from that list, and the
// catalog checker learns from it what each column holds.

// What a column holds, as the loader reads it.
enum class ColumnKind : unsigned char {
    Text,      // the field's bytes
    Number,    // ParseIntDefault with fallback 0, kept in `Bits` bits
    LastText,  // the line's last column: a text, " " when the line lacks it
};

// One column of a catalog file.
struct CatalogColumn {
    std::string_view Name;  // as data/README.md names it
    ColumnKind Kind = ColumnKind::Text;
    // A number's width in the entry: 32 (signed) or 8 (its low eight bits,
    // 0 to 255); 0 for a text.
    int Bits = 0;
    // False for the columns kept with the entry that nothing reads: what
    // they hold changes no figure, row or name.
    bool Used = true;
};

// A column and the field of the entry it fills.
template <class Entry, class Field>
struct ColumnField {
    std::string_view Name;
    Field Entry::*Member;
    bool Used;
};

// Whether a column is read by anything (the default) or only kept.
enum class ColumnUse : bool { Unused = false, Used = true };

template <class Entry, class Field>
constexpr ColumnField<Entry, Field> Column(std::string_view name, Field Entry::*member,
                                           ColumnUse use = ColumnUse::Used) {
    static_assert(std::is_same_v<Field, std::string_view> || std::is_same_v<Field, std::int32_t> ||
                      std::is_same_v<Field, std::uint8_t>,
                  "a catalog column is a text, a 32-bit or an 8-bit number");
    return {name, member, use == ColumnUse::Used};
}

// Traits per kind: `static constexpr const char* FileName`,
// `static constexpr std::tuple Columns`, one Column(...) per column of the
// file, in order, and `static void Fill(Entry&, CatalogFields&)`, which is
// FillEntry.
template <class Entry>
struct CatalogTraits;

// Fills the entry from a line: each column into its field, in column order.
template <class Entry>
void FillEntry(Entry& entry, CatalogFields& fields) {
    std::apply([&](const auto&... column) { ReadColumns(fields, (entry.*column.Member)...); },
               CatalogTraits<Entry>::Columns);
}

// Calls `visit` on each text field of the entry, in column order.
template <class Entry, class Visit>
void ForEachText(Entry& entry, Visit&& visit) {
    std::apply(
        [&](const auto&... column) {
            const auto one = [&](const auto& c) {
                if constexpr (std::is_same_v<std::remove_reference_t<decltype(entry.*c.Member)>, std::string_view>)
                    visit(entry.*c.Member);
            };
            (one(column), ...);
        },
        CatalogTraits<Entry>::Columns);
}

// The columns of a kind as the checker reads them.
template <class Entry>
constexpr auto DescribeColumns() {
    constexpr auto& columns = CatalogTraits<Entry>::Columns;
    constexpr std::size_t count = std::tuple_size_v<std::remove_cvref_t<decltype(columns)>>;
    return std::apply(
        [](const auto&... column) {
            std::size_t index = 0;
            const auto describe = [&](const auto& c) {
                using Field = std::remove_cvref_t<decltype(std::declval<Entry&>().*c.Member)>;
                CatalogColumn described{c.Name, ColumnKind::Text, 0, c.Used};
                if constexpr (std::is_same_v<Field, std::string_view>) {
                    if (index == count - 1) described.Kind = ColumnKind::LastText;
                } else {
                    described.Kind = ColumnKind::Number;
                    described.Bits = std::is_same_v<Field, std::uint8_t> ? 8 : 32;
                }
                ++index;
                return described;
            };
            return std::array<CatalogColumn, count>{describe(column)...};
        },
        columns);
}

template <class Entry>
class CatalogList {
public:
    CatalogList() = default;
    CatalogList(const CatalogList&) = delete;
    CatalogList& operator=(const CatalogList&) = delete;
    ~CatalogList() { Clear(); }

    // Replaces the contents with the entries of the kind's file in the
    // application directory (or in the given directory). A line cut short
    // stops the load with KrError "weapon.csv 12 行目: リストのインデックスが
    // 範囲を超えています (5)" (file name, line from 1 counting the header).
    void LoadCatalog();
    void LoadCatalog(const std::filesystem::path& directory);
    // The same from a file of any name and place. The file is read
    // `blockSize` bytes at a time, so that its bytes need no memory of their
    // own beside the entries.
    static constexpr std::size_t DefaultBlockSize = std::size_t{256} << 10;
    void LoadCatalogFile(const std::filesystem::path& file, std::size_t blockSize = DefaultBlockSize);
    // Loads from file bytes already in memory (the same rules after reading);
    // the text need not outlive the call.
    void LoadCatalogText(std::string_view text);

    // Frees every entry and the texts they view, then empties the list.
    void Clear();
    // Appends an entry; the list takes ownership. Its texts are copied into
    // the catalog's text store, so they need not outlive the call.
    void AddEntry(std::unique_ptr<Entry> entry);
    std::size_t Count() const { return count_; }
    const Entry* EntryByIndex(std::size_t index) const { return &At(index); }
    // The last entry whose Name equals the name byte for byte, or nullptr.
    const Entry* FindByName(std::string_view name) const;
    // Calls `found(index)` for every entry of the name, the last first.
    template <class Found>
    void ForEachNamed(std::string_view name, Found&& found) const {
        for (std::uint32_t slot = SlotOfName(name); slot != 0; slot = EarlierOfSameName(slot - 1)) found(slot - 1);
    }
    // Builds the name index the lookups use, unless it is built. Loading
    // leaves it to this call or to the first lookup, so that a loader thread
    // can build it after the load and the first lookup finds it ready.
    // Lookups on other threads meanwhile wait for it; loading, clearing or
    // adding entries must not run beside it.
    void BuildNameIndex() const;

private:
    static constexpr std::size_t ChunkBits = 8;
    static constexpr std::size_t ChunkSize = std::size_t{1} << ChunkBits;

    void LoadBytes(std::string bytes);
    // Loads the lines of the pieces that `nextPiece(data, size)` gives until
    // it returns false: each piece holds whole lines and is followed in memory
    // by room for the line cutter. `textSize`: the text's size, as far as known.
    template <class NextPiece>
    void LoadPieces(std::size_t textSize, NextPiece&& nextPiece);
    Entry& At(std::size_t index) const { return chunks_[index >> ChunkBits][index & (ChunkSize - 1)]; }
    // A new, empty entry at the end of the list (not yet counted or indexed).
    Entry& Slot();
    // Counts the entry in Slot(), and makes it the entry of its name once
    // the index is built.
    void Commit();
    // The last entry of the name as its index plus one, 0 for none.
    std::uint32_t SlotOfName(std::string_view name) const;
    // The entry of the same name before the entry (index plus one), 0 for none.
    std::uint32_t EarlierOfSameName(std::uint32_t index) const;
    void IndexName(std::uint32_t index) const;
    void GrowIndex(std::size_t expected) const;
    std::size_t HomeSlot(std::string_view name) const;

    // The loaded entries' texts, which they view; the file's bytes go once
    // the numbers are read.
    std::unique_ptr<char[]> keptTexts_;
    TextStore texts_;
    std::vector<std::unique_ptr<Entry[]>> chunks_;
    std::size_t count_ = 0;
    // Name -> last entry of that name: open addressing over entry indexes
    // plus one (0 is a free slot), at most two thirds full.
    mutable std::vector<std::uint32_t> byName_;
    // For an entry whose name an earlier entry has, that entry (index plus
    // one): every entry of a name is found from the last one. Names are
    // mostly unique, so this is mostly empty.
    mutable std::unordered_map<std::uint32_t, std::uint32_t> earlierOfSameName_;
    // Taken while the index is built; `indexed_` is set once it is.
    mutable std::mutex indexing_;
    mutable std::atomic<bool> indexed_ = false;
};

// The loader's message for a line that lacks a column other than the last
// (UTF-8): "リストのインデックスが範囲を超えています (column)".
std::string MissingColumnMessage(int column);

// The loader's message with the file and line before it (UTF-8):
// "weapon.csv 12 行目: message".
std::string CatalogLineMessage(std::string_view fileName, std::size_t line, std::string_view message);

}  // namespace kr
