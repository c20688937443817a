// This copy's recovery file at the window: written at most once a second
// after a change of the design, on a thread of its own so that typing never
// waits for the disk, and once more at the end; the designs other copies
// left behind, offered in the Edit menu.
#pragma once

#include "recovery.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

namespace kr {

class RecoveryKeeper : public QObject {
public:
    // Takes this copy's slot in the settings folder and reads what the
    // copies that no longer run left there.
    RecoveryKeeper(const Designer& designer, const std::filesystem::path& settingsFolder, QObject* parent = nullptr);
    // The end: a write under way is waited for, and a change not yet
    // written is written now.
    ~RecoveryKeeper() override;

    const std::vector<RecoveredDesign>& Offers() const { return slots_.Offers(); }
    // Recovery files that are not offered, and why (UTF-8).
    const std::vector<std::string>& Problems() const { return slots_.Problems(); }
    // One item per design left behind, newest first ("&1 name (file, date)");
    // choosing one calls `restore` with its place among the offers.
    void FillMenu(QMenu* menu, const std::function<void(int index)>& restore) const;

    // The design changed: it is written within a second.
    void Schedule();
    // Writes the design now, on this thread; false when that failed (told
    // through Failed).
    bool WriteNow();
    // A design restored and kept in this copy's file: the file it came from goes.
    void Forget(const RecoveredDesign& design) const { slots_.Forget(design); }

    // Why a write failed, for the status line.
    std::function<void(const QString& reason)> Failed;

private:
    // The timer's write: the design is taken now (entry pointers, at once)
    // and written on a thread of its own; one write at a time.
    void WriteSoon();
    // Writes the design's recovery file on the calling thread; the reason
    // when it failed, else nothing.
    std::string Write(const DesignState& design, const std::filesystem::path& file) const;
    void Finished(const std::string& failure);

    const Designer& designer_;
    RecoverySlots slots_;
    bool pending_ = false;
    QTimer timer_;
    QElapsedTimer sinceWrite_;
    std::future<void> writing_;
};

}  // namespace kr
