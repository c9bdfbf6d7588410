// The KTX-type update from the Scanner Update command to its end, against the scanner model's
// KTX receiver on a virtual line; the blocks it sends.

#include <gtest/gtest.h>

#include <algorithm>

#include "update/ktx_transfer.h"
#include "update/update_file.h"
#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rig;

TEST(KtxFrame, AddressesPaddingAndExclusiveOr) {
    std::vector<std::uint8_t> zero(65537, 0);
    auto frame = qsp::KtxFrame(zero, 0);
    ASSERT_EQ(frame.size(), 515u);
    EXPECT_EQ(frame[0], 0x18);
    EXPECT_EQ(frame[1], 0x2C);
    EXPECT_EQ(frame[514], 0x34);  // the exclusive-or starts from the address bytes
    EXPECT_EQ(qsp::KtxFrame(zero, 104)[514], 0x90);
    std::vector<std::uint8_t> ones(65537, 0x01);
    // The marker travels in block 103 at payload offset 447.
    ones[qsp::kKtxMarkerIndex] = qsp::kKtxMarker;
    EXPECT_EQ(qsp::KtxFrame(ones, 103)[2 + 447], 0xFC);
}

TEST(KtxUpdate, AnswerOtherThanAckEndsTheTransfer) {
    Rig rig(updatetest::With(&qspsim::UpdateOptions::nakBlock, 5));
    rig.Command(rig.File("KTXA.bin", std::vector<std::uint8_t>(65536, 0)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), rig.T(127));
    ASSERT_EQ(rig.boxes.size(), 2u);
    EXPECT_EQ(rig.boxes[1].text, rig.T(128));
    // No block after the refused one: 6 requests, each followed by a zero frame (no 0xFC in it).
    EXPECT_EQ(std::count(rig.line.sent.begin(), rig.line.sent.end(), 0xFC), 6);
}

TEST(KtxUpdate, WhatHappensBeforeTheTransfer) {
    {  // Cancel in the confirmation: nothing but the end of the link is sent.
        Rig rig;
        rig.confirm = qsp::PromptAnswer::Cancel;
        rig.Command(rig.File("KTXA.bin", Pattern(100)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.view.messages.back(), rig.T(120));
        const std::string sent(rig.line.sent.begin(), rig.line.sent.end());
        EXPECT_EQ(sent.substr(sent.size() - 2), "\xF9\xF9");
        EXPECT_EQ(sent.find('\xFC'), std::string::npos);
        EXPECT_FALSE(rig.view.locked);
    }
    {  // The settings window left without "EXIT [OK]": nothing at all.
        Rig rig;
        rig.confirmSettings = false;
        rig.Command(rig.File("KTXA.bin", Pattern(100)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.settingsWindows, 1);
        EXPECT_TRUE(rig.view.messages.empty());
        EXPECT_TRUE(rig.line.sent.empty());
    }
    {  // USB: refused before the settings window opens.
        Rig rig;
        rig.state.Settings.InterfaceIndex = " 1";
        rig.Command(rig.File("KTXA.bin", Pattern(100)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.settingsWindows, 0);
        EXPECT_EQ(rig.view.messages, std::vector<std::string>{rig.T(117)});
    }
}

}  // namespace
