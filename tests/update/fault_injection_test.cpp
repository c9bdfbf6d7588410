// Faults of the scanner's firmware receivers, of the line and of the update file during both
// kinds of update, on the virtual clock: each ends with its message, the main window unlocked and
// the port settings restored, and the next update, with the fault gone, goes through.

#include <gtest/gtest.h>

#include <algorithm>

#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rewrite;
using updatetest::Rig;
using Answers = std::vector<qspsim::Answer>;
using Lines = std::vector<std::string>;

// Answers from the `from`-th on are lost.
Rewrite SilentFrom(int from) {
    return [count = std::make_shared<int>(0), from](Answers& answers) {
        for (auto it = answers.begin(); it != answers.end();)
            it = ++*count > from ? answers.erase(it) : it + 1;
    };
}
// Each answer changed by `change`.
Rewrite Each(std::function<void(qspsim::Answer&)> change) {
    return [change](Answers& answers) { std::for_each(answers.begin(), answers.end(), change); };
}

struct Case {
    const char* name;
    Rewrite answers;
    qspsim::Faults scanner;
};

// Each case on a fresh rig: the update of `size` bytes fails as `failed` checks, within bounds and
// unlocked on Update; then, with the fault gone, it goes through as `passed` checks.
template <typename Failed, typename Passed>
void EachFaultThenNone(std::initializer_list<Case> cases, int type, const char* name,
                       std::size_t size, Failed failed, Passed passed) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.fault = c.answers;
        rig.model.SetFaults(c.scanner);
        const auto start = rig.pump.Now();
        rig.Command(rig.File(name, Pattern(size)), type);
        failed(rig, c);
        EXPECT_EQ(rig.successWindows, 0);
        rig.ExpectIdle();
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
        EXPECT_LT(rig.pump.Now() - start, std::chrono::minutes(5));  // every wait is bounded

        rig.Heal();
        rig.Command(rig.File(name, Pattern(size)), type);
        passed(rig);
        rig.ExpectIdle();
    }
}

TEST(KtxUpdateFaults, EveryFaultEndsTheUpdateAndTheNextOneWorks) {
    EachFaultThenNone(
        {
            // clang-format off
            {"no answer to LINK", nullptr, {.noAnswer = qspsim::Stage::Link}},
            {"silent from block 40", SilentFrom(80), {}},
            {"answers past the time-out", Each([](auto& a) { a.delay += std::chrono::seconds(3); }), {}},
            {"garbage instead of ACK", Each([](auto& a) { a.bytes.assign(a.bytes.size(), 0x55); }), {}},
            {"line closed mid-transfer", nullptr, {.closeAfter = 2 + 30}},
            {"wrong final sum", Each([](auto& a) { if (a.bytes.size() == 3) a.bytes[1] ^= 0x01; }), {}},
            {"final sum one byte short", Each([](auto& a) { if (a.bytes.size() == 3) a.bytes.pop_back(); }), {}},
            // clang-format on
        },
        qsp::kUpdateKtx, "KTXA.bin", 65536,
        [](Rig& rig, const Case& c) {
            const bool connected = c.scanner.noAnswer != qspsim::Stage::Link;
            EXPECT_EQ(rig.view.messages.back(), rig.T(connected ? 127 : 129));
            // After the confirmation, the box asking to plug the scanner in again.
            EXPECT_EQ(rig.boxes.size(), connected ? 2u : 0u);
            if (connected) {
                EXPECT_EQ(rig.boxes.back().text, rig.T(128));
            }
            EXPECT_FALSE(rig.ktx.Confirmed());
        },
        [](Rig& rig) {
            EXPECT_EQ(rig.view.messages.back(), rig.T(126));
            EXPECT_TRUE(rig.ktx.Confirmed());
        });
}

// A block the scanner refuses ends the transfer: no block after it is sent.
TEST(KtxUpdateFaults, ARefusedBlockEndsTheTransfer) {
    Rig rig(updatetest::With(&qspsim::UpdateOptions::nakBlock, 5));
    rig.Command(rig.File("KTXA.bin", std::vector<std::uint8_t>(65536, 0)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), rig.T(127));
    ASSERT_EQ(rig.boxes.size(), 2u);
    EXPECT_EQ(rig.boxes[1].text, rig.T(128));
    // 6 requests, each followed by a zero frame (no 0xFC in it).
    EXPECT_EQ(std::count(rig.line.sent.begin(), rig.line.sent.end(), 0xFC), 6);
}

TEST(YmodemUpdateFaults, EveryFaultEndsTheUpdateWithinItsBoundsAndTheNextOneWorks) {
    Rewrite apart = [](Answers& answers) {  // ACK and "C" of the header's answer never together
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (answers[i].bytes != std::vector<std::uint8_t>{0x06, 'C'}) continue;
            answers[i].bytes = {0x06};
            const auto later = answers[i].delay + std::chrono::seconds(1);
            answers.insert(answers.begin() + static_cast<long>(++i),
                           qspsim::Answer{{'C'}, later, 0});
        }
    };
    EachFaultThenNone(
        {
            // clang-format off
            {"no C after 1", SilentFrom(0), {}},
            {"answers past the wait", Each([](auto& a) { a.delay += std::chrono::seconds(15); }), {}},
            {"garbage replies", Each([](auto& a) { a.bytes.assign(a.bytes.size(), 0x55); }), {}},
            {"ACK and C apart every time", apart, {}},
            {"line closed mid-transfer", nullptr, {.closeAfter = 5}},
            // clang-format on
        },
        qsp::kUpdateYmodem, "A.bin", 5000,
        [](Rig& rig, const Case&) {
            EXPECT_EQ(rig.Last(2), (Lines{rig.T(129), rig.T(128)}));
        },
        [](Rig& rig) { EXPECT_EQ(rig.Last(2)[0], "UPDATE OK A.bin 5000 bytes"); });
}

