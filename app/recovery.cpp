#include "recovery.h"

#include "Pub1.h"
#include "codec.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace kr {

const char* const RecoveryFileName = "KRMAKE.RECOVERY.kr";

namespace {

const std::string& RecoverySection() {
    static const std::string section = "RECOVERY";
    return section;
}

std::string SlotStem(int slot) {
    return slot == 1 ? std::string("KRMAKE.RECOVERY") : "KRMAKE.RECOVERY-" + std::to_string(slot);
}

std::filesystem::path LockFile(const std::filesystem::path& folder, int slot) {
    return folder / (SlotStem(slot) + ".lock");
}

enum class Lock { Taken, Busy, Refused };

// Takes a slot's lock without waiting. The lock is the open file itself
// (flock), so it goes with the process however the process ends.
Lock TakeLock(const std::filesystem::path& lockFile, int& fd) {
    fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0600);
    if (fd < 0) return Lock::Refused;
    struct stat status {};
    Lock lock = Lock::Taken;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        lock = Lock::Refused;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        lock = errno == EWOULDBLOCK ? Lock::Busy : Lock::Refused;
    if (lock != Lock::Taken) {
        ::close(fd);
        fd = -1;
    }
    return lock;
}

std::string Refusal(const std::string& why) { return "復元しません: " + why; }

}  // namespace

std::filesystem::path RecoveryFile(const std::filesystem::path& folder, int slot) {
    return slot == 1 ? folder / RecoveryFileName : folder / (SlotStem(slot) + ".kr");
}

std::string RecoveryBytes(const DesignState& design, const std::filesystem::path& file) {
    UnitFileContent content;
    content.Name = design.UnitName;
    content.Class = design.UnitClass;
    for (const FigureDescription& figure : FigureTable)
        if (figure.FileIndex >= 0)
            content.Figures[static_cast<std::size_t>(figure.FileIndex)] = design.Figures[static_cast<std::size_t>(figure.Id)];
    const auto names = [](const auto& entries) {
        std::vector<std::string> captions;
        captions.reserve(entries.size());
        for (const auto* entry : entries) captions.emplace_back(entry->Name);
        return captions;
    };
    content.Moves = names(design.Moves);
    content.Weapons = names(design.Weapons);
    content.Options = names(design.Options);

    ProfileDocument document;
    WriteUnitDocument(document, content);
    // A path that would break its line is left out rather than failing the write.
    const std::string& path = file.native();
    if (!path.empty() && path.find_first_of(LineBreakingBytes) == std::string::npos)
        document.WriteText(RecoverySection(), "FILE", path);
    document.WriteNumber(RecoverySection(), "CAPACITY", design.Figures[static_cast<std::size_t>(SheetFigure::Backpack)]);
    return document.Bytes();
}

std::string RecoveryBytes(const Designer& designer) {
    return RecoveryBytes(CaptureDesign(designer), designer.SaveFileName);
}

UnitLoad RestoreRecoveredDesign(const RecoveredDesign& design, Designer& designer) {
    const ProfileDocument document(design.Bytes);
    const UnitFileContent content = ReadUnitDocument(document);
    // A unit file derives the capacity from the class; the design had its own.
    const std::int32_t capacity = document.ReadNumber(RecoverySection(), "CAPACITY", CapacityOfClass(content.Class));
    return LoadUnitContent(content, design.File, designer, capacity);
}

