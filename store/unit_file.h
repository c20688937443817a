// The unit file (.kr): a design's name, class and base figures and the
// names of its equipment, in the profile-file layout. This is the file's
// side only; app/designer.h turns a file's content into a design and back.
#pragma once

#include "profile_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// The keys of the ten base figures in "基本性能", in the order the file holds
// them (UTF-8). Which figure of the sheet each is, is the figure table's
// business (app/unit_sheet.h).
constexpr std::size_t UnitFigureCount = 10;
inline constexpr std::array<const char*, UnitFigureCount> UnitFileFigureKeys{
    "射撃", "格闘", "回避", "装甲", "ＨＰ", "パワー", "センサー", "パンチ", "カスタムポイント", "価格"};

// What a unit file holds. Texts are CP932 bytes.
struct UnitFileContent {
    std::string Name;                                    // "名称"
    std::array<std::int32_t, UnitFigureCount> Figures{};  // by UnitFileFigureKeys, 0 when absent
    std::string Class;                                   // "クラス"; read back with ASCII letters in upper case
    // The entries' names in list order: "移動" MOVEn, "武装" WEAPONn, "オプション" OPTIONn.
    std::vector<std::string> Moves;
    std::vector<std::string> Weapons;
    std::vector<std::string> Options;

    bool operator==(const UnitFileContent&) const = default;
};

// Reads a unit file. Missing sections and keys read as empty texts, 0 and no
// entries; list entries come in the order of their lines, whatever their
// keys, empty values left out. Throws KrError "ファイル %s は開けません" when
// the path is no file that can be read.
UnitFileContent ReadUnitFileContent(const std::filesystem::path& path);
// The same reading of a file's content already in memory.
UnitFileContent ReadUnitDocument(const ProfileDocument& document);

// Whether a document is a unit file at all: its section "基本性能" holds the
// keys "名称" and "クラス", which every save writes.
bool HoldsUnitDesign(const ProfileDocument& document);

// Applies a save's writes to a document: the twelve keys of "基本性能" in
// place, then each list section removed and written again at the end (only
// when it has entries). Other sections and keys stay.
void WriteUnitDocument(ProfileDocument& document, const UnitFileContent& content);

// Writes the content into the file as one transaction: the file ends up with
// the complete new content or, when the write fails, exactly as it was.
// Throws KrError "%s に書き込めません".
void WriteUnitFileContent(const std::filesystem::path& path, const UnitFileContent& content);

}  // namespace kr
