// The report commands at the window boundary: the clipboard holds Unicode
// text, so the CP932 report is converted there; files stay CP932. Failures
// are thrown as KrError; the caller's guard shows them in the error box.
#pragma once

#include <QPageSize>

#include <filesystem>
#include <functional>
#include <vector>

class QPrinter;
class QWidget;

namespace kr {

struct UnitSheet;
struct SheetHeading;

// Replaces the clipboard's content with the text report.
// Throws KrError "クリップボードを開くことができません".
void CopyReportToClipboard(const UnitSheet& sheet);

// Writes the page and, once it is closed, has the desktop open it. Returns
// false when no program could be asked to show it. Throws KrError
// "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
bool WriteAndOpenHtmlPage(const std::filesystem::path& path, const UnitSheet& sheet);

// Where the record sheet meets Qt's print preview, whose print button leads
// to Qt's print dialog; tests put their own function in. It starts on the
// printer's paper, or on `paper` where there is no printer; `paint` draws
// the sheet on the printer it is given, for the preview and again for
// printing. True when it was printed.
struct PrintSeam {
    std::function<bool(QWidget* parent, const QPageSize& paper, const std::function<void(QPrinter& printer)>& paint)>
        PrintWithPreview;
};
PrintSeam& Printing();  // Qt's preview unless a test replaced it

// The record sheet in the print preview, printed from there if the user
// asks. Failures while drawing are shown in the error box as they happen.
// True when it was printed.
bool PrintRecordSheet(QWidget* parent, const UnitSheet& sheet, const SheetHeading& heading);

// The record sheet as a PDF file, written as a save is (a file that cannot
// be written is left as it was). Throws KrError "%s に書き込めません".
void WriteRecordSheetPdf(const std::filesystem::path& path, const UnitSheet& sheet, const SheetHeading& heading);

// Pictures of the record sheet: the file for one page, one file per page
// numbered after its name for more. Returns the files written. Throws
// KrError "%s に書き込めません", and then no new file is left.
std::vector<std::filesystem::path> WriteRecordSheetPictures(const std::filesystem::path& path, const UnitSheet& sheet,
                                                            const SheetHeading& heading);

}  // namespace kr
