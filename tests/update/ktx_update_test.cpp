// The KTX-type update from the Scanner Update command to its end, against the scanner model's
// KTX receiver on a virtual line.

#include <gtest/gtest.h>

#include <algorithm>

#include "update/ktx_transfer.h"
#include "update/update_file.h"
#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rig;

std::vector<std::string> Texts(const qsp::InterfaceText& text, std::initializer_list<int> ids) {
    std::vector<std::string> out;
    for (int id : ids)
        out.push_back(text.LoadText(id));
    return out;
}

TEST(KtxFrame, AddressesPaddingAndExclusiveOr) {
    std::vector<std::uint8_t> zero(65537, 0);
    auto frame = qsp::KtxFrame(zero, 0);
    ASSERT_EQ(frame.size(), 515u);
    EXPECT_EQ(frame[0], 0x18);
    EXPECT_EQ(frame[1], 0x2C);
    EXPECT_EQ(frame[514], 0x34);  // the exclusive-or starts from the address bytes
    EXPECT_EQ(qsp::KtxFrame(zero, 104)[514], 0x90);
    frame = qsp::KtxFrame(zero, 102);
    EXPECT_EQ(frame[0], 0xE4);
    EXPECT_EQ(frame[1], 0x00);

    // Block 0: image 0x182C..0x19FF, then 44 zero bytes that leave the exclusive-or alone.
    std::vector<std::uint8_t> ones(65537, 0x01);
    frame = qsp::KtxFrame(ones, 0);
    EXPECT_EQ(std::count(frame.begin() + 2, frame.begin() + 2 + 468, 0x01), 468);
    EXPECT_EQ(std::count(frame.begin() + 2 + 468, frame.begin() + 514, 0x00), 44);
    EXPECT_EQ(frame[514], 0x34);  // 468 ones cancel out
    frame = qsp::KtxFrame(ones, 104);
    EXPECT_EQ(std::count(frame.begin() + 2 + 384, frame.begin() + 514, 0x00), 128);
    // The marker travels in block 103 at payload offset 447.
    ones[qsp::kKtxMarkerIndex] = qsp::kKtxMarker;
    EXPECT_EQ(qsp::KtxFrame(ones, 103)[2 + 447], 0xFC);
}

TEST(KtxUpdate, WholeUpdateRebuildsTheImageOnTheScanner) {
    Rig rig;
    const auto file = Pattern(65536);
    rig.Command(rig.File("KTXA.bin", file), qsp::kUpdateKtx);

    EXPECT_EQ(rig.view.messages, Texts(rig.text, {119, 120, 121, 122, 125, 126}));
    EXPECT_EQ(rig.successWindows, 1);
    EXPECT_EQ(rig.prompt.beeps, 2);
    // What arrived is checked end to end; here the sum both sides agree on.
    ASSERT_TRUE(rig.ktx.Confirmed());
    auto image = file;
    image[0xFFBF] = 0xFC;
    image.push_back(0);
    EXPECT_EQ(static_cast<std::uint16_t>(qsp::KtxImageSum(image)), rig.ktx.Sum());
    // The link ended with 0xF9 twice; the window is unlocked on Update.
    ASSERT_GE(rig.line.sent.size(), 2u);
    EXPECT_EQ(rig.line.sent[rig.line.sent.size() - 1], 0xF9);
    EXPECT_EQ(rig.line.sent[rig.line.sent.size() - 2], 0xF9);
    EXPECT_FALSE(rig.view.locked);
    EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
}

TEST(KtxUpdate, AnswerOtherThanAckEndsTheTransfer) {
    qspsim::UpdateOptions faults;
    faults.nakBlock = 5;
    Rig rig(faults);
    rig.Command(rig.File("KTXA.bin", std::vector<std::uint8_t>(65536, 0)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), rig.text.LoadText(127));
    ASSERT_EQ(rig.prompt.boxes.size(), 2u);
    EXPECT_EQ(rig.prompt.boxes[1].text, rig.text.LoadText(128));
    EXPECT_EQ(rig.prompt.boxes[1].title, rig.text.LoadText(124));
    EXPECT_EQ(rig.successWindows, 0);
    // No block after the refused one: 6 requests, each followed by a zero frame (no 0xFC in it).
    EXPECT_EQ(std::count(rig.line.sent.begin(), rig.line.sent.end(), 0xFC), 6);
}

TEST(KtxUpdate, ReceiversLeaveParameterWritesAlone) {
    // A write frame full of block requests and Y-modem start bytes still programs the block.
    Rig rig;
    for (std::size_t i = 0; i < 512; ++i)
        rig.state.ParamImage[i] = i % 2 ? 0xFC : '1';
    rig.lock.LockMainWindow();
    ASSERT_TRUE(rig.link.ConnectScanner("1", qsp::kRs232));
    EXPECT_TRUE(rig.link.WriteParameters(qsp::kRs232));
    rig.link.CloseScannerLink(qsp::kRs232);
    EXPECT_EQ(rig.model.block()[1], 0xFC);
    EXPECT_EQ(rig.model.block()[100], '1');
    EXPECT_EQ(rig.ktx.BlocksReceived(), 0);
}

TEST(KtxUpdate, WhatHappensBeforeTheTransfer) {
    {  // Cancel in the confirmation: nothing but the end of the link is sent.
        Rig rig;
        rig.prompt.confirm = qsp::PromptAnswer::Cancel;
        rig.Command(rig.File("KTXA.bin", Pattern(100)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.view.messages, Texts(rig.text, {119, 120}));
        const std::string sent(rig.line.sent.begin(), rig.line.sent.end());
        EXPECT_EQ(sent.substr(sent.size() - 2), "\xF9\xF9");
        EXPECT_EQ(sent.find('\xFC'), std::string::npos);
        EXPECT_FALSE(rig.view.locked);
    }
    {  // No scanner: "Cannot connect to scanner.", no end of link.
        Rig rig;
        rig.model.SetSerial(19200, 'N', 8, 1);
        rig.Command(rig.File("KTXA.bin", Pattern(100)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.view.messages, Texts(rig.text, {119, 129}));
        EXPECT_EQ(std::count(rig.line.sent.begin(), rig.line.sent.end(), 0xF9), 0);
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
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
        EXPECT_EQ(rig.view.messages, Texts(rig.text, {117}));
    }
}

}  // namespace
