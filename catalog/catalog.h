// The catalog list shared by the three kinds of equipment: an ordered list
// that owns its entries, loaded once from its CSV file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kr {

// Reads the whole file; throws KrError "ファイル %s は開けません" when it cannot.
std::string ReadWholeFile(const std::filesystem::path& path);

// Fields of one catalog line, with the rule for a missing column.
class CatalogFields {
public:
    // The fields are views into the line being read; they must outlive this.
    explicit CatalogFields(const std::vector<std::string_view>& fields) : fields_(fields) {}
    // The text of a column; throws KrError "リストのインデックスが範囲を超えています (%d)".
    std::string_view Text(int column) const;
    // ParseIntDefault of the column with fallback 0.
    std::int32_t Integer(int column) const;
    // The low eight bits of Integer(column).
    std::uint8_t Byte(int column) const;
    // The last column: its text, or a single space when the line lacks it.
    std::string LastText(int column) const;

private:
    const std::vector<std::string_view>& fields_;
};

// Traits per kind: `static constexpr const char* FileName` and
// `static void Fill(Entry&, const CatalogFields&)`.
template <class Entry>
struct CatalogTraits;

template <class Entry>
class CatalogList {
public:
    CatalogList() = default;
    CatalogList(const CatalogList&) = delete;
    CatalogList& operator=(const CatalogList&) = delete;
    virtual ~CatalogList() { Clear(); }

    // Replaces the contents with the entries of the kind's file in the
    // application directory (or in the given directory).
    void LoadCatalog();
    void LoadCatalog(const std::filesystem::path& directory);
    // Loads from file bytes already in memory (the same rules after reading).
    void LoadCatalogText(std::string_view text);

    // Frees every entry, from the last to the first, then empties the list.
    virtual void Clear();
    // Appends an entry; the list takes ownership.
    void AddEntry(std::unique_ptr<Entry> entry);
    std::size_t Count() const { return entries_.size(); }
    const Entry* EntryByIndex(std::size_t index) const { return entries_[index].get(); }
    // The last entry whose Name equals the name byte for byte, or nullptr.
    const Entry* FindByName(std::string_view name) const;

private:
    std::vector<std::unique_ptr<Entry>> entries_;
    // Name -> last entry of that name. Keys view the entries' own Name bytes.
    std::unordered_map<std::string_view, const Entry*> byName_;
};

}  // namespace kr
