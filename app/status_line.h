// The status line at the bottom of the main window: notices that must not
// stop the user (names a load dropped, where a file was written). The text
// is cut with "…" to the line's width; the whole of it is in the tooltip.
#pragma once

#include <QLabel>
#include <QString>

#include <cstdint>

namespace kr {

class StatusLine : public QLabel {
public:
    explicit StatusLine(QWidget* parent = nullptr);
    // What a notice is about: the design (a load's dropped names, where it
    // was saved), which the next change of design makes old, or the session
    // (its recovery file, its settings), which stays until the next notice.
    enum class About { Design, Session };
    // Shows a notice; `details` (if any) is the tooltip, else the notice itself.
    void Show(const QString& notice, const QString& details = {}, About about = About::Design);
    void Clear();
    const QString& Notice() const { return notice_; }
    About NoticeAbout() const { return about_; }
    // How many notices were shown (or cleared) so far: a command that
    // showed none leaves it as it was.
    std::uint64_t Shown() const { return shown_; }
    // The design changed: a notice about the design before goes, unless
    // another was shown since `shown`.
    void DesignChanged(std::uint64_t shown);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString notice_;
    About about_ = About::Design;
    std::uint64_t shown_ = 0;
};

}  // namespace kr
