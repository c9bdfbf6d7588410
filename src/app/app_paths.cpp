#include "app/app_paths.h"

#include <unistd.h>

#include <cstdlib>

namespace qsp {

std::filesystem::path ExecutableDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path();
    return exe.parent_path();
}

std::filesystem::path SettingsDirFor(const std::filesystem::path& exeDir) {
    if (::access(exeDir.c_str(), W_OK) == 0) return exeDir;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    const auto dir = base / "qsp";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path PictureDirFor(const std::filesystem::path& exeDir) {
    std::error_code ec;
    if (std::filesystem::is_directory(exeDir / "Picture", ec)) return exeDir / "Picture";
    return exeDir.parent_path() / "share" / "qsp" / "Picture";
}

}  // namespace qsp
