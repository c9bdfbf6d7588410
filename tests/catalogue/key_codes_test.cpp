#include "catalogue/key_codes.h"

#include <gtest/gtest.h>

namespace qsp {
namespace {

TEST(KeyCodes, NamesOfSpecialKeysAndCharactersBothWays) {
    // clang-format off
    const std::pair<int, std::string> names[] = {
        {208, "F1"}, {219, "F12"}, {228, "TAB"}, {231, "ENT"}, {237, "Shift_L_Make"},
        {240, "Ctrl_L_Break"}, {236, "Alt_L_Break"}, {243, "NumPad ENT"}, {65, "A"}, {13, "\r"},
        // fullwidth pound sign, tau, o circumflex, euro sign, trade mark sign
        {241, "\xEF\xBF\xA1"}, {242, "\xCF\x84"}, {244, "\xC3\xB4"}, {128, "\xE2\x82\xAC"},
        {153, "\xE2\x84\xA2"},
        {129, "\xC2\x81"},  // undefined in the code page: the C1 control
    };
    // clang-format on
    for (const auto& [code, name] : names) {
        EXPECT_EQ(KeyName(static_cast<std::uint8_t>(code)), name) << code;
        EXPECT_EQ(KeyCode(name), code) << code;
    }
    // Every byte comes back as itself, the special keys' one-character names included: the name
    // table is consulted before the one-character rule.
    for (int code = 0; code <= 255; ++code) {
        EXPECT_EQ(KeyCode(KeyName(static_cast<std::uint8_t>(code))), code) << code;
    }
}

TEST(KeyCodes, TextsThatAreNoByte) {
    EXPECT_EQ(KeyCode(""), 0);
    // Names are case-sensitive; a character the code page lacks; broken and overlong UTF-8.
    for (const char* t : {"f1", "AB", "ENT ", "\xE4\xB8\xAD", "\xC3", "\xC1\x81"})
        EXPECT_EQ(KeyCode(t), std::nullopt) << t;
}

}  // namespace
}  // namespace qsp
