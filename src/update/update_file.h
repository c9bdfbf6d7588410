#pragma once
// The update file: which paths are accepted for each update type, and loading a KTX-type file
// into the 64 KB program image.
//
// Paths carried over from Windows separate folders with '\', paths of this system with '/'; the
// file name is the text after the last of either.

#include <cstdint>
#include <string>
#include <vector>

namespace qsp {

// Which rules CheckUpdateFile applies.
enum UpdateCheckMode : int { kCheckKtx = 1, kCheckYmodem = 2 };

// The longest path the name scan can count (its counter is one byte).
inline constexpr std::size_t kLongestUpdatePath = 254;

// Where a loaded KTX-type image always holds the marker byte.
inline constexpr std::size_t kKtxMarkerIndex = 0xFFBF;
inline constexpr std::uint8_t kKtxMarker = 0xFC;

// The text after the last '/' or '\' of `path` (the whole path when it has neither).
std::string UpdateFileName(const std::string& path);

// True when the file name is longer than 3 characters and starts with "KTX" (case-sensitive).
// A path longer than kLongestUpdatePath is refused.
bool HasKtxPrefix(const std::string& path);

// The file exists, the path has at least 5 characters and ends in ".bin" (exactly), the path is
// not too long for the name scan, and in KTX mode the file name starts with "KTX".
bool CheckUpdateFile(const std::string& path, int mode);

// Clears `image` (65,537 bytes) and reads the file into it from index 0, then plants the marker
// at 0xFFBF. False, without the marker, when the file cannot be read or is longer than the image.
bool LoadUpdateImage(const std::string& path, std::vector<std::uint8_t>& image);

}  // namespace qsp
