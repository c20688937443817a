// Undo, redo and the recovery file: what the designer keeps so that no
// design is ever lost.
//
// A design state is everything a command may change: the name, class and
// base figures, the rows of the three lists (entry pointers, so a state is
// cheap), the pickers' ticks and the remembered unit file names. Commands
// take the state before they run; when it changed, the earlier state
// becomes one undo step.
#pragma once

#include "designer.h"

#include <array>
#include <cstdint>
#include <filesystem>
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
    std::filesystem::path OpenFileName;
    std::filesystem::path SaveFileName;
    FigureTexts Boxes;  // blank until the first recalculation
    bool BackpackOverloaded = false;

    bool operator==(const DesignState&) const = default;
};

DesignState CaptureDesign(const Designer& designer);
// Puts the designer back in the state, recalculated.
void RestoreDesign(Designer& designer, const DesignState& state);

// Whether two states hold the same design: name, class, figures and rows
// (what a save writes, and the capacity); ticks and file names aside.
bool SameDesign(const DesignState& a, const DesignState& b);

// What the remembered unit file holds as far as the designer knows (the
// design as last loaded, saved or set by a template), shared by the steps
// that have it; none when nothing is known to match.
using CleanDesign = std::shared_ptr<const DesignState>;

// Unlimited undo and redo within a session. Each step keeps the design and
// what its file held, so that undo brings back both.
class DesignHistory {
public:
    // A command changed the design; `before` is the state it started from.
    void Record(DesignState before, CleanDesign cleanBefore);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Step back or forth, also for `clean`; nothing happens when there is no step.
    void Undo(Designer& designer, CleanDesign& clean);
    void Redo(Designer& designer, CleanDesign& clean);

private:
    struct Step {
        DesignState State;
        CleanDesign Clean;
    };
    static void Move(std::vector<Step>& from, std::vector<Step>& to, Designer& designer, CleanDesign& clean);
    std::vector<Step> undo_;
    std::vector<Step> redo_;
};

// The recovery file: the current design in the unit file's layout, plus the
// remembered unit file in section "RECOVERY", key "FILE", so a restored
// design saves back where it came from.
extern const char* const RecoveryFileName;  // "KRMAKE.RECOVERY.kr", in the settings folder

// Writes the designer's design as the recovery file, replacing it whole and
// atomically. Throws KrError "%s に書き込めません".
void WriteRecoveryFile(const std::filesystem::path& path, const Designer& designer);

// Loads a design kept by WriteRecoveryFile (the file's bytes, read earlier)
// into the designer, as a load of a unit file does, with its remembered
// file names. Returns the names the catalogs do not hold.
std::vector<std::string> RestoreRecoveredDesign(const std::string& bytes, Designer& designer);

}  // namespace kr
