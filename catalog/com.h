// How catalog entries read as list rows, in the pickers and in the main
// window's lists alike, and the row list both of them use.
#pragma once

#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kr {

// "+3" for 3, "0" for 0, "-2" for -2.
std::string SignedText(std::int32_t n);

// Cell texts of an entry's row (CP932 bytes), column 0 being the Name.
std::string OptionCell(const TKrOption& entry, int column);
std::string MoveCell(const TKrMove& entry, int column);
std::string WeaponCell(const TKrWeapon& entry, int column);

template <class Entry>
struct RowTexts;
template <>
struct RowTexts<TKrOption> {
    static constexpr int ColumnCount = 6;
    static constexpr int CPColumn = 2;
    static std::string Cell(const TKrOption& e, int column) { return OptionCell(e, column); }
};
template <>
struct RowTexts<TKrMove> {
    static constexpr int ColumnCount = 8;
    static constexpr int CPColumn = 2;
    static constexpr int MovementColumn = 4;
    static std::string Cell(const TKrMove& e, int column) { return MoveCell(e, column); }
};
template <>
struct RowTexts<TKrWeapon> {
    static constexpr int ColumnCount = 13;
    static constexpr int CPColumn = 3;
    static constexpr int DamageColumn = 5;
    static std::string Cell(const TKrWeapon& e, int column) { return WeaponCell(e, column); }
};

// Cells that recalculation wrote over an entry's own texts. Nothing is
// allocated until the first cell is written, so a row that never has one (every
// picker row) costs a pointer.
class ComputedCells {
public:
    ComputedCells() = default;
    ComputedCells(const ComputedCells& other)
        : cells_(other.cells_ ? std::make_unique<Cells>(*other.cells_) : nullptr) {}
    ComputedCells& operator=(const ComputedCells& other) {
        if (this != &other) cells_ = other.cells_ ? std::make_unique<Cells>(*other.cells_) : nullptr;
        return *this;
    }
    ComputedCells(ComputedCells&&) noexcept = default;
    ComputedCells& operator=(ComputedCells&&) noexcept = default;
    ~ComputedCells() = default;

    std::size_t size() const { return cells_ ? cells_->size() : 0; }
    // The text written for the column, or nullptr.
    const std::string* Find(int column) const {
        if (cells_)
            for (const auto& [col, text] : *cells_)
                if (col == column) return &text;
        return nullptr;
    }
    // Writes a cell (replacing an earlier one of that column).
    void Set(int column, std::string text) {
        if (!cells_) cells_ = std::make_unique<Cells>();
        for (auto& [col, old] : *cells_)
            if (col == column) { old = std::move(text); return; }
        cells_->emplace_back(column, std::move(text));
    }
    // Drops the cell of a column.
    void Reset(int column) {
        if (!cells_) return;
        for (auto it = cells_->begin(); it != cells_->end(); ++it)
            if (it->first == column) { cells_->erase(it); return; }
    }

private:
    using Cells = std::vector<std::pair<int, std::string>>;
    std::unique_ptr<Cells> cells_;
};

// One row of a report-style list: a reference to the entry it shows (not
// owned), its tick (pickers only), and the cells that recalculation wrote
// over the entry's own texts (main window only). Every other cell is the
// entry's own text, made when asked, so a list of 100,000 rows stays small.
template <class Entry>
struct ListRow {
    const Entry* Data = nullptr;
    bool Checked = false;
    ComputedCells Computed;
};

template <class Entry>
class RowList {
public:
    static constexpr int ColumnCount = RowTexts<Entry>::ColumnCount;

    std::size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const ListRow<Entry>& Row(std::size_t index) const { return rows_[index]; }
    ListRow<Entry>& Row(std::size_t index) { return rows_[index]; }
    const Entry* Data(std::size_t index) const { return rows_[index].Data; }
    std::string_view Caption(std::size_t index) const { return rows_[index].Data->Name; }
    // Every row's caption, top to bottom.
    std::vector<std::string_view> Captions() const {
        std::vector<std::string_view> captions;
        captions.reserve(rows_.size());
        for (const ListRow<Entry>& row : rows_) captions.push_back(row.Data->Name);
        return captions;
    }

    // The text a cell shows.
    std::string Cell(std::size_t row, int column) const {
        if (const std::string* computed = rows_[row].Computed.Find(column)) return *computed;
        return RowTexts<Entry>::Cell(*rows_[row].Data, column);
    }
    // Writes a computed cell (replacing an earlier one of that column).
    void SetCell(std::size_t row, int column, std::string text) { rows_[row].Computed.Set(column, std::move(text)); }
    // Drops a computed cell, so the entry's own text shows again.
    void ResetCell(std::size_t row, int column) { rows_[row].Computed.Reset(column); }

