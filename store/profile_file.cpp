#include "profile_file.h"

#include "Pub1.h"
#include "codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kr {

namespace {

constexpr std::string_view LineBreak = "\r\n";

const char* const WriteErrorPattern = "%s に書き込めません";

[[noreturn]] void ThrowWriteError(const std::filesystem::path& path) {
    throw KrError(FormatMessage(WriteErrorPattern, PathText(path)));
}

std::string_view TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlankByte(text[begin])) ++begin;
    return text.substr(begin);
}

std::string_view TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlankByte(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

constexpr char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Section and key names match regardless of the case of ASCII letters. The
// second byte of a double-byte character is compared as it is, so that two
// different kanji never match because their trail bytes look like letters.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Blank, Header, Entry, Other };

struct ParsedLine {
    LineKind Kind = LineKind::Blank;
    std::string_view Name;   // section name of a header, key of an entry
    std::string_view Value;  // value of an entry
};

// What one line of the file is. Blanks at the ends of the line, around the
// key and around "=" are not part of any name or value.
ParsedLine ParseLine(std::string_view line) {
    const std::string_view text = Trim(line);
    if (text.empty()) return {};
    if (text.front() == '[') {
        // The last "]" closes the name: a trail byte of a double-byte
        // character inside the name may itself be "]".
        const std::size_t close = text.rfind(']');
        if (close == 0 || close == std::string_view::npos) return {LineKind::Other, {}, {}};
        return {LineKind::Header, Trim(text.substr(1, close - 1)), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return {LineKind::Other, {}, {}};
    return {LineKind::Entry, TrimRight(text.substr(0, equals)), TrimLeft(text.substr(equals + 1))};
}

bool EndsWithBreak(std::string_view line) { return !line.empty() && line.back() == '\n'; }

std::string EntryLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value).append(LineBreak);
    return line;
}

std::string HeaderLine(std::string_view section) {
    std::string line;
    line.reserve(section.size() + 4);
    line.append("[").append(section).append("]").append(LineBreak);
    return line;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

// ---------------------------------------------------------------------------
// ProfileDocument

ProfileDocument::ProfileDocument() : owned_(std::make_shared<std::deque<std::string>>()) {}

ProfileDocument::ProfileDocument(std::string_view bytes)
    : source_(std::make_shared<const std::string>(bytes)), owned_(std::make_shared<std::deque<std::string>>()) {
    const std::string_view text = *source_;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const void* newline = std::memchr(text.data() + begin, '\n', text.size() - begin);
        const std::size_t end =
            newline == nullptr ? text.size() : static_cast<std::size_t>(static_cast<const char*>(newline) - text.data()) + 1;
        lines_.push_back(text.substr(begin, end - begin));
        begin = end;
    }
}

std::string_view ProfileDocument::Own(std::string line) { return owned_->emplace_back(std::move(line)); }

void ProfileDocument::EndLastLine() {
    if (!lines_.empty() && !EndsWithBreak(lines_.back())) lines_.back() = Own(std::string(lines_.back()) + std::string(LineBreak));
}

std::string ProfileDocument::Bytes() const {
    std::size_t size = 0;
    for (const auto& line : lines_) size += line.size();
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines_) bytes += line;
    return bytes;
}

namespace {

// The header line of the first section of that name, or npos. Lines before
// the first header belong to no section and are never a match.
std::size_t FindHeader(const std::vector<std::string_view>& lines, std::string_view section, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines[i]);
        if (parsed.Kind == LineKind::Header && SameName(parsed.Name, section)) return i;
    }
    return std::string::npos;
}

// One past the last line of the section whose header is at `header`.
std::size_t SectionEnd(const std::vector<std::string_view>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && ParseLine(lines[i]).Kind != LineKind::Header) ++i;
    return i;
}

}  // namespace

std::string ProfileDocument::ReadText(std::string_view section, std::string_view key,
                                      std::string_view fallback) const {
    const std::size_t header = FindHeader(lines_, section);
    if (header == std::string::npos) return std::string(fallback);
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines_[i]);
        if (parsed.Kind == LineKind::Header) break;
        if (parsed.Kind == LineKind::Entry && SameName(parsed.Name, key))
            return std::string(parsed.Value.substr(0, MaxProfileValueLength));
    }
    return std::string(fallback);
}

std::int32_t ProfileDocument::ReadNumber(std::string_view section, std::string_view key,
                                         std::int32_t fallback) const {
    std::string text = ReadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    return ParseIntDefault(text, fallback);
}

ProfileEntries ProfileDocument::ReadEntries(std::string_view section) const {
    ProfileEntries entries;
    const std::size_t header = FindHeader(lines_, section);
    if (header == std::string::npos) return entries;
    // Every key of the section is enumerated, however many there are: a unit
    // loads back every row its save wrote.
    std::unordered_set<std::string> seen;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines_[i]);
        if (parsed.Kind == LineKind::Header) break;
        if (parsed.Kind != LineKind::Entry) continue;
        // A repeated key reads as its first occurrence, which was handled already.
        if (!seen.insert(UpperAsciiLetters(parsed.Name)).second) continue;
        if (parsed.Value.empty()) continue;
        entries.emplace_back(std::string(parsed.Name), std::string(parsed.Value.substr(0, MaxProfileValueLength)));
    }
    return entries;
}

