#include "recovery_keeper.h"

#include "Pub1.h"
#include "window_kit.h"

#include <QAction>
#include <QDateTime>

#include <algorithm>
#include <chrono>

namespace kr {

RecoveryKeeper::RecoveryKeeper(const Designer& designer, const std::filesystem::path& settingsFolder,
                               QObject* parent)
    : QObject(parent), designer_(designer), slots_(settingsFolder) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { WriteSoon(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    // The design as it stands at the end is what the next session can restore.
    if (writing_.valid()) writing_.wait();
    if (pending_) WriteNow();
}

void RecoveryKeeper::FillMenu(QMenu* menu, const std::function<void(int index)>& restore) const {
    const std::vector<RecoveredDesign>& offers = Offers();
    for (std::size_t i = 0; i < offers.size(); ++i) {
        const RecoveredDesign& design = offers[i];
        QString name = Cp932ToQString(design.UnitName);
        if (name.isEmpty()) name = QStringLiteral("(名称なし)");
        const QString file = design.File.empty() ? QStringLiteral("ファイルなし") : PathString(design.File.filename());
        const QString when = QDateTime::fromSecsSinceEpoch(design.Time).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        // A menu item takes "&" as the mark of its key.
        QString text = QStringLiteral("%1 (%2, %3)").arg(name, file, when);
        text.replace(u'&', QStringLiteral("&&"));
        if (i < 9) text.prepend(QStringLiteral("&%1 ").arg(i + 1));
        QAction* item = menu->addAction(text);
        item->setToolTip(PlainToolTip(PathString(design.Path)));
        connect(item, &QAction::triggered, menu, [restore, i] { restore(static_cast<int>(i)); });
    }
    menu->menuAction()->setEnabled(!offers.empty());
}

void RecoveryKeeper::Schedule() {
    pending_ = true;
    if (timer_.isActive()) return;
    const qint64 since = sinceWrite_.isValid() ? sinceWrite_.elapsed() : 1000;
    timer_.start(static_cast<int>(std::max<qint64>(0, 1000 - since)));
}

void RecoveryKeeper::WriteSoon() {
    if (writing_.valid() && writing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        // The last write is still under way: this one follows it.
        timer_.start(50);
        return;
    }
    pending_ = false;
    sinceWrite_.start();
    writing_ = std::async(std::launch::async, [this, design = CaptureDesign(designer_),
                                               file = designer_.SaveFileName] {
        const std::string failure = Write(design, file);
        // Told on the window's thread, if the keeper is still there.
        QMetaObject::invokeMethod(this, [this, failure] { Finished(failure); }, Qt::QueuedConnection);
    });
}

bool RecoveryKeeper::WriteNow() {
    timer_.stop();
    if (writing_.valid()) writing_.wait();
    pending_ = false;
    sinceWrite_.start();
    const std::string failure = Write(CaptureDesign(designer_), designer_.SaveFileName);
    Finished(failure);
    return failure.empty();
}

std::string RecoveryKeeper::Write(const DesignState& design, const std::filesystem::path& file) const {
    try {
        slots_.Write(RecoveryBytes(design, file));
    } catch (const KrError& error) {
        return error.what();
    } catch (const ProfileDocument::RefusedText&) {
        // A text that would break its line (a catalog name holding a CR).
        return FormatMessage("%s に書き込めません", PathText(slots_.OwnFile()));
    }
    return {};
}

void RecoveryKeeper::Finished(const std::string& failure) {
    if (!failure.empty() && Failed) Failed(QString::fromUtf8(failure.c_str()));
}

}  // namespace kr
