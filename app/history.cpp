#include "history.h"

#include "Pub1.h"
#include "codec.h"

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

const std::string& RecoverySection() {
    static const std::string section = "RECOVERY";
    return section;
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
    state.OpenFileName = designer.OpenFileName;
    state.SaveFileName = designer.SaveFileName;
    state.Boxes = sheet.Boxes;
    state.BackpackOverloaded = sheet.BackpackOverloaded;
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
    designer.OpenFileName = state.OpenFileName;
    designer.SaveFileName = state.SaveFileName;
    // The computed cells follow from the rows; the boxes are as they were,
    // blank too when the state is from before the first recalculation.
    Recalculate(sheet);
    sheet.Boxes = state.Boxes;
    sheet.BackpackOverloaded = state.BackpackOverloaded;
}

bool SameDesign(const DesignState& a, const DesignState& b) {
    return a.UnitName == b.UnitName && a.UnitClass == b.UnitClass && a.Figures == b.Figures &&
           a.Options == b.Options && a.Moves == b.Moves && a.Weapons == b.Weapons;
}

void DesignHistory::Record(DesignState before, CleanDesign cleanBefore) {
    undo_.push_back({std::move(before), std::move(cleanBefore)});
    redo_.clear();
}

void DesignHistory::Move(std::vector<Step>& from, std::vector<Step>& to, Designer& designer, CleanDesign& clean) {
    if (from.empty()) return;
    to.push_back({CaptureDesign(designer), clean});
    RestoreDesign(designer, from.back().State);
    clean = std::move(from.back().Clean);
    from.pop_back();
}

void DesignHistory::Undo(Designer& designer, CleanDesign& clean) { Move(undo_, redo_, designer, clean); }

void DesignHistory::Redo(Designer& designer, CleanDesign& clean) { Move(redo_, undo_, designer, clean); }

const char* const RecoveryFileName = "KRMAKE.RECOVERY.kr";

void WriteRecoveryFile(const std::filesystem::path& path, const Designer& designer) {
    ProfileDocument document;
    WriteUnitDocument(document, UnitFileContentOf(designer.Sheet));
    // A path that would break its line is left out rather than failing the write.
    const std::string file = designer.SaveFileName.native();
    if (!file.empty() && file.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos)
        document.WriteText(RecoverySection(), "FILE", file);
    ProfileFile(path).Save(document);
}

std::vector<std::string> RestoreRecoveredDesign(const std::string& bytes, Designer& designer) {
    const ProfileDocument document(bytes);
    return LoadUnitContent(ReadUnitDocument(document), document.ReadText(RecoverySection(), "FILE", ""), designer);
}

}  // namespace kr
