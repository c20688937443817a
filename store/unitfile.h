// The unit file (.kr): the sheet's name, class and base figures and the
// names of its equipment, in the profile-file layout.
#pragma once

#include "designer.h"
#include "ProfileFile.h"

#include <filesystem>

namespace kr {

// BackpackCapacity of a class: "L" 2, "M" 4, "H" 5, anything else 6.
std::int32_t CapacityOfClass(const std::string& unitClass);

// Applies the unit file's writes to a document (the sequence of store
// operations of a save, on the file's current content).
void WriteUnitDocument(ProfileDocument& document, const UnitSheet& sheet);

// Writes the sheet to the file as one transaction: the file ends up with the
// complete new content, or, when a write fails, exactly as it was.
// Throws KrError "%s に書き込めません".
void WriteUnitFile(const std::filesystem::path& path, const UnitSheet& sheet);

// Loads a unit file into the designer: clears the pickers' ticks and the
// three lists, reads the sheet, adds the rows found in the catalogs, ticks
// the pickers, sets the capacity and the remembered file name. A file that
// does not exist or cannot be read throws KrError "ファイル %s は開けません"
// and leaves the designer untouched. Does not recalculate.
void LoadUnitFile(const std::filesystem::path& path, Designer& designer);

}  // namespace kr
