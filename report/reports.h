// The two exports of a design: the clipboard text and the HTML page. Both
// read only what the main window shows (the sheet's texts and rows) plus a
// few base figures, and return CP932 bytes with CR LF after every line.
#pragma once

#include "unit_sheet.h"

#include <filesystem>
#include <string>

namespace kr {

std::string BuildClipboardText(const UnitSheet& sheet);

// Every text from a source is written with &, <, > and " escaped.
std::string BuildHtmlPage(const UnitSheet& sheet);

// Creates the file anew and writes the page. Throws KrError
// "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
void WriteHtmlFile(const std::filesystem::path& path, const std::string& page);

}  // namespace kr