namespace {

bool BreaksLine(std::string_view text) { return text.find_first_of(LineBreakingBytes) != text.npos; }

void CheckWritable(std::string_view section, std::string_view key, std::string_view value) {
    if (BreaksLine(section) || BreaksLine(key) || BreaksLine(value)) throw ProfileDocument::RefusedText();
}

}  // namespace

const char* ProfileDocument::RefusedText::what() const noexcept { return "a line break or NUL in a profile entry"; }

void ProfileDocument::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    CheckWritable(section, key, value);
    const std::size_t header = FindHeader(lines_, section);
    if (header == std::string::npos) {
        // A new section goes at the end of the file, right after its last line.
        EndLastLine();
        lines_.push_back(Own(HeaderLine(section)));
        lines_.push_back(Own(EntryLine(key, value)));
        return;
    }
    std::size_t last = header;  // the section's last line that is not blank
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        const ParsedLine parsed = ParseLine(lines_[i]);
        if (parsed.Kind == LineKind::Header) break;
        if (parsed.Kind == LineKind::Blank) continue;
        if (parsed.Kind == LineKind::Entry && SameName(parsed.Name, key)) {
            // The key keeps the spelling it has in the file.
            lines_[i] = Own(EntryLine(parsed.Name, value));
            return;
        }
        last = i;
    }
    if (!EndsWithBreak(lines_[last])) lines_[last] = Own(std::string(lines_[last]) + std::string(LineBreak));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), Own(EntryLine(key, value)));
}

void ProfileDocument::WriteNumber(std::string_view section, std::string_view key, std::int32_t value) {
    WriteText(section, key, DecimalText(value));
}

void ProfileDocument::DeleteSection(std::string_view section) {
    // Every section of that name goes, with all its lines up to the next header.
    std::size_t header = FindHeader(lines_, section);
    while (header != std::string::npos) {
        const std::size_t end = SectionEnd(lines_, header);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        header = FindHeader(lines_, section, header);
    }
}

void ProfileDocument::ReplaceSection(std::string_view section, const ProfileEntries& entries) {
    for (const auto& [key, value] : entries) CheckWritable(section, key, value);
    DeleteSection(section);
    if (entries.empty()) return;
    // With the section gone, the first write starts it at the end of the file
    // and each later one either rewrites the line of a key written before or
    // appends after the section's last line, which is then the file's last
    // line. That holds while the header and every entry line read back as
    // such; otherwise the writes go one by one.
    const std::string headerLine = HeaderLine(section);  // the parsed name views it
    const ParsedLine header = ParseLine(headerLine);
    bool plain = header.Kind == LineKind::Header && SameName(header.Name, section);
    for (std::size_t i = 0; plain && i < entries.size(); ++i)
        plain = ParseLine(EntryLine(entries[i].first, entries[i].second)).Kind == LineKind::Entry;
    if (!plain) {
        for (const auto& [key, value] : entries) WriteText(section, key, value);
        return;
    }
    EndLastLine();
    lines_.push_back(Own(HeaderLine(section)));
    // The first line of the section whose key, as it reads back, matches a name.
    std::unordered_map<std::string, std::size_t> lineOfKey;
    for (const auto& [key, value] : entries) {
        const auto found = lineOfKey.find(UpperAsciiLetters(key));
        if (found != lineOfKey.end()) {
            // The key keeps the spelling it has in the file.
            std::string_view& old = lines_[found->second];
            old = Own(EntryLine(ParseLine(old).Name, value));
            continue;
        }
        const std::string_view line = Own(EntryLine(key, value));
        lineOfKey.try_emplace(UpperAsciiLetters(ParseLine(line).Name), lines_.size());
        lines_.push_back(line);
    }
}

// ---------------------------------------------------------------------------
// ProfileFile

ProfileDocument ProfileFile::Load() const {
    std::string bytes;
    if (ReadFileBytes(path_, bytes) != FileRead::Read) return ProfileDocument();
    return ProfileDocument(bytes);
}

ProfileDocument ProfileFile::LoadForWriting() const {
    std::string bytes;
    switch (ReadFileBytes(path_, bytes)) {
        case FileRead::Read: return ProfileDocument(bytes);
        case FileRead::Missing: return ProfileDocument();
        case FileRead::Unreadable:
        case FileRead::NotRegular:
        case FileRead::TooLarge:
        case FileRead::Link: break;
    }
    ThrowWriteError(path_);
}

void ProfileFile::Save(const ProfileDocument& document) const { ReplaceFileContent(path_, document.Bytes()); }

