// Entry of krreport; everything else is in report_core.
#include "krreport_main.h"

#include <iostream>

int main(int argc, char** argv) {
    // std::cout does no line-end translation here, so CP932 bytes and CR LF
    // reach the output unchanged.
    return kr::KrReportMain(argc, argv, std::cout, std::cerr);
}
