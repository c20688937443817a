// krreport: writes the clipboard text, the HTML page or the record sheet of
// unit files without a window, for scripts and for checking a catalog change
// across many units.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kr {

struct RecordSheetContent;

// Draws record sheets for --pdf and --png. Only a krreport built with Qt has
// one; without it those two options are usage errors.
class RecordSheetWriter {
public:
    virtual ~RecordSheetWriter() = default;
    // The bytes of a PDF file, and of one PNG file per page.
    virtual std::string Pdf(const RecordSheetContent& content) = 0;
    virtual std::vector<std::string> Pictures(const RecordSheetContent& content) = 0;
};

// The whole program. Reports go to `out` (one unit) or to files; messages go
// to `err` as UTF-8. Returns 0 when everything was written, 2 for a usage
// error, 1 for any other failure (the remaining units are still written).
int KrReportMain(int argc, char** argv, std::ostream& out, std::ostream& err, RecordSheetWriter* sheets = nullptr);

}  // namespace kr
