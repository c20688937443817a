// The report commands at the window boundary: the clipboard holds Unicode
// text, so the CP932 report is converted there; files stay CP932.
#include "report_ui.h"

#include "designer.h"
#include "reports.h"
#include "window_kit.h"

#include <QString>

namespace kr {

void CopyReportToClipboard(const UnitSheet& sheet) {
    // The whole text is built before the clipboard is touched.
    const QString text = Cp932ToQString(BuildClipboardText(sheet));
    if (!Desktop().SetClipboardText(text)) throw KrError("クリップボードを開くことができません");
}

void SaveHtmlReport(QWidget* owner, Designer& designer) {
    FileDialogRequest request;
    request.Filter = Utf8ToQString("HTML (*.htm *.html);;全て (*.*)");
    request.DefaultSuffix = QStringLiteral("html");
    request.InitialFileName = QString::fromStdString(designer.HtmlFileName.string());
    request.Save = true;
    const QString chosen = Desktop().ChooseFile(owner, request);
    if (chosen.isEmpty()) return;

    const std::filesystem::path path = chosen.toStdString();
    designer.HtmlFileName = path;
    WriteHtmlFile(path, BuildHtmlPage(designer.Sheet));
    // Only a page that was written and closed is handed to the viewer.
    Desktop().OpenDocument(chosen);
}

}  // namespace kr