// A receiver that keeps talking after EOT: the list line shows its newest text, bounded.
TEST(YmodemUpdateFaults, ChatterAfterTheFileIsBounded) {
    Rig rig;
    rig.fault = [](Answers& answers) {
        for (auto& a : answers) {
            if (a.bytes.size() > 2 && a.bytes[1] == '\r') {
                a.bytes.insert(a.bytes.end() - 2, 100'000, 'x');
                a.baud = 0;  // all in one burst
            }
        }
    };
    rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    const auto shown = rig.Last(2)[0].size();
    EXPECT_LE(shown, qsp::FirmwareUpdate::kReceivedTextMax);
    EXPECT_GT(shown, qsp::FirmwareUpdate::kReceivedTextMax / 2);
    rig.ExpectIdle();
}

// What is refused before the transfer says why and sends nothing of the file; the main window
// ends unlocked, on KTX at 9600.
TEST(UpdateFaults, RefusedBeforeAnythingIsSent) {
    const qsp::InterfaceText text;
    const auto T = [&text](int id) { return text.LoadText(id); };
    const std::string confirmation = T(121) + "\n" + T(122) + "\n" + T(123);
    const auto big = qsp::FirmwareUpdate::kLargestYmodemFile + 1;
    struct Refusal {
        const char* name;
        int type;
        std::string file;
        std::size_t size;  // 0: not there
        std::function<void(Rig&)> setup;
        std::string sent;  // on the line
        Lines messages;
        std::string box;  // the last one; empty: none
        int focus;        // -1: never locked
        int settingsWindows;
    };
    const auto none = [](Rig&) {};
    // clang-format off
    const Refusal cases[] = {
        {"KTX file larger than the image", qsp::kUpdateKtx, "KTXA.bin", qsp::kUpdateImageSize + 1, none, "", {}, T(130), -1, 1},
        {"KTX file missing", qsp::kUpdateKtx, "KTXB.bin", 0, none, "", {}, T(131), -1, 1},
        {"KTX file without KTX in its name", qsp::kUpdateKtx, "A.bin", 100, none, "", {}, T(131), -1, 1},
        {"Y-modem file over 16 MiB", qsp::kUpdateYmodem, "BIG.bin", big, none, "", {}, T(130) + "\nBIG.bin", -1, 1},
        {"Y-modem file missing", qsp::kUpdateYmodem, "gone.bin", 0, none, "", {}, T(131), -1, 1},
        {"confirmation cancelled: the link ends", qsp::kUpdateKtx, "KTXA.bin", 100, [](Rig& r) { r.confirm = qsp::PromptAnswer::Cancel; },
         "LINK\x06\xF9\xF9", {T(119), T(120)}, confirmation, qsp::kButtonUpdate, 1},
        {"settings window left without OK", qsp::kUpdateKtx, "KTXA.bin", 100, [](Rig& r) { r.confirmSettings = false; }, "", {}, "", -1, 1},
        {"Y-modem chosen, settings window left without OK", qsp::kUpdateYmodem, "A.bin", 3000,
         [](Rig& r) { r.confirmSettings = false; r.state.Settings.BaudRate = "2400"; }, "", {}, "", -1, 1},
        {"USB: before the settings window", qsp::kUpdateKtx, "KTXA.bin", 100, [](Rig& r) { r.state.Settings.InterfaceIndex = " 1"; }, "", {T(117)}, "", -1, 0},
        {"Y-modem port cannot be opened", qsp::kUpdateYmodem, "A.bin", 3000, [](Rig& r) { r.state.Settings.CommPort = "2"; },
         "", {T(119), T(185)}, T(185), qsp::kButtonUpdate, 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.setup(rig);
        const auto path = rig.dir.path() / c.file;
        if (c.size > 0) {
            rig.File(c.file, Pattern(std::min<std::size_t>(c.size, 1 << 20)));
            std::filesystem::resize_file(path, c.size);
        }
        rig.Command(path.string(), c.type);
        EXPECT_EQ(std::string(rig.line.sent.begin(), rig.line.sent.end()), c.sent);
        EXPECT_EQ(rig.view.messages, c.messages);
        EXPECT_EQ(rig.boxes.empty() ? "" : rig.boxes.back().text, c.box);
        EXPECT_EQ(rig.view.focus, c.focus);
        EXPECT_EQ(rig.settingsWindows, c.settingsWindows);
        rig.ExpectIdle();
    }
    // The largest image that fits goes through after a larger one was refused.
    Rig rig;
    rig.Command(rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize + 1)), qsp::kUpdateKtx);
    rig.Command(rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), rig.T(126));
}

}  // namespace
