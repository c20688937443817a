// The recovery files: the design of each running copy of the designer, kept
// in the settings folder within a second of every change and at the end,
// so that a crash, a kill or a quit loses nothing.
//
// Each running copy writes a file of its own, "KRMAKE.RECOVERY.kr" or
// "KRMAKE.RECOVERY-n.kr" (n from 2 to RecoverySlotCount), and holds the lock
// file of that slot ("KRMAKE.RECOVERY.lock", "KRMAKE.RECOVERY-n.lock") for as
// long as it runs, so no copy ever writes another live copy's file. The file
// of a slot whose lock is free was left by a copy that no longer runs: the
// copies started later offer it until it is restored, or until a copy takes
// its slot and writes a design of its own there.
//
// A recovery file is a unit file with one more section, "RECOVERY": "FILE",
// the design's unit file, and "CAPACITY", the backpack capacity, which a unit
// file does not keep.
#pragma once

#include "designer.h"
#include "history.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace kr {

extern const char* const RecoveryFileName;  // "KRMAKE.RECOVERY.kr", the first slot's file
constexpr int RecoverySlotCount = 5;
// The recovery file of a slot (1 to RecoverySlotCount) in the settings folder.
std::filesystem::path RecoveryFile(const std::filesystem::path& folder, int slot);

// A design a copy that no longer runs left behind.
struct RecoveredDesign {
    int Slot = 0;
    std::filesystem::path Path;   // the recovery file
    std::time_t Time = 0;         // when it was written
    std::string Bytes;            // its content, read at start-up
    std::string UnitName;         // CP932, as the name box would show it
    std::filesystem::path File;   // the design's unit file, if it had one
};

// The recovery file's content for the designer's design, or for a design
// state (which views the catalogs' entries, so it can be written from any
// thread while the catalogs live) and the design's unit file.
std::string RecoveryBytes(const Designer& designer);
std::string RecoveryBytes(const DesignState& design, const std::filesystem::path& file);

// Loads a recovered design into the designer as a load of a unit file does,
// remembering its unit file, with the backpack capacity it had.
UnitLoad RestoreRecoveredDesign(const RecoveredDesign& design, Designer& designer);

// This copy's slot, and what the others left.
class RecoverySlots {
public:
    // Looks at every slot of the folder (made if missing): the designs left
    // in slots whose copy no longer runs become Offers (newest first); files
    // there that are no design, or not a regular file, are told in Problems
    // and left alone. Then takes this copy's slot: a free one without a file
    // if there is one, else the free one with the oldest design.
    explicit RecoverySlots(std::filesystem::path folder);
    ~RecoverySlots();
    RecoverySlots(const RecoverySlots&) = delete;
    RecoverySlots& operator=(const RecoverySlots&) = delete;

    const std::vector<RecoveredDesign>& Offers() const { return offers_; }
    const std::vector<std::string>& Problems() const { return problems_; }  // UTF-8 messages
    // This copy's recovery file; empty when no slot could be taken.
    const std::filesystem::path& OwnFile() const { return ownFile_; }

    // Writes a recovery file's content to this copy's file, replacing it
    // whole. Throws KrError: the store's write error, a link refused, or no slot.
    void Write(const std::string& bytes) const;
    // A design was restored: its file goes, unless a copy has taken its
    // slot meanwhile (or it is this copy's own file, which holds it now).
    void Forget(const RecoveredDesign& design) const;

private:
    std::filesystem::path folder_;
    std::filesystem::path ownFile_;
    int ownLock_ = -1;
    int ownSlot_ = 0;
    std::string noSlot_;  // why no slot was taken
    std::vector<RecoveredDesign> offers_;
    std::vector<std::string> problems_;
};

}  // namespace kr
