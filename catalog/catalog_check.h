// Where a catalog file goes wrong, for players who write their own catalogs.
//
// The check reads a catalog's bytes with the loader's own line cutting
// (LineReader), field splitting (SplitCommaFields) and integer rule
// (ParseInt), and reports what the loader passes over in silence or stops
// at: numbers that read as 0, a line cut short, a name that a later line
// shadows, a follow-up weapon row without its weapon, bytes that are not
// Shift_JIS, an empty name and a header of the wrong width.
//
// Places are given as the line of the file (from 1; line 1 is the header)
// and the field number on that line (from 0, as the columns are numbered).
#pragma once

#include "catalog.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

enum class CatalogKind { Weapon, Option, Move };

// The order in which the designer loads the catalogs.
inline constexpr CatalogKind CatalogLoadOrder[] = {CatalogKind::Weapon, CatalogKind::Option, CatalogKind::Move};

// "weapon.csv", "option.csv", "move.csv".
const char* CatalogFileName(CatalogKind kind);

struct CatalogFinding {
    std::size_t Line = 0;  // from 1; line 1 is the header
    int Column = 0;        // field number from 0
    std::string Message;   // CP932
};

// Everything the check finds in one catalog file's bytes, by line and field.
// Lines after one that stops the load are not read, as the loader does not.
std::vector<CatalogFinding> CheckCatalogText(CatalogKind kind, std::string_view bytes);

// "weapon.csv:12:5: message" (CP932, no line end).
std::string FindingText(CatalogKind kind, const CatalogFinding& finding);

// The check of the three catalogs, in the order the designer loads them.
struct CatalogFolderCheck {
    // One FindingText per finding, each followed by CR LF (CP932).
    std::string Text;
    // The messages of files that cannot be read (UTF-8), as the loader gives them.
    std::vector<std::string> Failures;
};
CatalogFolderCheck CheckCatalogFiles(const CatalogFiles& files);

// The loader's message for a line that lacks a column other than the last
// (UTF-8): "リストのインデックスが範囲を超えています (column)".
std::string MissingColumnMessage(int column);

// The loader's message with the file and line before it (UTF-8):
// "weapon.csv 12 行目: message".
std::string CatalogLineMessage(std::string_view fileName, std::size_t line, std::string_view message);

// The number (from 1) of the line of `text`, cut as LineReader cuts it, that
// starts where `line` starts; `line` must be a line LineReader gave for `text`.
std::size_t LineNumberOf(std::string_view text, std::string_view line);

}  // namespace kr
