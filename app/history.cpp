#include "history.h"

namespace kr {

namespace {

template <class Entry>
std::vector<const Entry*> EntriesOf(const RowList<Entry>& rows) {
    std::vector<const Entry*> entries;
    entries.reserve(rows.Count());
    for (std::size_t i = 0; i < rows.Count(); ++i) entries.push_back(rows.Data(i));
    return entries;
}

template <class Entry>
void SetRows(RowList<Entry>& rows, const std::vector<const Entry*>& entries) {
    rows.Clear();
    rows.Reserve(entries.size());
    for (const Entry* entry : entries) rows.Append(entry);
}

template <class Entry>
std::vector<std::uint32_t> TicksOf(const PickerRows<Entry>& picker) {
    std::vector<std::uint32_t> ticks;
    for (std::size_t i = 0; i < picker.Count(); ++i)
        if (picker.Row(i).Checked) ticks.push_back(static_cast<std::uint32_t>(i));
    return ticks;
}

template <class Entry>
void SetTicks(PickerRows<Entry>& picker, const std::vector<std::uint32_t>& ticks) {
    ClearChecks(picker);
    for (std::uint32_t row : ticks)
        if (row < picker.Count()) picker.Row(row).Checked = true;
}

// A file name as a key: the same file however the dialogs spelled it.
std::filesystem::path FileKey(const std::filesystem::path& file) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ignored);
    return (absolute.empty() ? file : absolute).lexically_normal();
}

}  // namespace

DesignState CaptureDesign(const Designer& designer) {
    const UnitSheet& sheet = designer.Sheet;
    DesignState state;
    state.UnitName = sheet.UnitName;
    state.UnitClass = sheet.UnitClass;
    state.Figures = BaseFiguresOf(sheet);
    state.Options = EntriesOf(sheet.Options);
    state.Moves = EntriesOf(sheet.Moves);
    state.Weapons = EntriesOf(sheet.Weapons);
    state.OptionTicks = TicksOf(designer.OptionPicker);
    state.MoveTicks = TicksOf(designer.MovePicker);
    state.Boxes = sheet.Boxes;
    state.BackpackOverloaded = sheet.BackpackOverloaded;
    state.ListsEnabled = sheet.ListsEnabled;
    return state;
}

void RestoreDesign(Designer& designer, const DesignState& state) {
    UnitSheet& sheet = designer.Sheet;
    sheet.UnitName = state.UnitName;
    sheet.UnitClass = state.UnitClass;
    SetBaseFigures(sheet, state.Figures);
    SetRows(sheet.Options, state.Options);
    SetRows(sheet.Moves, state.Moves);
    SetRows(sheet.Weapons, state.Weapons);
    SetTicks(designer.OptionPicker, state.OptionTicks);
    SetTicks(designer.MovePicker, state.MoveTicks);
    if (state.ListsEnabled) {
        // The computed cells follow from the rows.
        Recalculate(sheet);
    } else {
        // Before the first template or load nothing was ever summed.
        sheet.Terms = {};
        sheet.ListsEnabled = false;
    }
    sheet.Boxes = state.Boxes;
    sheet.BackpackOverloaded = state.BackpackOverloaded;
}

bool SameDesign(const DesignState& a, const DesignState& b) {
    return a.UnitName == b.UnitName && a.UnitClass == b.UnitClass && a.Figures == b.Figures &&
           a.Options == b.Options && a.Moves == b.Moves && a.Weapons == b.Weapons;
}

namespace {

template <class T>
Splice<T> SpliceBetween(const std::vector<T>& from, const std::vector<T>& to) {
    std::size_t head = 0;
    while (head < from.size() && head < to.size() && from[head] == to[head]) ++head;
    std::size_t tail = 0;
    while (tail < from.size() - head && tail < to.size() - head &&
           from[from.size() - 1 - tail] == to[to.size() - 1 - tail])
        ++tail;
    Splice<T> splice;
    splice.Offset = head;
    splice.Count = from.size() - head - tail;
    splice.Items.assign(to.begin() + static_cast<std::ptrdiff_t>(head),
                        to.end() - static_cast<std::ptrdiff_t>(tail));
    return splice;
}

template <class T>
void Apply(std::vector<T>& list, const Splice<T>& splice) {
    const auto at = list.begin() + static_cast<std::ptrdiff_t>(splice.Offset);
    list.erase(at, at + static_cast<std::ptrdiff_t>(splice.Count));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(splice.Offset), splice.Items.begin(), splice.Items.end());
}

}  // namespace

DesignChange ChangeBetween(const DesignState& from, const DesignState& to) {
    DesignChange change;
    change.Head = to;
    change.Options = SpliceBetween(from.Options, to.Options);
    change.Moves = SpliceBetween(from.Moves, to.Moves);
    change.Weapons = SpliceBetween(from.Weapons, to.Weapons);
    change.OptionTicks = SpliceBetween(from.OptionTicks, to.OptionTicks);
    change.MoveTicks = SpliceBetween(from.MoveTicks, to.MoveTicks);
    return change;
}

DesignState Applied(DesignState state, const DesignChange& change) {
    static_cast<DesignHead&>(state) = change.Head;
    Apply(state.Options, change.Options);
    Apply(state.Moves, change.Moves);
    Apply(state.Weapons, change.Weapons);
    Apply(state.OptionTicks, change.OptionTicks);
    Apply(state.MoveTicks, change.MoveTicks);
    return state;
}

DesignHistory::DesignHistory() : document_(std::make_shared<Document>()) {}

void DesignHistory::Record(const DesignState& before, const DesignState& after) {
    undo_.push_back({ChangeBetween(after, before), document_});
    redo_.clear();
}

void DesignHistory::BeginDocument(const DesignState& before, const DesignState& after, std::filesystem::path file) {
    Record(before, after);
    document_ = std::make_shared<Document>(Document{std::move(file)});
}

void DesignHistory::Saved(const std::filesystem::path& file, const DesignState& now) {
    // Every step of the document goes to the new file from now on.
    document_->File = file;
    FileHolds(file, now);
}

void DesignHistory::FileHolds(const std::filesystem::path& file, std::optional<DesignState> design) {
    if (design)
        known_.insert_or_assign(FileKey(file), std::move(*design));
    else
        known_.erase(FileKey(file));
}

bool DesignHistory::Modified(const DesignState& now) const {
    if (document_->File.empty()) return false;
    const auto known = known_.find(FileKey(document_->File));
    return known == known_.end() || !SameDesign(known->second, now);
}

void DesignHistory::Move(std::vector<Step>& from, std::vector<Step>& to, Designer& designer) {
    if (from.empty()) return;
    const DesignState now = CaptureDesign(designer);
    const DesignState then = Applied(now, from.back().Back);
    to.push_back({ChangeBetween(then, now), document_});
    RestoreDesign(designer, then);
    document_ = std::move(from.back().Of);
    from.pop_back();
    designer.SaveFileName = document_->File;
}

void DesignHistory::Undo(Designer& designer) { Move(undo_, redo_, designer); }

void DesignHistory::Redo(Designer& designer) { Move(redo_, undo_, designer); }

}  // namespace kr
