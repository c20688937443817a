// The designer's start-up over a catalog folder, exactly as krmake runs it,
// to the main window's first paint and on until the catalogs are there.
// Usage: bench_startup_probe FOLDER STARTED_AT_NS
#include "designer_entry.h"
#include "first_paint.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_startup_probe FOLDER STARTED_AT_NS\n");
        return 2;
    }
    const kr::DataFolders folders = kr::PortableFolders(argv[1]);
    const long long startedAt = std::atoll(argv[2]);
    // As krmake's main(): the catalogs load while Qt starts.
    kr::CatalogsLoading loading(folders.Catalogs);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    const auto session = kr::StartDesigner(folders, std::nullopt, std::move(loading));
    // The window paints while the catalogs load; ready once they are there
    // (the pickers filled) for a first command.
    krbench::FirstPaint watch(session->Main(), startedAt, [&] { session->Main().WaitForCatalogs(); });
    return application.exec();
}
