#include "base/app_paths.h"

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
    // An installed program (its pictures under share/) keeps its settings per user, even when
    // root could write into the program's folder.
    std::error_code ec;
    const bool installed =
        !std::filesystem::is_directory(exeDir / "Picture", ec) &&
        std::filesystem::is_directory(exeDir.parent_path() / "share" / "qsp", ec);
    if (!installed && ::access(exeDir.c_str(), W_OK) == 0) return exeDir;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    const auto dir = base / "qsp";
    std::filesystem::create_directories(dir, ec);
    return dir;
}

std::filesystem::path PictureDirFor(const std::filesystem::path& exeDir) {
    std::error_code ec;
    if (std::filesystem::is_directory(exeDir / "Picture", ec)) return exeDir / "Picture";
    return exeDir.parent_path() / "share" / "qsp" / "Picture";
}

}  // namespace qsp
