#include "status_line.h"

#include "window_kit.h"

#include <QResizeEvent>

#include <algorithm>

namespace kr {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
    // The notice never widens the window: it is cut to the room there is.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(0);
    setTextFormat(Qt::PlainText);
}

void StatusLine::Show(const QString& notice, const QString& details, About about) {
    notice_ = notice;
    about_ = about;
    ++shown_;
    // Notices carry names and paths from files: they are shown as they are.
    setToolTip(notice.isEmpty() ? QString() : PlainToolTip(details.isEmpty() ? notice : details));
    Elide();
}

void StatusLine::Clear() { Show({}); }

void StatusLine::DesignChanged(std::uint64_t shown) {
    if (shown_ == shown && about_ == About::Design) Clear();
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Elide();
}

void StatusLine::Elide() { setText(fontMetrics().elidedText(notice_, Qt::ElideRight, std::max(0, contentsRect().width()))); }

}  // namespace kr
