// Undo and redo, and what the design's files are known to hold.
//
// A design state is everything a command may change: the name, class and
// base figures, the rows of the three lists (entry pointers, so a state is
// cheap), the pickers' ticks and what the window shows. Commands take the
// state before they run; when it changed, the earlier state becomes one
// undo step.
//
// The history is a chain of documents. A template, a load or a restore
// begins a new document; a save (with or without the dialog) gives the
// current document its file. Undo and redo within a document never change
// the file a save goes to; a step across a document's beginning returns to
// the earlier document, with its own file.
#pragma once

#include "designer.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kr {

// The small part of a design state, kept whole by every undo step.
struct DesignHead {
    std::string UnitName;
    std::string UnitClass;
    BaseFigureValues Figures{};
    FigureTexts Boxes;  // blank until the first recalculation
    bool BackpackOverloaded = false;
    bool ListsEnabled = false;  // false only before the first template or load

    bool operator==(const DesignHead&) const = default;
};

struct DesignState : DesignHead {
    std::vector<const TKrOption*> Options;
    std::vector<const TKrMove*> Moves;
    std::vector<const TKrWeapon*> Weapons;
    std::vector<std::uint32_t> OptionTicks;  // ticked rows of the option picker
    std::vector<std::uint32_t> MoveTicks;    // and of the move picker

    bool operator==(const DesignState&) const = default;
};

DesignState CaptureDesign(const Designer& designer);
// Puts the designer back in the state, recalculated (or, for the state
// before the first template or load, as blank as it was).
void RestoreDesign(Designer& designer, const DesignState& state);

// Whether two states hold the same design: name, class, figures and rows
// (what a save writes, and the capacity); ticks and boxes aside.
bool SameDesign(const DesignState& a, const DesignState& b);

// The part of a list one state has and another lacks: Count items at Offset
// that become Items (the items the two have in common at either end are not
// kept), so a step that changed one row of 10,000 keeps one row.
template <class T>
struct Splice {
    std::size_t Offset = 0;
    std::size_t Count = 0;
    std::vector<T> Items;
};

// What turns one design state into another: the splices of its lists and
// ticks, and the few small parts whole.
struct DesignChange {
    DesignHead Head;
    Splice<const TKrOption*> Options;
    Splice<const TKrMove*> Moves;
    Splice<const TKrWeapon*> Weapons;
    Splice<std::uint32_t> OptionTicks;
    Splice<std::uint32_t> MoveTicks;
};
// The change that turns `from` into `to`, and `from` with it applied.
DesignChange ChangeBetween(const DesignState& from, const DesignState& to);
DesignState Applied(DesignState from, const DesignChange& change);

class DesignHistory {
public:
    DesignHistory();

    // The current document's file, where a save without the dialog goes;
    // empty while the document has none.
    const std::filesystem::path& File() const { return document_->File; }

    // A command changed the design from `before` to `after` (the state now)
    // within the current document.
    void Record(const DesignState& before, const DesignState& after);
    // A template, a load or a restore began a new document, going from
    // `before` to `after`; `file` is the new document's file (empty for none).
    void BeginDocument(const DesignState& before, const DesignState& after, std::filesystem::path file);
    // The design `now` was written to `file`, which is the current
    // document's file from now on.
    void Saved(const std::filesystem::path& file, const DesignState& now);
    // What `file` holds as far as this session knows: exactly `design`, or
    // (nothing) not known or nothing a design of this session can be, as a
    // file with names the catalogs lack.
    void FileHolds(const std::filesystem::path& file, std::optional<DesignState> design);

    // Whether the design differs from what its document's file holds; false
    // while the document has no file.
    bool Modified(const DesignState& now) const;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Step back or forth; the designer's remembered unit file follows the
    // document. Nothing happens when there is no step.
    void Undo(Designer& designer);
    void Redo(Designer& designer);

private:
    struct Document {
        std::filesystem::path File;
    };
    // A step keeps what turns the state after it back into the state before
    // it (or, on the redo side, forth again), not the whole state.
    struct Step {
        DesignChange Back;
        std::shared_ptr<Document> Of;
    };
    void Move(std::vector<Step>& from, std::vector<Step>& to, Designer& designer);

    std::shared_ptr<Document> document_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    // Files whose content is known to be exactly a design of this session.
    std::map<std::filesystem::path, DesignState> known_;
};

}  // namespace kr
