#include "link/key_codes.h"

#include <gtest/gtest.h>

namespace qsp {
namespace {

TEST(KeyCodes, SpecialKeyNamesAndBack) {
    EXPECT_EQ(KeyName(208), "F1");
    EXPECT_EQ(KeyName(219), "F12");
    EXPECT_EQ(KeyName(228), "TAB");
    EXPECT_EQ(KeyName(231), "ENT");
    EXPECT_EQ(KeyName(237), "Shift_L_Make");
    EXPECT_EQ(KeyName(240), "Ctrl_L_Break");
    EXPECT_EQ(KeyName(241), "\xEF\xBF\xA1");  // fullwidth pound sign
    EXPECT_EQ(KeyName(242), "\xCF\x84");      // tau
    EXPECT_EQ(KeyName(243), "NumPad ENT");
    EXPECT_EQ(KeyCode("F1"), 208);
    EXPECT_EQ(KeyCode("NumPad ENT"), 243);
    EXPECT_EQ(KeyCode("Alt_L_Break"), 236);
    // Every special key comes back as its own code, the two one-character names included:
    // the name table is consulted before the one-character rule.
    for (int code = 208; code <= 243; ++code) {
        EXPECT_EQ(KeyCode(KeyName(static_cast<std::uint8_t>(code))), code) << code;
    }
}

TEST(KeyCodes, OrdinaryCharacters) {
    EXPECT_EQ(KeyName(65), "A");
    EXPECT_EQ(KeyName(0), std::string(1, '\0'));
    EXPECT_EQ(KeyName(13), "\r");
    EXPECT_EQ(KeyName(244), "\xC3\xB4");      // o circumflex
    EXPECT_EQ(KeyName(128), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(KeyName(153), "\xE2\x84\xA2");  // trade mark sign
    EXPECT_EQ(KeyName(129), "\xC2\x81");      // undefined in the code page: the C1 control
    EXPECT_EQ(KeyName(207), "\xC3\x8F");
    EXPECT_EQ(KeyCode("A"), 65);
    EXPECT_EQ(KeyCode("\xC3\xB4"), 244);
    EXPECT_EQ(KeyCode("\xE2\x82\xAC"), 128);
    // Every byte outside the special keys survives the round trip.
    for (int code = 0; code <= 255; ++code) {
        if (code >= 208 && code <= 243) continue;
        EXPECT_EQ(KeyCode(KeyName(static_cast<std::uint8_t>(code))), code) << code;
    }
}

TEST(KeyCodes, TextsThatAreNoByte) {
    EXPECT_EQ(KeyCode(""), 0);
    EXPECT_EQ(KeyCode("f1"), std::nullopt);  // names are case-sensitive
    EXPECT_EQ(KeyCode("AB"), std::nullopt);
    EXPECT_EQ(KeyCode("ENT "), std::nullopt);
    EXPECT_EQ(KeyCode("\xE4\xB8\xAD"), std::nullopt);  // a character the code page lacks
    EXPECT_EQ(KeyCode("\xC3"), std::nullopt);          // broken UTF-8
    EXPECT_EQ(KeyCode("\xC1\x81"), std::nullopt);      // overlong form of "A"
}

}  // namespace
}  // namespace qsp
