#include "recovery_keeper.h"

#include "Pub1.h"
#include "window_kit.h"

#include <QAction>
#include <QDateTime>

#include <algorithm>

namespace kr {

RecoveryKeeper::RecoveryKeeper(const Designer& designer, const std::filesystem::path& settingsFolder,
                               QObject* parent)
    : QObject(parent), designer_(designer), slots_(settingsFolder) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { WriteNow(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    // The design as it stands at the end is what the next session can restore.
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

bool RecoveryKeeper::WriteNow() {
    timer_.stop();
    pending_ = false;
    sinceWrite_.start();
    try {
        slots_.Write(designer_);
        return true;
    } catch (const KrError& error) {
        if (Failed) Failed(QString::fromUtf8(error.what()));
        return false;
    }
}

}  // namespace kr
