// The start-up floor of a window that draws Japanese text: a Qt Widgets
// program showing one main window with one label in the designer's font,
// ending after its first paint. Usage: bench_label_window STARTED_AT_NS
#include "first_paint.h"
#include "window_kit.h"

#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_label_window STARTED_AT_NS\n");
        return 2;
    }
    const long long startedAt = std::atoll(argv[1]);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QMainWindow window;
    auto* label = new QLabel(QStringLiteral("ＫＲデザイナ"), &window);
    label->setFont(kr::GothicFont(15));
    window.setCentralWidget(label);
    krbench::FirstPaint watch(window, startedAt);
    window.show();
    return application.exec();
}
