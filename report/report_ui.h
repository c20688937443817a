// The report commands at the window boundary: the clipboard holds Unicode
// text, so the CP932 report is converted there; files stay CP932. Failures
// are thrown as KrError; the caller's guard shows them in the error box.
#pragma once

#include <filesystem>

namespace kr {

struct UnitSheet;

// Replaces the clipboard's content with the text report.
// Throws KrError "クリップボードを開くことができません".
void CopyReportToClipboard(const UnitSheet& sheet);

// Writes the page and, once it is closed, has the desktop open it. Returns
// false when no program could be asked to show it. Throws KrError
// "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
bool WriteAndOpenHtmlPage(const std::filesystem::path& path, const UnitSheet& sheet);

}  // namespace kr
