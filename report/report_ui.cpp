#include "report_ui.h"

#include "profile_file.h"
#include "record_sheet.h"
#include "reports.h"
#include "window_kit.h"

#include <QPrinter>
#include <QString>

namespace kr {

void CopyReportToClipboard(const UnitSheet& sheet) {
    // The whole text is built before the clipboard is touched.
    const QString text = Cp932ToQString(BuildClipboardText(sheet));
    if (!Desktop().SetClipboardText(text)) throw KrError("クリップボードを開くことができません");
}

bool WriteAndOpenHtmlPage(const std::filesystem::path& path, const UnitSheet& sheet) {
    WriteHtmlFile(path, BuildHtmlPage(sheet));
    // Only a page that was written and closed is handed to the viewer.
    return Desktop().OpenDocument(PathString(path));
}

bool PrintRecordSheet(QWidget* parent, const UnitSheet& sheet, const SheetHeading& heading) {
    const RecordSheetContent content = RecordSheetContentOf(sheet, heading);
    // The preview paints from inside Qt's event loop, where no exception may go.
    return Desktop().PrintWithPreview(parent, ExportPageLayout().pageSize(), [&](QPrinter& printer) {
        Guarded(parent, [&] { PaintRecordSheet(printer, content); });
    });
}

void WriteRecordSheetPdf(const std::filesystem::path& path, const UnitSheet& sheet, const SheetHeading& heading) {
    ReplaceFileContent(path, RecordSheetPdf(RecordSheetContentOf(sheet, heading)));
}

std::vector<std::filesystem::path> WriteRecordSheetPictures(const std::filesystem::path& path, const UnitSheet& sheet,
                                                            const SheetHeading& heading) {
    const std::vector<std::string> pictures = RecordSheetPictures(RecordSheetContentOf(sheet, heading));
    const std::vector<std::filesystem::path> files = PageFileNames(path, pictures.size());
    WritePageFiles(files, pictures);
    return files;
}

}  // namespace kr
