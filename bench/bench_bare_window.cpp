// The start-up floor: a bare Qt Widgets program showing one empty main window,
// ending after its first paint. Usage: bench_bare_window STARTED_AT_NS
#include "first_paint.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_bare_window STARTED_AT_NS\n");
        return 2;
    }
    const long long startedAt = std::atoll(argv[1]);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QMainWindow window;
    krbench::FirstPaint watch(window, startedAt);
    window.show();
    return application.exec();
}
