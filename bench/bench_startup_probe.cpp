// The designer's start-up over a catalog folder, exactly as krmake runs it,
// ending after the main window's first paint.
// Usage: bench_startup_probe FOLDER STARTED_AT_NS
#include "first_paint.h"
#include "main.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_startup_probe FOLDER STARTED_AT_NS\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const long long startedAt = std::atoll(argv[2]);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    kr::InstallJapaneseTranslations();  // as krmake's entry does
    kr::DesignerSession session(folder);
    krbench::FirstPaint watch(session.Main(), startedAt);
    session.Main().show();
    return application.exec();
}
