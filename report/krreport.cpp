// Entry of krreport, and of krreport-sheets, the same program built with Qt
// for record sheets, which krreport runs in its own place for --pdf and
// --png; everything else is in report_core, and the drawing in report_sheet.
#include "krreport_main.h"

#include "Pub1.h"

#include <iostream>

#ifdef KR_RECORD_SHEET
#include "record_sheet.h"

#include <QGuiApplication>

#include <memory>

namespace {

// Qt starts with the first sheet, so the other reports run without it. No
// window is ever shown: Qt's offscreen platform draws wherever the user has
// not chosen another, with or without a display.
class QtSheetWriter final : public kr::RecordSheetWriter {
public:
    std::string Pdf(const kr::RecordSheetContent& content) override {
        Start();
        return kr::RecordSheetPdf(content);
    }
    std::vector<std::string> Pictures(const kr::RecordSheetContent& content) override {
        Start();
        return kr::RecordSheetPictures(content);
    }

private:
    void Start() {
        if (application_) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt sees only the program's name: krreport's own arguments are not its options.
        application_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

    char name_[9] = "krreport";
    char* argv_[2] = {name_, nullptr};
    int argc_ = 1;
    std::unique_ptr<QGuiApplication> application_;
};

}  // namespace
#endif

int main(int argc, char** argv) {
    kr::SheetDrawing sheets;
#if defined(KR_RECORD_SHEET)
    QtSheetWriter writer;
    sheets.Writer = &writer;
#elif defined(KR_SHEET_PROGRAM)
    // Beside krreport, where the build and the installation put it, so
    // that it finds the same catalogs.
    sheets.Programs = {kr::ApplicationDirectory() / KR_SHEET_PROGRAM};
#endif
    // std::cout does no line-end translation here, so CP932 bytes and CR LF
    // reach the output unchanged.
    return kr::KrReportMain(argc, argv, std::cout, std::cerr, sheets);
}
