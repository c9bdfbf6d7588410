#include "update_options.h"

#include <fstream>
#include <stdexcept>

namespace qspsim {

bool ParseUpdateFault(const std::string& text, UpdateOptions& options) {
    const auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : text.substr(eq + 1);
    try {
        if (name == "nak" && !value.empty()) {
            options.nakBlock = std::stoi(value);
            return options.nakBlock >= 0;
        }
        if (name == "corrupt" && value.empty()) return options.corrupt = true;
        if (name == "silent") {
            options.silentFrom = value.empty() ? 0 : std::stoi(value);
            return options.silentFrom >= 0;
        }
        if (name == "split" && value.empty()) return options.split = true;
    } catch (const std::exception&) {
    }
    return false;
}

bool WriteUpdateFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace qspsim
