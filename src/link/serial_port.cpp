#include "link/serial_port.h"

namespace qsp {

std::filesystem::path SerialDevicePath(const std::filesystem::path& settingsDir, int number) {
    const auto link = settingsDir / "ports" / ("COM" + std::to_string(number));
    std::error_code ec;
    if (std::filesystem::is_symlink(link, ec)) {
        auto target = std::filesystem::read_symlink(link, ec);
        if (!ec) return target.is_absolute() ? target : (link.parent_path() / target);
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

}  // namespace qsp
