#pragma once
// Whole-file reads and crash-safe writes.

#include <filesystem>
#include <optional>
#include <string>

namespace qsp {

// The file's bytes, or nothing when it cannot be read. Refuses files over `maxBytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = 16u << 20);

// Writes `content` to a temporary file in the same folder and renames it over `path`, so a
// reader (or a crash) never sees a half-written file. False (and `path` untouched) on failure.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& content);

// Keeps the process's current folder and puts it back when it goes out of scope: a file dialog
// may move it.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() { saved_ = std::filesystem::current_path(error_); }
    ~CurrentFolderGuard() {
        if (error_) return;
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
    std::error_code error_;
    std::filesystem::path saved_;
};

}  // namespace qsp
