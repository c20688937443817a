// The profile-file store: files of named sections holding key=value entries,
// used for the settings file and for unit files. Text is CP932 bytes and is
// never converted. Section and key names match regardless of the case of
// ASCII letters. Every write replaces the file atomically.
#pragma once

#include "Pub1.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kr {

using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

// The bytes no section, key or value may hold: they would break or end its line.
inline constexpr std::string_view LineBreakingBytes("\r\n\0", 3);
// A value read back is cut to this many bytes.
inline constexpr std::size_t MaxProfileValueLength = 2047;

// The content of a profile file held in memory, with the store's reading and
// writing rules. Lines that an operation does not touch keep their bytes.
class ProfileDocument {
public:
    // Thrown by a write whose section, key or value holds a CR, LF or NUL
    // byte, which would change the file's lines; the document stays as it was.
    struct RefusedText : std::exception {
        const char* what() const noexcept override;
    };

    ProfileDocument();
    explicit ProfileDocument(std::string_view bytes);

    std::string ReadText(std::string_view section, std::string_view key, std::string_view fallback) const;
    std::int32_t ReadNumber(std::string_view section, std::string_view key, std::int32_t fallback) const;
    ProfileEntries ReadEntries(std::string_view section) const;

    void WriteText(std::string_view section, std::string_view key, std::string_view value);
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
    void DeleteSection(std::string_view section);
    // The same as DeleteSection, then WriteText of each entry in order, in
    // time linear in the size of the document.
    void ReplaceSection(std::string_view section, const ProfileEntries& entries);

    std::string Bytes() const;

private:
    // A line written by an operation, kept for the document's life.
    std::string_view Own(std::string line);
    // Gives the last line a line break, so that a line can follow it.
    void EndLastLine();

    // The lines, each with its own line break, if it had one: views into the
    // bytes the document was read from or into the lines written since.
    // Neither store changes what it holds, so copies share them.
    std::shared_ptr<const std::string> source_;
    std::shared_ptr<std::deque<std::string>> owned_;
    std::vector<std::string_view> lines_;
};

// A store bound to one file path. It keeps nothing between operations: each
// read reads the file, each write reads, changes and atomically replaces it.
class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    std::string ReadText(std::string_view section, std::string_view key, std::string_view fallback) const;
    std::int32_t ReadNumber(std::string_view section, std::string_view key, std::int32_t fallback) const;
    ProfileEntries ReadEntries(std::string_view section) const;

    // Throw KrError "%s に書き込めません" when the file cannot be written; the
    // file is then exactly as it was.
    void WriteText(std::string_view section, std::string_view key, std::string_view value);
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
    void DeleteSection(std::string_view section);

    // The whole file as one document (empty when it does not exist or cannot be read).
    ProfileDocument Load() const;
    // The document a write changes: empty for a missing file; a file that is
    // there but cannot be read throws the write error rather than being
    // replaced by a file holding only the new entries.
    ProfileDocument LoadForWriting() const;
    // Replaces the file with the document's bytes (ReplaceFileContent).
    void Save(const ProfileDocument& document) const;
    // Loads the document for writing, changes it and saves it; a refused
    // text throws the write error and changes nothing.
    void Edit(const std::function<void(ProfileDocument&)>& change) const;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Replaces a file's content. The new bytes go to a temporary file beside the
// target, flushed and renamed over it, so the target holds the old content or
// the new one, whatever happens. A symbolic link is written through: its
// final target is replaced and the link stays. An existing file that the user
// may not write is never replaced; one that the user may write in a folder
// that takes no new file is written in place (not atomic). Throws KrError
// "%s に書き込めません" (with the path as given) on any failure, leaving the
// target as it was, except for a failure in the middle of writing in place.
// With Links::Refuse (the program's own files) a symbolic link at the path
// is neither followed nor replaced: KrError "%s はシンボリックリンクなので書き込みません".
void ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes, Links links = Links::Follow);

}  // namespace kr
