#include "report_ui.h"

#include "reports.h"
#include "window_kit.h"

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

}  // namespace kr
