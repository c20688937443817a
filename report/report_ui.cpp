#include "report_ui.h"

#include "profile_file.h"
#include "record_sheet.h"
#include "reports.h"
#include "window_kit.h"

#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QString>

#include <algorithm>

namespace kr {

namespace {

bool RunPrintPreview(QWidget* parent, const QPageSize& paper, const std::function<void(QPrinter&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    // A printer brings its own paper; without one (output to a PDF file)
    // the preview starts on the paper given.
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setPageSize(paper);
    QPrintPreviewDialog dialog(&printer, parent);
    // Qt's own size shows a page too small to read: most of the screen's height.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        dialog.resize(std::min(room.width(), room.height() * 3 / 4), room.height() * 9 / 10);
    }
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { paint(*target); });
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

PrintSeam& Printing() {
    static PrintSeam seam{RunPrintPreview};
    return seam;
}

void CopyReportToClipboard(const UnitSheet& sheet) {
    // The whole text is built before the clipboard is touched.
    const QString text = Cp932ToQString(BuildClipboardText(sheet));
    if (!Desktop().SetClipboardText(text)) throw KrError("クリップボードを開くことができません");
}

bool WriteAndOpenHtmlPage(const std::filesystem::path& path, const UnitSheet& sheet) {
    WriteReportFile(path, BuildHtmlPage(sheet));
    // Only a page that was written and closed is handed to the viewer.
    return Desktop().OpenDocument(PathString(path));
}

bool PrintRecordSheet(QWidget* parent, const UnitSheet& sheet, const SheetHeading& heading) {
    const RecordSheetContent content = RecordSheetContentOf(sheet, heading);
    // The preview paints from inside Qt's event loop, where no exception may go.
    return Printing().PrintWithPreview(parent, ExportPageLayout().pageSize(), [&](QPrinter& printer) {
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
