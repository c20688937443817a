// Helpers shared by the fuzz targets: taking typed values off the front of
// the input, and a check that aborts with a message (so libFuzzer and the
// corpus replay both report a broken property as a crash).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace fuzzkit {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzzkit::Fail(#condition, __FILE__, __LINE__))

// Reads the input from the front; past the end every value is zero or empty.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return bytes_.empty(); }
    std::string_view Rest() {
        std::string_view rest = bytes_;
        bytes_ = {};
        return rest;
    }
    std::uint8_t Byte() {
        if (bytes_.empty()) return 0;
        const auto byte = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return byte;
    }
    std::int32_t Int32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
        return static_cast<std::int32_t>(value);
    }
    // A text of up to `limit` bytes, its length given by one byte first.
    std::string_view Text(std::size_t limit = 255) {
        std::size_t length = Byte();
        if (length > limit) length %= limit + 1;
        if (length > bytes_.size()) length = bytes_.size();
        std::string_view text = bytes_.substr(0, length);
        bytes_.remove_prefix(length);
        return text;
    }
    // The input up to the next occurrence of `separator` (or to its end).
    std::string_view Until(std::string_view separator) {
        const std::size_t at = bytes_.find(separator);
        std::string_view part = bytes_.substr(0, at);
        bytes_.remove_prefix(at == std::string_view::npos ? bytes_.size() : at + separator.size());
        return part;
    }

private:
    std::string_view bytes_;
};

// A folder for the target's files, in memory where the system offers one,
// made once per process and removed at its end.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "krfuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(ScratchFolder()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool IsBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

}  // namespace fuzzkit
