// What both start-up programs report: the time from the moment the driver
// started them (CLOCK_MONOTONIC nanoseconds, passed as an argument) to the
// end of the main window's first paint, and the resident memory then.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

namespace krbench {

inline long long MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

inline long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Watches a window; once its first paint has been handled (the zero timer
// runs after the whole paint of the window and its children), prints the
// figures and quits the event loop. With `ready`, which waits until the
// program is ready for its first command, that time is printed as well,
// and the memory is taken after it.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, long long startedAt, std::function<void()> ready = {})
        : startedAt_(startedAt), ready_(std::move(ready)) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, this, [this] {
                const double ms = static_cast<double>(MonotonicNanoseconds() - startedAt_) / 1e6;
                std::printf("first_paint_ms=%.3f", ms);
                if (ready_) {
                    ready_();
                    std::printf(" ready_ms=%.3f", static_cast<double>(MonotonicNanoseconds() - startedAt_) / 1e6);
                }
                std::printf(" rss_kb=%ld\n", ResidentKilobytes());
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    long long startedAt_;
    std::function<void()> ready_;
    bool seen_ = false;
};

}  // namespace krbench