RecoverySlots::RecoverySlots(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);

    struct FreeSlot {
        int Slot;
        int Lock;
        bool HasFile;
        bool Writable;  // nothing there, or a regular file (never a link, a FIFO, ...)
        std::time_t Time;
    };
    std::vector<FreeSlot> free;
    std::vector<int> untouched;  // slots no copy ever used: neither a file nor a lock
    bool refused = false;
    for (int slot = 1; slot <= RecoverySlotCount; ++slot) {
        const std::filesystem::path file = RecoveryFile(folder_, slot);
        struct stat status {};
        const bool hasFile = ::lstat(file.c_str(), &status) == 0;
        if (!hasFile && !std::filesystem::exists(std::filesystem::symlink_status(LockFile(folder_, slot), ignored))) {
            untouched.push_back(slot);
            continue;
        }
        int lock = -1;
        switch (TakeLock(LockFile(folder_, slot), lock)) {
            case Lock::Busy: continue;  // a running copy's
            case Lock::Refused: refused = true; continue;
            case Lock::Taken: break;
        }
        FreeSlot entry{slot, lock, hasFile, !hasFile || S_ISREG(status.st_mode), hasFile ? status.st_mtime : 0};
        free.push_back(entry);
        if (!hasFile) continue;
        std::string bytes;
        const FileRead read = ReadFileBytes(file, bytes, UnitFileSizeLimit, Links::Refuse);
        const ProfileDocument document(read == FileRead::Read ? std::string_view(bytes) : std::string_view());
        if (read != FileRead::Read) {
            problems_.push_back(Refusal(FileReadMessage(read, file, UnitFileSizeLimit)));
        } else if (!HoldsUnitDesign(document)) {
            problems_.push_back(Refusal(FormatMessage("%s は設計のファイルではありません", PathText(file))));
        } else {
            RecoveredDesign design;
            design.Slot = slot;
            design.Path = file;
            design.Time = status.st_mtime;
            design.UnitName = UnitNameFromFile(ReadUnitDocument(document).Name);
            design.File = document.ReadText(RecoverySection(), "FILE", "");
            design.Bytes = std::move(bytes);
            offers_.push_back(std::move(design));
        }
    }
    std::stable_sort(offers_.begin(), offers_.end(),
                     [](const RecoveredDesign& a, const RecoveredDesign& b) { return a.Time > b.Time; });

    // A slot without a file keeps every design left behind (the lowest such
    // slot first); when every free slot has one, the oldest gives way.
    const auto take = [&](int slot, int lock) {
        ownLock_ = lock;
        ownSlot_ = slot;
        ownFile_ = RecoveryFile(folder_, slot);
    };
    const FreeSlot* empty = nullptr;
    const FreeSlot* oldest = nullptr;
    for (const FreeSlot& slot : free) {
        if (!slot.HasFile && empty == nullptr) empty = &slot;
        if (slot.HasFile && slot.Writable && (oldest == nullptr || slot.Time < oldest->Time)) oldest = &slot;
    }
    if (empty != nullptr) {
        take(empty->Slot, empty->Lock);
    } else {
        for (int slot : untouched) {
            int lock = -1;
            const Lock taken = TakeLock(LockFile(folder_, slot), lock);
            refused = refused || taken == Lock::Refused;
            if (taken != Lock::Taken) continue;
            take(slot, lock);
            break;
        }
        if (ownLock_ < 0 && oldest != nullptr) take(oldest->Slot, oldest->Lock);
    }
    for (const FreeSlot& slot : free)
        if (slot.Lock != ownLock_) ::close(slot.Lock);
    if (ownLock_ < 0)
        noSlot_ = refused ? FormatMessage("%s に書き込めません", PathText(LockFile(folder_, 1)))
                          : std::string("どのスロットもほかのＫＲデザイナが使っています");
}

RecoverySlots::~RecoverySlots() {
    if (ownLock_ >= 0) ::close(ownLock_);
}

void RecoverySlots::Write(const std::string& bytes) const {
    if (ownFile_.empty()) throw KrError(noSlot_);
    ReplaceFileContent(ownFile_, bytes, Links::Refuse);
}

void RecoverySlots::Forget(const RecoveredDesign& design) const {
    if (design.Slot == ownSlot_) return;
    int lock = -1;
    if (TakeLock(LockFile(folder_, design.Slot), lock) != Lock::Taken) return;
    // Only the very file that was offered: a copy may have come and gone.
    struct stat status {};
    if (::lstat(design.Path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_mtime == design.Time)
        ::unlink(design.Path.c_str());
    ::close(lock);
}

}  // namespace kr
