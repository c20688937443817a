#include "Pub1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

namespace kr {

std::string FormatMessage(std::string_view pattern, std::string_view argument) {
    std::string result;
    result.reserve(pattern.size() + argument.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            result.append(pattern.substr(0, i));
            result.append(argument);
            result.append(pattern.substr(i + 2));
            return result;
        }
    }
    result.append(pattern);
    return result;
}

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One or more hexadecimal digits running to the end, value within 32 bits,
// taken as a bit pattern.
std::optional<std::int32_t> ParseHexDigits(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// An optional sign and one or more decimal digits running to the end,
// within the 32-bit signed range.
std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace

std::optional<std::int32_t> ParseInt(std::string_view text) {
    if (std::int32_t value = 0; ReadShortDecimal(text, value)) return value;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    const char first = text.front();
    if (first == '$' || first == 'x' || first == 'X') return ParseHexDigits(text.substr(1));
    if (first == '0' && text.size() >= 2 && (text[1] == 'x' || text[1] == 'X'))
        return ParseHexDigits(text.substr(2));
    return ParseDecimal(text);
}

std::int32_t ParseIntDefaultSlow(std::string_view text, std::int32_t fallback) {
    return ParseInt(text).value_or(fallback);
}

std::string DecimalText(std::int32_t value) {
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;  // eleven characters always fit
    return std::string(buffer, end);
}

std::filesystem::path ApplicationDirectory() {
    std::error_code ec;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path directory =
        ec ? std::filesystem::current_path() : executable.parent_path();
    // Appending an empty element leaves the trailing separator.
    return directory / "";
}

std::string PathText(const std::filesystem::path& path) { return path.string(); }

namespace {

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

int OpenCheckedFile(const std::filesystem::path& path, std::uint64_t limit, Links links, FileRead& result,
                    std::uint64_t& size) {
    size = 0;
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
    int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            result = FileRead::Missing;
        } else if (errno == ELOOP && links == Links::Refuse) {
            result = FileRead::Link;
        } else {
            // A folder opens for reading; anything else that cannot be opened is unreadable.
            result = errno == EISDIR ? FileRead::NotRegular : FileRead::Unreadable;
        }
        return -1;
    }
    struct stat status {};
    result = FileRead::Read;
    if (::fstat(fd, &status) != 0)
        result = FileRead::Unreadable;
    else if (!S_ISREG(status.st_mode))
        result = FileRead::NotRegular;
    else if (static_cast<std::uint64_t>(status.st_size) > limit)
        result = FileRead::TooLarge;
    if (result != FileRead::Read) {
        ::close(fd);
        return -1;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    return fd;
}

FileRead ReadFileBytes(const std::filesystem::path& path, std::string& bytes, std::uint64_t limit, Links links) {
    bytes.clear();
    FileRead result = FileRead::Read;
    std::uint64_t size = 0;
    FileDescriptor file(OpenCheckedFile(path, limit, links, result, size));
    if (file.Get() < 0) return result;

    // The size is a hint only: a file may grow or shrink while it is read,
    // and some (those of /proc) say 0. Reading stops one byte past the limit.
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) + 1 : 4096);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) {
                bytes.clear();
                return FileRead::TooLarge;
            }
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() * 2, limit + 1)));
        }
        const ssize_t got = ::read(file.Get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return FileRead::Unreadable;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > limit) {
        bytes.clear();
        return FileRead::TooLarge;
    }
    bytes.resize(used);
    return FileRead::Read;
}

std::string FileReadMessage(FileRead result, const std::filesystem::path& path, std::uint64_t limit) {
    std::string message = FormatMessage("ファイル %s は開けません", PathText(path));
    switch (result) {
        case FileRead::NotRegular: return message + " (通常のファイルではありません)";
        case FileRead::TooLarge: return message + " (" + std::to_string(limit / MiB) + " MiB を超えています)";
        case FileRead::Link: return message + " (シンボリックリンクです)";
        case FileRead::Read:
        case FileRead::Missing:
        case FileRead::Unreadable: break;
    }
    return message;
}

std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit) {
    std::string bytes;
    const FileRead result = ReadFileBytes(path, bytes, limit);
    if (result != FileRead::Read) throw KrError(FileReadMessage(result, path, limit));
    return bytes;
}

FileBlocks::FileBlocks(const std::filesystem::path& path, std::size_t blockSize, std::size_t room,
                       std::uint64_t limit)
    : path_(path), limit_(limit), blockSize_(blockSize), room_(room) {
    FileRead result = FileRead::Read;
    std::uint64_t size = 0;
    fd_ = OpenCheckedFile(path, limit, Links::Follow, result, size);
    if (fd_ < 0) throw KrError(FileReadMessage(result, path, limit));
    sizeHint_ = static_cast<std::size_t>(size);
    // A small file gets a buffer of its own size, one byte more to see its end.
    blockSize_ = std::max<std::size_t>(1, std::min(blockSize_, sizeHint_ + 1));
}

FileBlocks::~FileBlocks() { ::close(fd_); }

bool FileBlocks::ReadMore(std::size_t unused) {
    // The buffer grows when the unused bytes (one long line) leave no more
    // than half a block to read into.
    if (buffer_ == nullptr || unused + blockSize_ / 2 + 1 + room_ > capacity_) {
        const std::size_t capacity = std::max(capacity_ * 2, unused + blockSize_ + room_);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (unused != 0) std::memcpy(grown.get(), buffer_.get() + size_ - unused, unused);
        buffer_ = std::move(grown);
        capacity_ = capacity;
    } else if (unused != 0) {
        std::memmove(buffer_.get(), buffer_.get() + size_ - unused, unused);
    }
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer_.get() + unused, capacity_ - room_ - unused);
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw KrError(FileReadMessage(FileRead::Unreadable, path_, limit_));
    // A file that grows while it is read is held to the same limit.
    read_ += static_cast<std::uint64_t>(got);
    if (read_ > limit_) throw KrError(FileReadMessage(FileRead::TooLarge, path_, limit_));
    size_ = unused + static_cast<std::size_t>(got);
    std::memset(buffer_.get() + size_, 0, room_);
    return got > 0;
}

}  // namespace kr
