// Shared routines of the whole program: the one integer rule, the application
// directory, and the one error type that every core routine raises.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kr {

// The error every core routine raises. Its message is display text (UTF-8);
// the window layer shows it in the application's error box.
class KrError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Replaces the first "%s" (or "%d") of a message pattern with the given text.
std::string FormatMessage(std::string_view pattern, std::string_view argument);

// The integer rule: leading ASCII spaces, then an optional sign and decimal
// digits (within 32-bit signed range), or a hexadecimal form introduced by
// "$", "x", "X", "0x" or "0X" whose value fits in 32 bits (taken as a bit
// pattern). The digits must run to the end of the text. Nothing else parses.
std::optional<std::int32_t> ParseInt(std::string_view text);

// Most texts are a few decimal digits, perhaps after a minus sign; nine
// digits cannot leave the 32-bit range, so these are read straight away.
// False for every other text, which the general forms decide.
inline bool ReadShortDecimal(std::string_view text, std::int32_t& value) {
    const std::size_t sign = !text.empty() && text.front() == '-' ? 1 : 0;
    const std::size_t digits = text.size() - sign;
    if (digits < 1 || digits > 9) return false;
    std::int32_t magnitude = 0;
    for (std::size_t i = sign; i < text.size(); ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (digit > 9) return false;
        magnitude = magnitude * 10 + static_cast<std::int32_t>(digit);
    }
    value = sign ? -magnitude : magnitude;
    return true;
}

// ParseIntDefault beyond the short decimal form.
std::int32_t ParseIntDefaultSlow(std::string_view text, std::int32_t fallback);

// Catalogs read a dozen numbers a line: the short form is read inline.
inline std::int32_t ParseIntDefault(std::string_view text, std::int32_t fallback) {
    if (std::int32_t value = 0; ReadShortDecimal(text, value)) return value;
    return ParseIntDefaultSlow(text, fallback);
}

// Decimal text of a 32-bit signed integer: "-" for negatives, no grouping.
std::string DecimalText(std::int32_t value);

// Addition with the 32-bit wrap-around the game's figures have always had.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// The directory of the running executable, ending with the path separator.
// A portable program keeps its catalogs and settings there; an installed one
// finds them from it and from the XDG folders (app/data_folders.h).
std::filesystem::path ApplicationDirectory();

// Display form of a path inside a message (UTF-8 on this platform).
std::string PathText(const std::filesystem::path& path);

// Blanks of the data files: the control characters and the ASCII space
// (bytes 1 to 32).
constexpr bool IsBlankByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// Files the program reads must be regular files no larger than a limit no
// real file of their kind reaches; anything else (a folder, a FIFO, a
// device, a file of gigabytes) is refused before a byte is read, and a FIFO
// or a device never blocks the open.
constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t UnitFileSizeLimit = 64 * MiB;   // unit files, recovery files, KRMAKE.INI
constexpr std::uint64_t CatalogFileSizeLimit = 256 * MiB;

// How a read ended. A path naming nothing is Missing; a file that is there
// but cannot be read (no permission) is Unreadable; NotRegular and TooLarge
// are the refusals above; Link is a symbolic link where none is followed.
enum class FileRead { Read, Missing, Unreadable, NotRegular, TooLarge, Link };
enum class Links { Follow, Refuse };

// Opens a file for reading under those rules: a descriptor of a regular
// file, or -1 with `result` saying why not. `size` is its size when opened.
int OpenCheckedFile(const std::filesystem::path& path, std::uint64_t limit, Links links, FileRead& result,
                    std::uint64_t& size);

// Reads a whole file as bytes under those rules.
FileRead ReadFileBytes(const std::filesystem::path& path, std::string& bytes,
                       std::uint64_t limit = UnitFileSizeLimit, Links links = Links::Follow);
// The message that tells why a read of the file failed: "ファイル %s は開けません",
// with the reason of a refusal after it ("(通常のファイルではありません)", ...).
std::string FileReadMessage(FileRead result, const std::filesystem::path& path, std::uint64_t limit);
// The whole file; throws KrError with FileReadMessage when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path, std::uint64_t limit = UnitFileSizeLimit);

// Reading a file in blocks into one buffer that is used again and again, so
// that a large file costs no more memory than a block: what the reader has
// not used of one block comes again at the front of the next.
class FileBlocks {
public:
    // Throws KrError (FileReadMessage) when the file cannot be read or is
    // refused, also when it outgrows `limit` while it is read.
    // `room`: bytes after the data that may always be read (not written).
    FileBlocks(const std::filesystem::path& path, std::size_t blockSize, std::size_t room,
               std::uint64_t limit = CatalogFileSizeLimit);
    ~FileBlocks();
    FileBlocks(const FileBlocks&) = delete;
    FileBlocks& operator=(const FileBlocks&) = delete;

    // The file's size when it was opened: a hint, as a file may change while
    // it is read.
    std::size_t SizeHint() const { return sizeHint_; }
    // Keeps the last `unused` bytes of the data, moved to its front, and reads
    // on after them; false at the end of the file, where the data is those
    // bytes alone.
    // Throws KrError (FileReadMessage) when a read fails.
    bool ReadMore(std::size_t unused);
    char* Data() const { return buffer_.get(); }
    std::size_t Size() const { return size_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::size_t sizeHint_ = 0;
    std::uint64_t limit_;
    std::uint64_t read_ = 0;
    std::size_t blockSize_;
    std::size_t room_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

}  // namespace kr
