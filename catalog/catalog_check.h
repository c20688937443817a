// Where a catalog file goes wrong, for players who write their own catalogs.
//
// The check reads a catalog's bytes with the loader's own line cutting
// (LineReader), field splitting (SplitCommaFields), integer rule (ParseInt)
// and column list (CatalogTraits<Entry>::Columns), and reports every place
// where the loader reads a line otherwise than it is written: a number that
// reads as 0 or outside the width its column keeps, a field cut by a blank
// (which moves every later column), a line cut short, bytes that are not
// Shift_JIS; and what is likely not meant: a name that a later line shadows,
// a follow-up weapon row without its weapon, an empty name, a line or a
// header of another width. A file saved as UTF-8 is told once, and nothing
// else of it.
//
// A finding is an error when it changes what the designer works out, shows
// or finds (a figure, a column, a name), and a warning when it does not (a
// note cut short, a spare number, a shadowed name).
//
// Places are given as the line of the file (from 1; line 1 is the header)
// and the field number on that line (from 0, as the columns are numbered).
#pragma once

#include "catalog.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

enum class CatalogKind { Weapon, Option, Move };

// The order in which the designer loads the catalogs.
inline constexpr CatalogKind CatalogLoadOrder[] = {CatalogKind::Weapon, CatalogKind::Option, CatalogKind::Move};

// "weapon.csv", "option.csv", "move.csv".
const char* CatalogFileName(CatalogKind kind);

// The kind's columns, as its loader reads them.
std::span<const CatalogColumn> CatalogColumns(CatalogKind kind);

enum class FindingSeverity { Error, Warning };

struct CatalogFinding {
    std::size_t Line = 0;  // from 1; line 1 is the header
    int Column = 0;        // field number from 0
    FindingSeverity Severity = FindingSeverity::Error;
    // CP932; the file's bytes in it are shown so that they never break it:
    // a byte that is no Shift_JIS character, or a control byte, as "〓".
    std::string Message;
};

// Everything the check finds in one catalog file's bytes, by line and field.
// Lines after one that stops the load are not read, as the loader does not.
std::vector<CatalogFinding> CheckCatalogText(CatalogKind kind, std::string_view bytes);

// "weapon.csv:12:5: error: message" or "...: warning: message" (CP932, no
// line end), as compilers write their findings.
std::string FindingText(CatalogKind kind, const CatalogFinding& finding);

// The check of the three catalogs, in the order the designer loads them.
struct CatalogFolderCheck {
    // One FindingText per finding, each followed by CR LF (CP932).
    std::string Text;
    // Whether a finding is an error (not only warnings).
    bool HasErrors = false;
    // The messages of files that cannot be read (UTF-8), as the loader gives them.
    std::vector<std::string> Failures;
};
CatalogFolderCheck CheckCatalogFiles(const CatalogFiles& files);


// Whether the text is UTF-8 with at least one character outside ASCII: a
// file saved so, which the loader reads as Shift_JIS all the same.
bool LooksLikeUtf8(std::string_view text);

}  // namespace kr
