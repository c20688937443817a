// The start-up floors: a bare Qt Widgets program showing one empty main
// window, or (with --label) one main window with one Japanese label in the
// designer's font, ending after its first paint.
// Usage: bench_bare_window [--label] STARTED_AT_NS
#include "first_paint.h"
#include "window_kit.h"

#include <QLabel>
#include <QMainWindow>

#include <cstring>

int main(int argc, char** argv) {
    const bool label = argc == 3 && std::strcmp(argv[1], "--label") == 0;
    if (argc != (label ? 3 : 2)) {
        std::fprintf(stderr, "usage: bench_bare_window [--label] STARTED_AT_NS\n");
        return 2;
    }
    const long long startedAt = std::atoll(argv[argc - 1]);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QMainWindow window;
    if (label) {
        auto* text = new QLabel(QStringLiteral("ＫＲデザイナ"), &window);
        text->setFont(kr::GothicFont(15));
        window.setCentralWidget(text);
    }
    krbench::FirstPaint watch(window, startedAt);
    window.show();
    return application.exec();
}
