// The two report commands of the main window's "出力" menu: the clipboard
// text and the HTML page. Failures are thrown as KrError; the caller's guard
// shows them in the error box.
#pragma once

class QWidget;

namespace kr {

struct Designer;
struct UnitSheet;

// Replaces the clipboard's content with the text report.
// Throws KrError "クリップボードを開くことができません".
void CopyReportToClipboard(const UnitSheet& sheet);

// Asks for a file (offering the name chosen last time), writes the page and
// has the desktop open it. A cancelled dialog ends the command silently.
void SaveHtmlReport(QWidget* owner, Designer& designer);

}  // namespace kr
