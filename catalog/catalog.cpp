#include "catalog.h"

#include "Pub1.h"
#include "commatext.h"
#include "krMove.h"
#include "krOption.h"
#include "krWeapon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace kr {

namespace {

[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path) {
    throw KrError(FormatMessage("ファイル %s は開けません", PathText(path)));
}

// Closes a file descriptor when the read is over, whichever way it ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) ThrowCannotOpen(path);
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || S_ISDIR(status.st_mode)) ThrowCannotOpen(path);

    std::string bytes;
    // The size is a hint only: a file may grow or shrink while it is read.
    bytes.resize(status.st_size > 0 ? static_cast<std::size_t>(status.st_size) + 1 : 4096);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        ssize_t got = ::read(file.Get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowCannotOpen(path);
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

std::string_view CatalogFields::Text(int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= fields_.size())
        throw KrError(FormatMessage("リストのインデックスが範囲を超えています (%d)", DecimalText(column)));
    return fields_[static_cast<std::size_t>(column)];
}

std::int32_t CatalogFields::Integer(int column) const { return ParseIntDefault(Text(column), 0); }

std::uint8_t CatalogFields::Byte(int column) const {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(Integer(column)) & 0xFFu);
}

std::string CatalogFields::LastText(int column) const {
    if (column >= 0 && static_cast<std::size_t>(column) < fields_.size())
        return std::string(fields_[static_cast<std::size_t>(column)]);
    return " ";
}

template <class Entry>
void CatalogList<Entry>::LoadCatalog() {
    LoadCatalog(ApplicationDirectory());
}

template <class Entry>
void CatalogList<Entry>::LoadCatalog(const std::filesystem::path& directory) {
    Clear();
    const std::string bytes = ReadWholeFile(directory / CatalogTraits<Entry>::FileName);
    LoadCatalogText(bytes);
}

template <class Entry>
void CatalogList<Entry>::LoadCatalogText(std::string_view text) {
    Clear();
    const std::vector<std::string_view> lines = SplitLines(text);
    // Line 0 is the header and is never read.
    if (lines.size() < 2) return;
    entries_.reserve(lines.size() - 1);
    byName_.reserve(lines.size() - 1);
    // One buffer of field views and one of quoted text serve every line.
    std::vector<std::string_view> views;
    std::string quoted;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        SplitCommaFields(lines[i], views, quoted);
        const CatalogFields fields(views);
        auto entry = std::make_unique<Entry>();
        // A line cut short throws here: the entry is dropped, the earlier
        // ones stay and the later lines are not read.
        CatalogTraits<Entry>::Fill(*entry, fields);
        AddEntry(std::move(entry));
    }
}

template <class Entry>
void CatalogList<Entry>::Clear() {
    byName_.clear();
    while (!entries_.empty()) entries_.pop_back();
}

template <class Entry>
void CatalogList<Entry>::AddEntry(std::unique_ptr<Entry> entry) {
    const Entry* added = entry.get();
    entries_.push_back(std::move(entry));
    // A later entry of the same name takes over the name.
    byName_.insert_or_assign(std::string_view(added->Name), added);
}

template <class Entry>
const Entry* CatalogList<Entry>::FindByName(std::string_view name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

template class CatalogList<TKrOption>;
template class CatalogList<TKrWeapon>;
template class CatalogList<TKrMove>;

}  // namespace kr
