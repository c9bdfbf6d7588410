#pragma once
// Where the program finds its settings, device map, icons and help.

#include <filesystem>

namespace qsp {

// Folder of the running executable.
std::filesystem::path ExecutableDir();

// The folder of HW_Path.int and ports/: the executable's folder when it is writable and not an
// installed program's (one whose pictures are under ../share/qsp), otherwise
// $XDG_CONFIG_HOME/qsp (~/.config/qsp), created when missing.
std::filesystem::path SettingsDirFor(const std::filesystem::path& exeDir);

// The Picture folder (icons and help): beside the executable in the build tree, under
// share/qsp/ when installed.
std::filesystem::path PictureDirFor(const std::filesystem::path& exeDir);

}  // namespace qsp
