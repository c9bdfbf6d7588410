// Faults of the scanner's firmware receivers and of the line during both kinds of update, on the
// virtual clock: each ends with its message, the main window unlocked and the port settings
// restored, and the next update, with the fault gone, goes through.

#include <gtest/gtest.h>

#include <algorithm>

#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rewrite;
using updatetest::Rig;
using Answers = std::vector<qspsim::Answer>;

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

TEST(KtxUpdateFaults, EveryFaultEndsTheUpdateAndTheNextOneWorks) {
    // clang-format off
    const Case cases[] = {
        {"no answer to LINK", nullptr, {.noAnswer = qspsim::Stage::Link}},
        {"silent from block 40", SilentFrom(80), {}},
        {"answers past the time-out", Each([](auto& a) { a.delay += std::chrono::seconds(3); }), {}},
        {"garbage instead of ACK", Each([](auto& a) { a.bytes.assign(a.bytes.size(), 0x55); }), {}},
        {"line closed mid-transfer", nullptr, {.closeAfter = 2 + 30}},
        {"wrong final sum", Each([](auto& a) { if (a.bytes.size() == 3) a.bytes[1] ^= 0x01; }), {}},
        {"final sum one byte short", Each([](auto& a) { if (a.bytes.size() == 3) a.bytes.pop_back(); }), {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.fault = c.answers;
        rig.model.SetFaults(c.scanner);
        rig.Command(rig.File("KTXA.bin", Pattern(65536)), qsp::kUpdateKtx);
        const bool connected = c.scanner.noAnswer != qspsim::Stage::Link;
        EXPECT_EQ(rig.view.messages.back(), rig.T(connected ? 127 : 129));
        if (connected) {
            ASSERT_FALSE(rig.boxes.empty());
            EXPECT_EQ(rig.boxes.back().text, rig.T(128));
        }
        EXPECT_EQ(rig.successWindows, 0);
        EXPECT_FALSE(rig.ktx.Confirmed());
        rig.ExpectIdle();
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);

        rig.Heal();
        rig.Command(rig.File("KTXA.bin", Pattern(65536)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.view.messages.back(), rig.T(126));
        EXPECT_TRUE(rig.ktx.Confirmed());
        rig.ExpectIdle();
    }
}

TEST(YmodemUpdateFaults, EveryFaultEndsTheUpdateWithinItsBoundsAndTheNextOneWorks) {
    Rewrite apart = [](Answers& answers) {  // ACK and "C" of the header's answer never together
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (answers[i].bytes != std::vector<std::uint8_t>{0x06, 'C'}) continue;
            answers[i].bytes = {0x06};
            const auto later = answers[i].delay + std::chrono::seconds(1);
            answers.insert(answers.begin() + static_cast<long>(++i), qspsim::Answer{{'C'}, later, 0});
        }
    };
    // clang-format off
    const Case cases[] = {
        {"no C after 1", SilentFrom(0), {}},
        {"answers past the wait", Each([](auto& a) { a.delay += std::chrono::seconds(15); }), {}},
        {"garbage replies", Each([](auto& a) { a.bytes.assign(a.bytes.size(), 0x55); }), {}},
        {"ACK and C apart every time", apart, {}},
        {"line closed mid-transfer", nullptr, {.closeAfter = 5}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.fault = c.answers;
        rig.model.SetFaults(c.scanner);
        const auto start = rig.pump.Now();
        rig.Command(rig.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
        const auto& m = rig.view.messages;
        ASSERT_GE(m.size(), 2u);
        EXPECT_EQ(m[m.size() - 2], rig.T(129));
        EXPECT_EQ(m.back(), rig.T(128));
        EXPECT_EQ(rig.successWindows, 0);
        rig.ExpectIdle();
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
        EXPECT_LT(rig.pump.Now() - start, std::chrono::minutes(5));  // every wait is bounded

        rig.Heal();
        rig.Command(rig.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
        ASSERT_GE(m.size(), 2u);
        EXPECT_EQ(m[m.size() - 2], "UPDATE OK A.bin 5000 bytes");
        rig.ExpectIdle();
    }
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
    const auto& m = rig.view.messages;
    ASSERT_GE(m.size(), 2u);
    EXPECT_LE(m[m.size() - 2].size(), qsp::FirmwareUpdate::kReceivedTextMax);
    EXPECT_GT(m[m.size() - 2].size(), qsp::FirmwareUpdate::kReceivedTextMax / 2);
    rig.ExpectIdle();
}

// Files that cannot be an update are refused before the window locks or a byte is sent.
TEST(UpdateFaults, FilesRefusedBeforeAnythingIsSent) {
    Rig rig;
    const auto big = rig.dir.path() / "BIG.bin";
    rig.File("BIG.bin", {});
    std::filesystem::resize_file(big, qsp::FirmwareUpdate::kLargestYmodemFile + 1);
    struct FileCase {
        std::string path;
        int type;
        std::string box;
    };
    // clang-format off
    const FileCase files[] = {
        {rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize + 1)), qsp::kUpdateKtx, rig.T(130)},  // larger than the image
        {(rig.dir.path() / "KTXB.bin").string(), qsp::kUpdateKtx, rig.T(131)},                    // not there
        {rig.File("A.bin", Pattern(100)), qsp::kUpdateKtx, rig.T(131)},                           // no KTX name
        {big.string(), qsp::kUpdateYmodem, rig.T(130) + "\nBIG.bin"},                             // over 16 MiB
        {(rig.dir.path() / "gone.bin").string(), qsp::kUpdateYmodem, rig.T(131)},                 // not there
    };
    // clang-format on
    for (const auto& file : files) {
        SCOPED_TRACE(file.path);
        rig.boxes.clear();
        rig.Command(file.path, file.type);
        ASSERT_EQ(rig.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes[0].text, file.box);
        EXPECT_TRUE(rig.line.sent.empty());
        EXPECT_TRUE(rig.view.messages.empty());
        EXPECT_EQ(rig.view.focus, -1);  // never locked, so never unlocked either
    }
    rig.Command(rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), rig.T(126));
}

}  // namespace
