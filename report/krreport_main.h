// krreport: writes the clipboard text, the HTML page or the record sheet of
// unit files without a window, for scripts and for checking a catalog change
// across many units.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kr {

struct RecordSheetContent;

// Draws record sheets for --pdf and --png.
class RecordSheetWriter {
public:
    virtual ~RecordSheetWriter() = default;
    // The bytes of a PDF file, and of one PNG file per page.
    virtual std::string Pdf(const RecordSheetContent& content) = 0;
    virtual std::vector<std::string> Pictures(const RecordSheetContent& content) = 0;
};

// How the program draws record sheets: with a writer of its own (the
// program built with Qt), or by running in its own place, with the same
// arguments, the first of `Programs` that is there (so that krreport itself
// needs no Qt, not even its libraries). With neither, --pdf and --png are
// usage errors.
struct SheetDrawing {
    RecordSheetWriter* Writer = nullptr;
    std::vector<std::filesystem::path> Programs;
};

// The whole program. Reports go to `out` (one unit) or to files; messages go
// to `err` as UTF-8. Returns 0 when everything was written, 2 for a usage
// error, 1 for any other failure (the remaining units are still written).
int KrReportMain(int argc, char** argv, std::ostream& out, std::ostream& err, const SheetDrawing& sheets = {});

}  // namespace kr
