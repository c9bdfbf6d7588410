#include "update/update_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/app_state.h"

namespace qsp {

std::string UpdateFileName(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool HasKtxPrefix(const std::string& path) {
    if (path.size() > kLongestUpdatePath) return false;
    const std::string name = UpdateFileName(path);
    return name.size() > 3 && name.compare(0, 3, "KTX") == 0;
}

bool CheckUpdateFile(const std::string& path, int mode) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
    if (path.size() < 5) return false;
    if (path[path.size() - 4] != '.' || path.compare(path.size() - 3, 3, "bin") != 0) return false;
    // The name scan runs in both modes; a path too long for it fails the check either way.
    if (path.size() > kLongestUpdatePath) return false;
    const bool prefix = HasKtxPrefix(path);
    return prefix || mode != kCheckKtx;
}

bool LoadUpdateImage(const std::string& path, std::vector<std::uint8_t>& image) {
    image.assign(kUpdateImageSize, 0);
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::size_t count = 0;
    char c = 0;
    while (in.get(c)) {
        if (count >= image.size()) {
            std::fill(image.begin(), image.end(), 0);
            return false;
        }
        image[count++] = static_cast<std::uint8_t>(c);
    }
    if (in.bad()) return false;
    image[kKtxMarkerIndex] = kKtxMarker;
    return true;
}

}  // namespace qsp
