#include "catalogue/value_texts.h"

#include <initializer_list>
#include <utility>

namespace qsp {

namespace {

using Entry = std::pair<unsigned, const char*>;

// The text of `code` in a code table, or `other` when the table has none.
std::string TextOf(unsigned code, std::initializer_list<Entry> table, const char* other = "Null") {
    for (const auto& [c, text] : table) {
        if (c == code) return text;
    }
    return other;
}

}  // namespace

std::string BitWords(int kind, bool set) {
    switch (kind) {
        case 0:
            return set ? "On" : "Off";
        case 1:
            return set ? "send CD" : "not send CD";
        case 2:
            return set ? "send" : "not send";
        case 3:
            return set ? "Enable" : "Disable";
        default:
            return "";
    }
}

std::string ComputerTypeText(unsigned code) {
    return TextOf(code, {{0, "PC - AT"}, {1, "Notebook PC"}});
}

std::string InterfaceTypeText(unsigned code) {
    return TextOf(code, {{0, "Keyboard"},
                         {1, "RS232"},
                         {2, "WAND"},
                         {3, "USB(Cable)"},
                         {4, "Virtual COM"},
                         {5, "USB(HID)"}});
}

std::string ReadingModeText(unsigned code) {
    return TextOf(code, {{1, "Flash Mode"},
                         {2, "Trigger Mode"},
                         {3, "Toggle Mode"},
                         {4, "Test Mode"},
                         {5, "Continuous Mode"},
                         {6, "Continuous Auto Off Mode"},
                         {7, "Auto Sensing Mode(CCD)"},
                         {10, "Auto Sensing Mode(Laser)"}});
}

std::string TerminatorText(unsigned code) {
    return TextOf(
        code,
        {{0, "None"}, {1, "LF"}, {2, "CR"}, {3, "CR + LF"}, {4, "TAB"}, {5, "SPACE"}, {6, "ESC"}});
}

std::string CodeIdModeText(unsigned code) {
    return TextOf(
        code, {{0, "Disable Code ID"}, {1, "Factory ID On"}, {2, "AIM ID On"}, {3, "Set ID On"}});
}

std::string BeepToneText(unsigned code) {
    return TextOf(code, {{0, "Beep Off"},
                         {1, "(2K Hz)Beep Medium"},
                         {2, "(2K Hz)Beep High"},
                         {3, "(2K Hz)Beep Low-High"},
                         {4, "(2K Hz)Beep High-Low"},
                         {5, "(2K Hz)Beep Low"},
                         {6, "(2.7K Hz)Beep Medium"},
                         {7, "(2.7K Hz)Beep High"},
                         {8, "(2.7K Hz)Beep Low-High"},
                         {9, "(2.7K Hz)Beep High-Low"},
                         {10, "(2.7K Hz)Beep Low"}});
}

std::string InterblockDelayText(unsigned code) {
    return TextOf(
        code,
        {{0, "0 ms"}, {1, "10 ms"}, {2, "50 ms"}, {3, "100 ms"}, {4, "200 ms"}, {5, "500 ms"}});
}

std::string IntercharacterDelayText(unsigned code) {
    return TextOf(code, {{0, "140 us"}, {1, "500 us"}, {2, "1 ms"}, {3, "4 ms"}, {4, "16 ms"}});
}

std::string KeyboardLayoutText(unsigned code) {
    return TextOf(code, {{0, "English (USA)"},
                         {1, "Universal Code"},
                         {2, "German"},
                         {3, "French"},
                         {4, "Spanish"},
                         {5, "Italian"},
                         {6, "Swiss"},
                         {7, "Czech (Qwerty)"},
                         {8, "English (UK)"},
                         {9, "Japanese(For 106 Key)"},
                         {10, "Hungary"},
                         {11, "Czech"}});
}

std::string BaudRateText(unsigned code) {
    return TextOf(code, {{1, "300 bps"},
                         {2, "600 bps"},
                         {3, "1200 bps"},
                         {4, "2400 bps"},
                         {5, "4800 bps"},
                         {6, "9600 bps"},
                         {7, "19200 bps"},
                         {22, "38400 bps"}});
}

std::string HandshakingText(unsigned code) {
    return TextOf(code, {{0, "None"}, {1, "at Power up"}, {2, "in Communication"}});
}

std::string DataLengthText(unsigned value) {
    return TextOf(value, {{2, "7 bits"}, {3, "8 bits"}}, "");
}

std::string DataParityText(unsigned value, unsigned dataLength) {
    if (value == 4) return DataLengthText(dataLength) == "7 bits" ? "Even" : "None";
    return TextOf(value, {{0, "Even"}, {1, "Odd"}, {2, "Space"}, {3, "Mark"}}, "");
}

std::string StopBitsText(unsigned value) {
    return TextOf(value, {{0, "1 stop bit"}, {2, "2 stop bits"}}, "");
}

std::string TimeoutText(unsigned value) {
    return TextOf(value, {{0, "1 sec"}, {1, "3 sec"}, {2, "10 sec"}, {3, "Unlimited"}}, "");
}

std::string CapitalLockText(unsigned value) {
    return TextOf(value, {{0, "Off"}, {1, "On"}, {2, "Auto"}}, "");
}

std::string LabelTypeText(unsigned value) {
    return value ? "Positive & Negative" : "Positive";
}

std::string WandMinimumWidthText(unsigned value) {
    return value ? "600us" : "200us";
}

std::string WandIdlePolarityText(unsigned value) {
    return value ? "High" : "Low";
}

std::string WandOutputText(unsigned value) {
    return value ? "Bar Low & Space High" : "Bar High & Space Low";
}

std::string WandWaveFormText(unsigned value) {
    return value ? "Full ASCII Code 39" : "Pen Type";
}

std::string CodabarStartStopText(unsigned value) {
    return TextOf(value,
                  {{0, "ABCD / ABCD"}, {1, "abcd / abcd"}, {2, "ABCD / TN*E"}, {3, "abcd / tn*e"}},
                  "");
}

// Bit 3 turns the suppression on; bit 4 then picks the first digit rather than the last.
std::string DigitSuppressionText(unsigned value) {
    if ((value & 1) == 0) return "No digit suppressed";
    return (value & 2) ? "First" : "Last";
}

std::string Code11CheckDigitsText(unsigned value) {
    return value ? "1 digit" : "2 digits";
}

// Bit 4 selects mod11 plus mod10 whatever bit 3 holds; otherwise bit 3 picks single or double.
std::string MsiCheckDigitText(unsigned value) {
    if (value & 2) return "mod11 plus mod10";
    return (value & 1) ? "double" : "single";
}

std::string TelepenOutputText(unsigned value) {
    return value ? "ASCII" : "Number";
}

std::string FormatSwitchText(unsigned value) {
    return TextOf(value, {{0, "Format All Off"},
                          {1, "Format 1 On , 2 / 3 Off"},
                          {2, "Format 2 On , 1 / 3 Off"},
                          {4, "Format 3 On , 1 / 2 Off"}});
}

const std::array<const char*, kCodeTypeCount>& CodeTypeNames() {
    static constexpr std::array<const char*, kCodeTypeCount> kNames = {
        "UPCA,",
        "Code 32,",
        "RSS limited,",
        "Full Code39,",
        "UPCE,",
        "EAN13,",
        "RSS 14,",
        "Toshiba,",
        "Interleaved 2/5,",
        "Code 11,",
        "Code 128,",
        "Code 93,",
        "Code 39,",
        "Codabar,",
        "MSI\xE2\x80\x93Plessey,",  // en dash
        "UK\xE2\x80\x93Plessey,",   // en dash
        "RSS Expand,",
        "IATA,",
        "EAN 8,",
        "EAN 128,",
        "Telepen,",
        "Industial 2/5,",
    };
    return kNames;
}

std::string CodeTypeText(const ImageBytes& image, std::size_t index) {
    if (!InImage(index + 2)) return "";
    std::string text;
    for (std::size_t n = 0; n < kCodeTypeCount; ++n) {
        if (image[index + n / 8] & (1u << (n % 8))) text += CodeTypeNames()[n];
    }
    return text;
}

std::string OutputSequenceText(std::uint8_t entry) {
    switch (entry) {
        case '1':
        case '2':
        case '3':
            return std::string("Block ") + static_cast<char>(entry);
        case '4':
        case '5':
        case '6':
        case '7':
        case '8':
            return std::string("Additional ") + static_cast<char>(entry - 3);
        default:
            return "Null";
    }
}

}  // namespace qsp
