#pragma once
// HW_Path.int: the fourteen settings that survive a restart, one per line.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qsp {

struct AppSettings {
    std::string UpdateFilesPath;  // line 1
    std::string InterfaceIndex;   // line 2: "0" RS-232, "1" USB, "2" PS/2 (a leading blank is fine)
    std::string CommPort;         // line 3
    std::string ParamFilePath;    // line 4
    std::int32_t Rs232Delay = 0;  // line 5
    std::string UsbDelay;         // line 6
    std::string Ps2Delay;         // line 7
    std::string BaudRate;         // line 8
    std::string DataParity;       // line 9
    std::string DataLength;       // line 10
    std::string StopBits;         // line 11
    bool Automation = false;      // line 12
    bool TestCount = false;       // line 13
    std::string TextFilePath;     // line 14
};

inline constexpr const char* kSettingsFileName = "HW_Path.int";
inline constexpr int kSettingsLineCount = 14;

// Host links by interface number.
enum Interface : int { kRs232 = 0, kUsb = 1, kPs2 = 2 };

// Reads the file's text into settings and applies the defaults. Lines end at CR LF (a lone CR or
// LF is accepted too); lines after the fourteenth are ignored. An interface line whose number is
// not 0, 1 or 2 becomes "0" (RS-232).
AppSettings ParseSettings(std::string_view text);

// The fourteen lines, each ending in CR LF.
std::string FormatSettings(const AppSettings& settings);

// Reads HW_Path.int from `folder`, creating an empty one when there is none (so a missing file
// gives all defaults).
AppSettings LoadSettingsFile(const std::filesystem::path& folder);

// Writes HW_Path.int into `folder` atomically. False when it cannot be written.
bool SaveSettingsFile(const std::filesystem::path& folder, const AppSettings& settings);

// The interface number the settings name; anything other than 0, 1 or 2 means RS-232.
int InterfaceNumber(const AppSettings& settings);

// "COM 1 , 9600 , None , 8 bits , 1 bit": the serial settings in use, as the main window shows them.
std::string LinkLabelText(const AppSettings& settings);

}  // namespace qsp
