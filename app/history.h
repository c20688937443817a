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

struct DesignState {
    std::string UnitName;
    std::string UnitClass;
    BaseFigureValues Figures{};
    std::vector<const TKrOption*> Options;
    std::vector<const TKrMove*> Moves;
    std::vector<const TKrWeapon*> Weapons;
    std::vector<std::uint32_t> OptionTicks;  // ticked rows of the option picker
    std::vector<std::uint32_t> MoveTicks;    // and of the move picker
    FigureTexts Boxes;  // blank until the first recalculation
    bool BackpackOverloaded = false;
    bool ListsEnabled = false;  // false only before the first template or load

    bool operator==(const DesignState&) const = default;
};

DesignState CaptureDesign(const Designer& designer);
// Puts the designer back in the state, recalculated (or, for the state
// before the first template or load, as blank as it was).
void RestoreDesign(Designer& designer, const DesignState& state);

// Whether two states hold the same design: name, class, figures and rows
// (what a save writes, and the capacity); ticks and boxes aside.
bool SameDesign(const DesignState& a, const DesignState& b);

class DesignHistory {
public:
    DesignHistory();

    // The current document's file, where a save without the dialog goes;
    // empty while the document has none.
    const std::filesystem::path& File() const { return document_->File; }

    // A command changed the design within the current document; `before` is
    // the state it started from.
    void Record(DesignState before);
    // A template, a load or a restore began a new document from `before`;
    // `file` is the new document's file (empty for none).
    void BeginDocument(DesignState before, std::filesystem::path file);
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
    struct Step {
        DesignState State;
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
