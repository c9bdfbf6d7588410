#pragma once
// The value texts of enumerations, flag words and multi-bit fields, as the property list, the
// value editor and the listing show them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/param_image.h"

namespace qsp {

// The words of one flag bit: kind 0 "On"/"Off", 1 "send CD"/"not send CD", 2 "send"/"not
// send", 3 "Enable"/"Disable". The first word for a set bit. A kind outside 0..3 gives "".
std::string BitWords(int kind, bool set);

// Whole-byte enumerations ("Null" for a code without a text).
std::string ComputerTypeText(unsigned code);         // index 139
std::string InterfaceTypeText(unsigned code);        // index 140
std::string ReadingModeText(unsigned code);          // index 150
std::string TerminatorText(unsigned code);           // index 141
std::string CodeIdModeText(unsigned code);           // index 104
std::string BeepToneText(unsigned code);             // index 152
std::string InterblockDelayText(unsigned code);      // index 147
std::string IntercharacterDelayText(unsigned code);  // index 148
std::string KeyboardLayoutText(unsigned code);       // index 146
std::string BaudRateText(unsigned code);             // index 142
std::string HandshakingText(unsigned code);          // index 144

// Fields of the serial, keyboard and wand bytes.
std::string DataLengthText(unsigned value);  // 143 bits 1..0; "" for 0 and 1
// 143 bits 4..2. Value 4 is no parity: "None", or "Even" when the data length shows "7 bits".
std::string DataParityText(unsigned value, unsigned dataLength);
std::string StopBitsText(unsigned value);          // 143 bits 6..5; "" for 1 and 3
std::string TimeoutText(unsigned value);           // 145 bits 1..0
std::string CapitalLockText(unsigned value);       // 149 bits 1..0; "" for 3
std::string LabelTypeText(unsigned value);         // 149 bit 4
std::string WandMinimumWidthText(unsigned value);  // 154 bit 0
std::string WandIdlePolarityText(unsigned value);  // 154 bit 1
std::string WandOutputText(unsigned value);        // 154 bit 2
std::string WandWaveFormText(unsigned value);      // 154 bit 3

// Symbology fields.
std::string CodabarStartStopText(unsigned value);   // 9 bits 5..4
std::string DigitSuppressionText(unsigned value);   // 18 bits 4..3
std::string Code11CheckDigitsText(unsigned value);  // 43 bit 3
std::string MsiCheckDigitText(unsigned value);      // 48 bits 4..3
std::string TelepenOutputText(unsigned value);      // 58 bit 1

// Data edit formats.
inline constexpr std::size_t kFormatSwitchIndex = 256;
inline constexpr std::size_t kForceDataEditIndex = 260;
inline constexpr std::size_t kCodeTypeCount = 22;

// The "Format On / Off" text of a switch value; "Null" for a value that selects no format.
std::string FormatSwitchText(unsigned value);

// The code type names, b+18 bit 0 first; each ends with a comma. The two Plessey names use
// the en dash.
const std::array<const char*, kCodeTypeCount>& CodeTypeNames();

// The names of the set code type bits of the three bytes from `index` on, joined without
// separators; "" when none is set or the bytes are not all in the image.
std::string CodeTypeText(const ImageBytes& image, std::size_t index);

// An output sequence entry: '1'..'3' "Block n", '4'..'8' "Additional n-3", else "Null".
std::string OutputSequenceText(std::uint8_t entry);

}  // namespace qsp
