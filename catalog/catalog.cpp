#include "catalog.h"

#include "Pub1.h"
#include "comma_text.h"
#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

namespace kr {

std::string MissingColumnMessage(int column) {
    return FormatMessage("リストのインデックスが範囲を超えています (%d)", DecimalText(column));
}

std::string CatalogLineMessage(std::string_view fileName, std::size_t line, std::string_view message) {
    std::string text(fileName);
    text += ' ';
    text += std::to_string(line);
    text += " 行目: ";
    text += message;
    return text;
}

namespace {

// Room after a catalog's text for the line cutter, which looks at sixteen
// bytes at a time.
constexpr std::size_t LinePadding = 16;

// The texts a column repeats from line to line (kinds, classes, common
// remarks) are kept once: each column remembers the texts it kept last in a
// small table, by length and first and last bytes.
class RecentTexts {
public:
    // The place for `text` in column `column`: it holds the text kept last at
    // this place, which may or may not be equal to `text`. The text lies in
    // bytes followed by at least eight more.
    std::string_view& Place(std::size_t column, std::string_view text) {
        std::uint64_t first = 0;
        std::uint64_t last = 0;
        std::memcpy(&first, text.data(), 8);
        if (text.size() < 8) first &= (std::uint64_t{1} << (8 * text.size())) - 1;
        if (text.size() > 8) std::memcpy(&last, text.data() + text.size() - 8, 8);
        const std::uint64_t hash = ((first * 0x9E3779B97F4A7C15u) ^ last ^ text.size()) * 0xFF51AFD7ED558CCDu;
        return places_[column % Columns][hash >> (64 - PlaceBits)];
    }

private:
    static constexpr std::size_t Columns = 8;
    static constexpr int PlaceBits = 6;
    std::string_view places_[Columns][std::size_t{1} << PlaceBits] = {};
};

}  // namespace

CatalogFiles CatalogFilesIn(const std::filesystem::path& folder) {
    return {folder / CatalogTraits<TKrWeapon>::FileName, folder / CatalogTraits<TKrOption>::FileName,
            folder / CatalogTraits<TKrMove>::FileName};
}

void CatalogFields::ThrowMissingColumn(int column) {
    throw KrError(MissingColumnMessage(column));
}

template <class Entry>
void CatalogList<Entry>::LoadCatalog() {
    LoadCatalog(ApplicationDirectory());
}

template <class Entry>
void CatalogList<Entry>::LoadCatalog(const std::filesystem::path& directory) {
    LoadCatalogFile(directory / CatalogTraits<Entry>::FileName);
}

template <class Entry>
void CatalogList<Entry>::LoadCatalogFile(const std::filesystem::path& file, std::size_t blockSize) {
    Clear();
    FileBlocks blocks(file, blockSize, LinePadding);
    std::size_t unused = 0;
    bool ended = false;
    LoadPieces(blocks.SizeHint(), [&](char*& data, std::size_t& size) {
        while (!ended) {
            ended = !blocks.ReadMore(unused);
            size = ended ? blocks.Size() : WholeLinesEnd(std::string_view(blocks.Data(), blocks.Size()));
            unused = blocks.Size() - size;
            data = blocks.Data();
            if (size != 0) return true;
        }
        return false;
    });
}

template <class Entry>
void CatalogList<Entry>::LoadCatalogText(std::string_view text) {
    LoadBytes(std::string(text));
}

template <class Entry>
void CatalogList<Entry>::LoadBytes(std::string bytes) {
    Clear();
    const std::size_t size = bytes.size();
    bytes.append(LinePadding, '\0');
    bool given = false;
    LoadPieces(size, [&](char*& data, std::size_t& pieceSize) {
        if (given) return false;
        given = true;
        data = bytes.data();
        pieceSize = size;
        return true;
    });
}

template <class Entry>
template <class NextPiece>
void CatalogList<Entry>::LoadPieces(std::size_t textSize, NextPiece&& nextPiece) {
    // The texts, copied out line by line while the line is fresh, never
    // outgrow the file; untouched room costs no memory. A file that grew
    // while it was read keeps the texts beyond in the text store.
    keptTexts_ = std::make_unique_for_overwrite<char[]>(textSize);
    std::size_t kept = 0;
    const char* begin = nullptr;
    const char* end = nullptr;
    const auto recent = std::make_unique<RecentTexts>();
    std::size_t column = 0;
    const auto keep = [&](std::string_view& text) {
        // " " of a missing last column is no slice of the file and stays.
        if (text.empty() || text.data() < begin || text.data() >= end) return;
        std::string_view& place = recent->Place(column++, text);
        if (place == text) {
            text = place;
            return;
        }
        if (kept + text.size() <= textSize) {
            std::memcpy(keptTexts_.get() + kept, text.data(), text.size());
            text = std::string_view(keptTexts_.get() + kept, text.size());
            kept += text.size();
        } else {
            text = texts_.Keep(text);
        }
        place = text;
    };
    // Line 1 is the header and is never read.
    std::size_t lineNumber = 0;
    for (;;) {
        char* data = nullptr;
        std::size_t size = 0;
        try {
            if (!nextPiece(data, size)) return;
        } catch (const KrError&) {
            // A file that could not be read to its end leaves nothing behind.
            Clear();
            throw;
        }
        begin = data;
        end = data + size;
        LineReader lines(std::string_view(data, size));
        std::string_view line;
        try {
            while (lines.Next(line)) {
                if (++lineNumber == 1) continue;
                // The fields are cut straight into the entry, as views into
                // the piece (a quoted text is built over its field).
                CatalogFields fields(data + (line.data() - data), line.size());
                // A line cut short throws here: the entry is dropped, the
                // earlier ones stay and the later lines are not read.
                Entry& entry = Slot();
                CatalogTraits<Entry>::Fill(entry, fields);
                column = 0;
                ForEachText(entry, keep);
                Commit();
            }
        } catch (const KrError& error) {
            // The message names the file and the line.
            throw KrError(CatalogLineMessage(CatalogTraits<Entry>::FileName, lineNumber, error.what()));
        }
        // A NUL byte ends the text: later pieces are not read.
        if (lines.EndedAtNul()) return;
    }
}

template <class Entry>
void CatalogList<Entry>::Clear() {
    const std::lock_guard<std::mutex> building(indexing_);
    count_ = 0;
    chunks_.clear();
    byName_ = {};
    earlierOfSameName_ = {};
    indexed_ = false;
    texts_.Clear();
    keptTexts_.reset();
}

template <class Entry>
Entry& CatalogList<Entry>::Slot() {
    if (count_ == chunks_.size() * ChunkSize) chunks_.push_back(std::make_unique<Entry[]>(ChunkSize));
    // A line that failed to load may have left fields here; the next line's
    // Fill, or AddEntry's copy, writes every field again.
    return At(count_);
}

template <class Entry>
void CatalogList<Entry>::Commit() {
    if (indexed_.load(std::memory_order_relaxed)) IndexName(static_cast<std::uint32_t>(count_));
    ++count_;
}

template <class Entry>
void CatalogList<Entry>::AddEntry(std::unique_ptr<Entry> entry) {
    Entry& added = Slot();
    added = *entry;
    ForEachText(added, [this](std::string_view& text) { text = texts_.Keep(text); });
    Commit();
}

namespace {

inline std::size_t NameHash(std::string_view name) { return std::hash<std::string_view>{}(name); }

__extension__ typedef unsigned __int128 Product;

}  // namespace

template <class Entry>
void CatalogList<Entry>::BuildNameIndex() const {
    if (indexed_.load(std::memory_order_acquire)) return;
    const std::lock_guard<std::mutex> building(indexing_);
    if (indexed_.load(std::memory_order_relaxed)) return;
    byName_ = {};
    earlierOfSameName_ = {};
    GrowIndex(count_);
    for (std::size_t i = 0; i < count_; ++i) IndexName(static_cast<std::uint32_t>(i));
    indexed_.store(true, std::memory_order_release);
}

template <class Entry>
std::size_t CatalogList<Entry>::HomeSlot(std::string_view name) const {
    // The hash scaled to the table's size, which need not be a power of two.
    return static_cast<std::size_t>((static_cast<Product>(NameHash(name)) * byName_.size()) >> 64);
}

template <class Entry>
void CatalogList<Entry>::GrowIndex(std::size_t expected) const {
    // At most two thirds of the slots are used, so a probe ends soon; a
    // table that fills up one entry at a time doubles.
    if (expected * 3 / 2 < byName_.size()) return;
    const std::size_t size = std::max(expected * 3 / 2, byName_.size() * 2) + 16;
    const std::vector<std::uint32_t> old = std::exchange(byName_, std::vector<std::uint32_t>(size, 0));
    // The names in the table are all different: each goes to its first free slot.
    for (std::uint32_t slot : old) {
        if (slot == 0) continue;
        std::size_t i = HomeSlot(At(slot - 1).Name);
        while (byName_[i] != 0) i = i + 1 == byName_.size() ? 0 : i + 1;
        byName_[i] = slot;
    }
}

template <class Entry>
void CatalogList<Entry>::IndexName(std::uint32_t index) const {
    GrowIndex(static_cast<std::size_t>(index) + 1);
    const std::string_view name = At(index).Name;
    std::size_t i = HomeSlot(name);
    while (byName_[i] != 0) {
        // A later entry of the same name takes over the name.
        if (At(byName_[i] - 1).Name == name) {
            earlierOfSameName_[index] = byName_[i];
            break;
        }
        i = i + 1 == byName_.size() ? 0 : i + 1;
    }
    byName_[i] = index + 1;
}

template <class Entry>
std::uint32_t CatalogList<Entry>::SlotOfName(std::string_view name) const {
    BuildNameIndex();
    if (byName_.empty()) return 0;
    for (std::size_t i = HomeSlot(name); byName_[i] != 0; i = i + 1 == byName_.size() ? 0 : i + 1)
        if (At(byName_[i] - 1).Name == name) return byName_[i];
    return 0;
}

template <class Entry>
std::uint32_t CatalogList<Entry>::EarlierOfSameName(std::uint32_t index) const {
    const auto found = earlierOfSameName_.find(index);
    return found == earlierOfSameName_.end() ? 0 : found->second;
}

template <class Entry>
const Entry* CatalogList<Entry>::FindByName(std::string_view name) const {
    const std::uint32_t slot = SlotOfName(name);
    return slot == 0 ? nullptr : &At(slot - 1);
}

template class CatalogList<TKrOption>;
template class CatalogList<TKrWeapon>;
template class CatalogList<TKrMove>;

}  // namespace kr
