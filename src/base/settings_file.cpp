#include "base/settings_file.h"

#include <fstream>
#include <vector>

#include "base/file_io.h"
#include "base/text_number.h"

namespace qsp {
namespace {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace

AppSettings ParseSettings(std::string_view text) {
    AppSettings s;
    const std::vector<std::string> lines = SplitLines(text);
    const std::size_t count = lines.size();
    auto line = [&](std::size_t n) -> const std::string& {
        static const std::string empty;
        return n <= count ? lines[n - 1] : empty;
    };
    s.UpdateFilesPath = line(1);
    s.InterfaceIndex = line(2);
    s.CommPort = line(3);
    s.ParamFilePath = line(4);
    s.Rs232Delay = RoundHalfEven(NumericValue(line(5)));
    s.UsbDelay = line(6);
    s.Ps2Delay = line(7);
    s.BaudRate = line(8);
    s.DataParity = line(9);
    s.DataLength = line(10);
    s.StopBits = line(11);
    s.Automation = count >= 12 && NumericValue(line(12)) > 0;
    s.TestCount = count >= 13 && NumericValue(line(13)) > 0;
    s.TextFilePath = line(14);

    // The defaults, in this order.
    if (count < 12) s.TestCount = true;
    if (count == 0) s.UpdateFilesPath = "C:\\";
    if (s.InterfaceIndex.empty()) s.InterfaceIndex = "0";
    // A link number other than 0, 1 or 2 means RS-232.
    if (const double link = NumericValue(s.InterfaceIndex); link != 1 && link != 2 && link != 0) {
        s.InterfaceIndex = "0";
    }
    if (NumericValue(s.CommPort) < 1) s.CommPort = "1";
    if (s.Rs232Delay == 0) s.Rs232Delay = 200;
    if (NumericValue(s.UsbDelay) == 0) s.UsbDelay = "6";
    if (NumericValue(s.Ps2Delay) == 0) s.Ps2Delay = "12";
    if (s.BaudRate.empty()) s.BaudRate = "9600";
    if (s.DataParity.empty()) s.DataParity = "None";
    if (s.DataLength.empty()) s.DataLength = "8 bits";
    if (s.StopBits.empty()) s.StopBits = "1 bit";
    return s;
}

std::string FormatSettings(const AppSettings& s) {
    const std::string fields[kSettingsLineCount] = {
        s.UpdateFilesPath,
        s.InterfaceIndex,
        s.CommPort,
        s.ParamFilePath,
        NumberText(s.Rs232Delay),
        s.UsbDelay,
        s.Ps2Delay,
        s.BaudRate,
        s.DataParity,
        s.DataLength,
        s.StopBits,
        s.Automation ? "1" : "0",
        s.TestCount ? "1" : "0",
        s.TextFilePath,
    };
    std::string out;
    for (const std::string& f : fields) {
        out += f;
        out += "\r\n";
    }
    return out;
}

AppSettings LoadSettingsFile(const std::filesystem::path& folder) {
    const auto path = folder / kSettingsFileName;
    {
        // Like opening for appending: creates an empty file, leaves an existing one alone.
        std::ofstream touch(path, std::ios::app | std::ios::binary);
    }
    return ParseSettings(ReadWholeFile(path).value_or(std::string{}));
}

bool SaveSettingsFile(const std::filesystem::path& folder, const AppSettings& settings) {
    return WriteFileAtomically(folder / kSettingsFileName, FormatSettings(settings));
}

int InterfaceNumber(const AppSettings& settings) {
    const double v = NumericValue(settings.InterfaceIndex);
    if (v == 1.0) return kUsb;
    if (v == 2.0) return kPs2;
    return kRs232;
}

std::string LinkLabelText(const AppSettings& s) {
    return "COM " + s.CommPort + " , " + s.BaudRate + " , " + s.DataParity + " , " + s.DataLength +
           " , " + s.StopBits;
}

}  // namespace qsp