std::string ProfileFile::ReadText(std::string_view section, std::string_view key, std::string_view fallback) const {
    return Load().ReadText(section, key, fallback);
}

std::int32_t ProfileFile::ReadNumber(std::string_view section, std::string_view key, std::int32_t fallback) const {
    return Load().ReadNumber(section, key, fallback);
}

ProfileEntries ProfileFile::ReadEntries(std::string_view section) const { return Load().ReadEntries(section); }

void ProfileFile::Edit(const std::function<void(ProfileDocument&)>& change) const {
    ProfileDocument document = LoadForWriting();
    try {
        change(document);
    } catch (const ProfileDocument::RefusedText&) {
        ThrowWriteError(path_);
    }
    Save(document);
}

void ProfileFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    Edit([&](ProfileDocument& document) { document.WriteText(section, key, value); });
}

void ProfileFile::WriteNumber(std::string_view section, std::string_view key, std::int32_t value) {
    WriteText(section, key, DecimalText(value));
}

void ProfileFile::DeleteSection(std::string_view section) {
    ProfileDocument document = LoadForWriting();
    const std::string before = document.Bytes();
    document.DeleteSection(section);
    // Deleting a section the file does not hold changes nothing, not even
    // whether the file exists.
    if (document.Bytes() == before) return;
    Save(document);
}

// ---------------------------------------------------------------------------

namespace {

// The name of the temporary files a save of `fileName` writes beside it.
std::string TemporaryPrefix(const std::filesystem::path& fileName) {
    std::string prefix = ".";
    prefix += fileName.native();
    prefix += ".krmake-";
    return prefix;
}

// A save killed before its rename leaves its temporary file behind. Those of
// the same target that are an hour old belong to no running save: remove them.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::filesystem::path& fileName) {
    const std::string prefix = TemporaryPrefix(fileName);
    const auto stale = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored) && it->last_write_time(ignored) < stale)
            std::filesystem::remove(it->path(), ignored);
    }
}

// The file a write of `path` changes: the final target of a symbolic link
// (a chain of them too), or the path itself. False for a loop.
bool FinalTarget(const std::filesystem::path& path, std::filesystem::path& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) return true;
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) return false;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return false;
}

// Closes a descriptor on every way out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    bool Close() {
        const int closing = fd;
        fd = -1;
        return ::close(closing) == 0;
    }
};

// Writes over an existing file through `fd`, opened for writing: the new
// bytes from the start, then the file cut to their length (so the blocks of
// the old content are reused before new ones are needed), then flushed.
bool OverwriteInPlace(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

}  // namespace

void ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes, Links links) {
    std::filesystem::path target = path;
    if (links == Links::Refuse) {
        // The program's own files: a link planted there is never written
        // through, nor replaced.
        struct stat status {};
        if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
            throw KrError(FormatMessage("%s はシンボリックリンクなので書き込みません", PathText(path)));
    }
    if (!path.has_filename() || (links == Links::Follow && !FinalTarget(path, target))) ThrowWriteError(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

    // An existing file is replaced only when the user may write it: a file
    // opens for writing (never truncated here) exactly when that is so.
    struct stat status {};
    const bool exists = ::stat(target.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) ThrowWriteError(path);
    Descriptor existing;
    if (exists) {
        if (!S_ISREG(status.st_mode)) ThrowWriteError(path);
        existing.fd = ::open(target.c_str(),
                             O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0));
        if (existing.fd < 0) ThrowWriteError(path);
    }

    // The new content goes to a file of a unique name beside the target, so
    // that the rename that puts it in place stays within one file system.
    std::string temporary = (folder / (TemporaryPrefix(target.filename()) + "XXXXXX")).string();
    Descriptor fresh;
    fresh.fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fresh.fd < 0) {
        // A folder that takes no new file still lets its files be written:
        // the one case that cannot be atomic.
        const bool folderRefuses = errno == EACCES || errno == EPERM;
        if (!exists || !folderRefuses || !OverwriteInPlace(existing.fd, bytes) || !existing.Close())
            ThrowWriteError(path);
        return;
    }

    bool written = false;
    if (exists) {
        // The new file takes the old one's permission bits and, where the
        // system lets us, its owner and group.
        written = ::fchmod(fresh.fd, status.st_mode & 07777) == 0;
        if (written && (status.st_uid != ::geteuid() || status.st_gid != ::getegid()))
            (void)::fchown(fresh.fd, status.st_uid, status.st_gid);
    } else {
        written = ::fchmod(fresh.fd, NewFileMode()) == 0;
    }
    written = written && WriteAll(fresh.fd, bytes) && ::fsync(fresh.fd) == 0;
    written = fresh.Close() && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        ThrowWriteError(path);
    }

    // Make the rename itself durable. The new content is already in place,
    // so a folder that cannot be synced is no failure of the write.
    Descriptor folderFd;
    folderFd.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd.fd >= 0) ::fsync(folderFd.fd);
    RemoveStaleTemporaries(folder, target.filename());
}

}  // namespace kr
