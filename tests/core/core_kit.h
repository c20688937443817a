// Helpers shared by the core tests: temporary folders, files of exact bytes,
// and CP932 bytes of UTF-8 literals made with iconv directly (not with the
// program's own codec), so expected bytes never come from the code under test.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace testkit {

// CP932 bytes of a UTF-8 literal.
std::string IconvCp932(std::string_view utf8);

// A fresh empty folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

// Runs a check in a child process whose files may grow to at most
// `sizeLimit` bytes and which, like any user but root, is held by file
// permissions. Returns 0 when the check held, 1 when not, 100 when the child
// could not give up root's rights, -1 when the child did not end normally.
int InRestrictedChild(rlim_t sizeLimit, const std::function<bool()>& check);

// The message of the KrError the action throws, or "" when it throws none.
std::string ErrorOf(const std::function<void()>& action);
// The store's write error for a path.
std::string WriteErrorOf(const std::filesystem::path& path);

// Folder of the catalogs we ship.
std::filesystem::path ShippedData();

}  // namespace testkit
