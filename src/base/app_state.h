#pragma once
// The program-wide records. One AppState is made in main (or by each test) and passed by
// reference to everything that reads or changes them.

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/param_records.h"
#include "base/settings_file.h"

namespace qsp {

inline constexpr std::size_t kRxBufferSize = 516;
inline constexpr std::size_t kUpdateImageSize = 65537;
inline constexpr std::size_t kScratchSize = 17;

// Firmware update types.
enum UpdateKind : int { kUpdateKtx = 0, kUpdateYmodem = 1 };

struct AppState {
    AppSettings Settings;
    ImageBytes ParamImage{};
    std::array<std::uint8_t, kRxBufferSize> RxBuffer{};
    std::int32_t RxCount = 0;
    std::vector<std::uint8_t> UpdateImage = std::vector<std::uint8_t>(kUpdateImageSize, 0);
    EditDescriptor Edit;
    std::array<std::uint8_t, kScratchSize> Scratch{};
    int CurrentPage = 0;
    bool ProgrammedFlag = false;
    int UpdateType = kUpdateKtx;
    bool UpdateConfirmed = false;
    bool SecondInstance = false;

    // Folder of HW_Path.int and of the ports/ device map.
    std::filesystem::path SettingsDir;

    // Zeroes the update image, the parameter image and the serial receive buffer.
    void ClearWorkBuffers() {
        std::fill(UpdateImage.begin(), UpdateImage.end(), 0);
        ParamImage.fill(0);
        RxBuffer.fill(0);
        RxCount = 0;
    }
};

}  // namespace qsp
