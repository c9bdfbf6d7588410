#include "catalogue/key_codes.h"

#include <gtest/gtest.h>

namespace qsp {
namespace {

TEST(KeyCodes, NamesOfSpecialKeysAndCharactersBothWays) {
    const std::pair<int, std::string> names[] = {
        {208, "F1"},
        {219, "F12"},
        {228, "TAB"},
        {231, "ENT"},
        {237, "Shift_L_Make"},
        {240, "Ctrl_L_Break"},
        {236, "Alt_L_Break"},
        {243, "NumPad ENT"},
        {241, "\xEF\xBF\xA1"},  // fullwidth pound sign
        {242, "\xCF\x84"},      // tau
        {65, "A"},
        {13, "\r"},
        {244, "\xC3\xB4"},      // o circumflex
        {128, "\xE2\x82\xAC"},  // euro sign
        {153, "\xE2\x84\xA2"},  // trade mark sign
        {129, "\xC2\x81"},      // undefined in the code page: the C1 control
    };
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
