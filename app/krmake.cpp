// The designer's entry: krmake [FILE], krmake --help, krmake --version.
#include "designer_entry.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    // --help and --version are answered on a terminal without a display.
    if (!kr::NeedsWindows(argc, argv)) {
        QCoreApplication application(argc, argv);
        return kr::DesignerMain(application);
    }
    // The catalogs load while Qt starts.
    auto early = std::make_unique<kr::EarlyStart>();
    QApplication application(argc, argv);
    return kr::DesignerMain(application, std::move(early));
}