    void Append(const Entry* entry) { rows_.push_back(ListRow<Entry>{entry, false, {}}); }
    void Remove(std::size_t index) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index)); }
    void Clear() { rows_.clear(); }
    void Reserve(std::size_t count) { rows_.reserve(count); }

private:
    std::vector<ListRow<Entry>> rows_;
};

using OptionRows = RowList<TKrOption>;
using MoveRows = RowList<TKrMove>;
using WeaponRows = RowList<TKrWeapon>;

// Append a row for the entry; nothing happens for no list or no entry.
void AddOptionRow(OptionRows* list, const TKrOption* entry);
void AddMoveRow(MoveRows* list, const TKrMove* entry);
void AddWeaponRow(WeaponRows* list, const TKrWeapon* entry);

// A picker's rows: one per entry of its catalog, in catalog order, each
// with a tick. The rows are the catalog's entries themselves, so a picker
// over a large catalog costs one byte a row.
template <class Entry>
class PickerRows {
public:
    static constexpr int ColumnCount = RowTexts<Entry>::ColumnCount;

    // A row as the list sees it: its entry and its tick.
    struct Ref {
        const Entry* Data;
        bool& Checked;
    };
    struct ConstRef {
        const Entry* Data;
        const bool& Checked;
    };

    // One unticked row per entry of the catalog, which must outlive the rows.
    void Fill(const CatalogList<Entry>& catalog) {
        catalog_ = &catalog;
        count_ = catalog.Count();
        ticks_ = std::make_unique<bool[]>(count_);
    }
    const CatalogList<Entry>* Catalog() const { return catalog_; }

    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    const Entry* Data(std::size_t index) const { return catalog_->EntryByIndex(index); }
    std::string_view Caption(std::size_t index) const { return Data(index)->Name; }
    // The text a cell shows: a picker row is never recalculated.
    std::string Cell(std::size_t row, int column) const { return RowTexts<Entry>::Cell(*Data(row), column); }
    Ref Row(std::size_t index) { return {Data(index), ticks_[index]}; }
    ConstRef Row(std::size_t index) const { return {Data(index), ticks_[index]}; }

private:
    const CatalogList<Entry>* catalog_ = nullptr;
    std::size_t count_ = 0;
    std::unique_ptr<bool[]> ticks_;
};

using OptionPickerRows = PickerRows<TKrOption>;
using MovePickerRows = PickerRows<TKrMove>;
using WeaponPickerRows = PickerRows<TKrWeapon>;

// Fills a picker: one row per catalog entry, in catalog order, none ticked.
template <class Entry>
void FillPicker(PickerRows<Entry>& picker, const CatalogList<Entry>& catalog) {
    picker.Fill(catalog);
}
// A picker made of plain rows: the same rows appended to a list.
void FillPicker(OptionRows& picker, const TKROptionList& catalog);
void FillPicker(MoveRows& picker, const TKRMoveList& catalog);
void FillPicker(WeaponRows& picker, const TKRWeaponList& catalog);

// Picker ticks, on a picker's rows or on plain rows used as one.
template <class Picker>
void ClearChecks(Picker& picker) {
    for (std::size_t i = 0; i < picker.Count(); ++i) picker.Row(i).Checked = false;
}
// Ticks every row whose caption equals the name byte for byte.
template <class Picker>
void CheckByName(Picker& picker, std::string_view name) {
    for (std::size_t i = 0; i < picker.Count(); ++i)
        if (picker.Caption(i) == name) picker.Row(i).Checked = true;
}
// The same for a picker over its catalog: the catalog's name index finds
// the rows, so no row is compared.
template <class Entry>
void CheckByName(PickerRows<Entry>& picker, std::string_view name) {
    if (picker.Catalog() == nullptr) return;
    picker.Catalog()->ForEachNamed(name, [&](std::size_t index) {
        if (index < picker.Count()) picker.Row(index).Checked = true;
    });
}

// The weapon picker's add command: the chosen row, paired with a follow-up
// row directly below it, or with the row above when it is itself a follow-up
// row (the next row is examined first, one neighbour only).
template <class Picker>
void AddChosenWeapon(const Picker& picker, std::size_t chosen, WeaponRows& target) {
    if (chosen >= picker.Count()) return;
    const auto followUp = [&](std::size_t index) { return IsFollowUpName(picker.Caption(index)); };
    // The row below is looked at first, then the row above; one neighbour only.
    if (chosen + 1 < picker.Count() && followUp(chosen + 1)) {
        AddWeaponRow(&target, picker.Data(chosen));
        AddWeaponRow(&target, picker.Data(chosen + 1));
        return;
    }
    if (chosen > 0 && followUp(chosen)) {
        AddWeaponRow(&target, picker.Data(chosen - 1));
        AddWeaponRow(&target, picker.Data(chosen));
        return;
    }
    AddWeaponRow(&target, picker.Data(chosen));
}

}  // namespace kr
