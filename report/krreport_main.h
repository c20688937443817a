// krreport: writes the clipboard text or the HTML page of unit files without
// a window, for scripts and for checking a catalog change across many units.
#pragma once

#include <ostream>

namespace kr {

// The whole program. Reports go to `out` (one unit) or to files; messages go
// to `err` as UTF-8. Returns 0 when everything was written, 2 for a usage
// error, 1 for any other failure (the remaining units are still written).
int KrReportMain(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace kr
