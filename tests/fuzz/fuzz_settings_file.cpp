// HW_Path.int as the program reads it at start: any text gives usable settings, and what the
// program writes at exit reads back as the same settings.

#include <cstdint>
#include <string_view>

#include "base/settings_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const qsp::AppSettings s = qsp::ParseSettings(text);

    // The link is always one of the three, and the main window can label it.
    const int link = qsp::InterfaceNumber(s);
    FUZZ_CHECK(link == qsp::kRs232 || link == qsp::kUsb || link == qsp::kPs2);
    FUZZ_CHECK(s.Rs232Delay != 0);
    FUZZ_CHECK(!s.CommPort.empty() && !s.BaudRate.empty() && !s.DataParity.empty() &&
               !s.DataLength.empty() && !s.StopBits.empty());
    (void)qsp::LinkLabelText(s);

    // Saved and read again at the next start, the settings stay as they were.
    const std::string saved = qsp::FormatSettings(s);
    const qsp::AppSettings again = qsp::ParseSettings(saved);
    FUZZ_CHECK(qsp::FormatSettings(again) == saved);
    FUZZ_CHECK(qsp::InterfaceNumber(again) == link);
    FUZZ_CHECK(again.Rs232Delay == s.Rs232Delay);
    FUZZ_CHECK(again.Automation == s.Automation && again.TestCount == s.TestCount);
    return 0;
}
