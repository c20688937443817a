// The designer's entry: krmake [FILE], krmake --help, krmake --version.
#include "designer_entry.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    // --help and --version are answered on a terminal without a display.
    std::unique_ptr<QCoreApplication> application;
    if (kr::NeedsWindows(argc, argv))
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    return kr::DesignerMain(*application);
}
