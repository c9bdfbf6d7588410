#pragma once
// Whether a scanner's device is held by another program (its advisory lock, or a tty in
// exclusive mode): what a failed connect then says.

#include <filesystem>
#include <string>

namespace qsp {

// The device a connect on `port` of `interface` opens, as the settings folder's ports/ leads to
// it; busy when another process holds it. The USB link finds its hidraw node only on opening it
// and is never reported busy here.
bool ScannerDeviceBusy(const std::filesystem::path& settingsDir, int interface,
                       const std::string& port);

}  // namespace qsp
