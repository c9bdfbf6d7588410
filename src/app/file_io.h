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

}  // namespace qsp
