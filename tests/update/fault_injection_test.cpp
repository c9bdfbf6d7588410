// Faults of the scanner's firmware receivers and of the line during both kinds of update, on the
// virtual clock: each ends with its message, the main window unlocked and the port settings
// restored, and the next update, with the fault gone, goes through.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "update_rig.h"

namespace {

using updatetest::Pattern;
using updatetest::Rewrite;

// A rig whose receivers' answers pass through `fault` while it is set.
struct FaultRig {
    FaultRig()
        : fault(std::make_shared<Rewrite>()),
          rig({}, [f = fault](std::vector<qspsim::Answer>& answers) {
              if (*f) (*f)(answers);
          }) {}

    // The fault goes away; the user waits before trying again.
    void Heal() {
        *fault = nullptr;
        rig.model.SetFaults({});
        rig.pump.Advance(std::chrono::seconds(60));
        rig.view.messages.clear();
        rig.prompt.boxes.clear();
    }
    void ExpectIdle() {
        EXPECT_FALSE(rig.view.locked);
        EXPECT_FALSE(rig.lock.PollRunning());
        EXPECT_EQ(rig.state.UpdateType, qsp::kUpdateKtx);
        EXPECT_EQ(rig.state.Settings.BaudRate, "9600");
        EXPECT_FALSE(rig.line.port() && rig.line.port()->IsOpen());
    }
    std::string T(int id) const { return rig.text.LoadText(id); }

    std::shared_ptr<Rewrite> fault;
    updatetest::Rig rig;
};

// Answers from the `from`-th on are lost.
Rewrite SilentFrom(int from) {
    auto count = std::make_shared<int>(0);
    return [count, from](std::vector<qspsim::Answer>& answers) {
        for (auto it = answers.begin(); it != answers.end();)
            it = ++*count > from ? answers.erase(it) : it + 1;
    };
}
Rewrite LateBy(std::chrono::seconds by) {
    return [by](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers)
            a.delay += by;
    };
}
Rewrite Garbage() {
    return [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers)
            a.bytes.assign(a.bytes.size(), 0x55);
    };
}

struct Case {
    const char* name;
    std::function<void(FaultRig&)> inject;
    std::vector<int> lastTexts;  // the end of the message list
    int box;                     // the text of the last message box, 0 for none
    bool sent;                   // anything went to the scanner
};

std::function<void(FaultRig&)> Answers(Rewrite r) {
    return [r](FaultRig& f) { *f.fault = r; };
}
std::function<void(FaultRig&)> Scanner(qspsim::Faults faults) {
    return [faults](FaultRig& f) { f.rig.model.SetFaults(faults); };
}
qspsim::Faults LineClosedAfter(long bytes) {
    qspsim::Faults faults;
    faults.closeAfter = bytes;
    return faults;
}

void ExpectEnd(FaultRig& f, const std::vector<int>& texts) {
    const auto& m = f.rig.view.messages;
    ASSERT_GE(m.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(m[m.size() - texts.size() + i], f.T(texts[i]));
}

TEST(KtxUpdateFaults, EveryFaultEndsTheUpdateAndTheNextOneWorks) {
    qspsim::Faults silentLink;
    silentLink.noAnswer = qspsim::Stage::Link;
    Rewrite badSum = [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers) {
            if (a.bytes.size() == 3) a.bytes[1] ^= 0x01;
        }
    };
    Rewrite shortSum = [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers) {
            if (a.bytes.size() == 3) a.bytes.pop_back();
        }
    };
    const Case cases[] = {
        {"no answer to LINK", Scanner(silentLink), {129}, 0, true},
        {"no answer to the first block request", Answers(SilentFrom(0)), {127}, 128, true},
        {"silent from block 40", Answers(SilentFrom(80)), {127}, 128, true},
        {"answers past the time-out", Answers(LateBy(std::chrono::seconds(3))), {127}, 128, true},
        {"garbage instead of ACK", Answers(Garbage()), {127}, 128, true},
        {"line closed mid-transfer", Scanner(LineClosedAfter(2 + 30)), {127}, 128, true},
        {"wrong final sum", Answers(badSum), {127}, 128, true},
        {"final sum one byte short", Answers(shortSum), {127}, 128, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultRig f;
        c.inject(f);
        auto& rig = f.rig;
        rig.Command(rig.File("KTXA.bin", Pattern(65536)), qsp::kUpdateKtx);
        ExpectEnd(f, c.lastTexts);
        if (c.box) {
            ASSERT_FALSE(rig.prompt.boxes.empty());
            EXPECT_EQ(rig.prompt.boxes.back().text, f.T(c.box));
        }
        EXPECT_EQ(rig.successWindows, 0);
        EXPECT_FALSE(rig.ktx.Confirmed());
        f.ExpectIdle();
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);

        f.Heal();
        rig.Command(rig.File("KTXA.bin", Pattern(65536)), qsp::kUpdateKtx);
        EXPECT_EQ(rig.view.messages.back(), f.T(126));
        EXPECT_EQ(rig.successWindows, 1);
        EXPECT_TRUE(rig.ktx.Confirmed());
        f.ExpectIdle();
    }
}

// Files that cannot be an image are refused before the window locks or a byte is sent.
TEST(KtxUpdateFaults, FilesRefusedBeforeAnythingIsSent) {
    FaultRig f;
    auto& rig = f.rig;
    struct FileCase {
        std::string path;
        int box;
    };
    const FileCase files[] = {
        {rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize + 1)), 130},  // larger than the image
        {(rig.dir.path() / "KTXB.bin").string(), 131},                    // not there
        {rig.File("A.bin", Pattern(100)), 131},                           // no KTX name
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.path);
        rig.prompt.boxes.clear();
        rig.Command(file.path, qsp::kUpdateKtx);
        ASSERT_EQ(rig.prompt.boxes.size(), 1u);
        EXPECT_EQ(rig.prompt.boxes[0].text, f.T(file.box));
        EXPECT_TRUE(rig.line.sent.empty());
        EXPECT_TRUE(rig.view.messages.empty());
        EXPECT_EQ(rig.view.focus, -1);  // never locked, so never unlocked either
    }
    rig.Command(rig.File("KTXA.bin", Pattern(qsp::kUpdateImageSize)), qsp::kUpdateKtx);
    EXPECT_EQ(rig.view.messages.back(), f.T(126));
}

TEST(YmodemUpdateFaults, EveryFaultEndsTheUpdateWithinItsBoundsAndTheNextOneWorks) {
    Rewrite apart = [](std::vector<qspsim::Answer>& answers) {
        // ACK and "C" of the header's answer never in one poll.
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (answers[i].bytes == std::vector<std::uint8_t>{0x06, 'C'}) {
                answers[i].bytes = {0x06};
                answers.insert(
                    answers.begin() + static_cast<long>(i) + 1,
                    qspsim::Answer{{'C'}, answers[i].delay + std::chrono::seconds(1), 0});
                ++i;
            }
        }
    };
    const Case cases[] = {
        {"no C after 1", Answers(SilentFrom(0)), {129, 128}, 0, true},
        {"silent from the third block", Answers(SilentFrom(4)), {129, 128}, 0, true},
        {"answers past the wait", Answers(LateBy(std::chrono::seconds(15))), {129, 128}, 0, true},
        {"garbage replies", Answers(Garbage()), {129, 128}, 0, true},
        {"ACK and C apart every time", Answers(apart), {129, 128}, 0, true},
        {"line closed mid-transfer", Scanner(LineClosedAfter(5)), {129, 128}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultRig f;
        c.inject(f);
        auto& rig = f.rig;
        const auto start = rig.pump.Now();
        rig.Command(rig.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
        ExpectEnd(f, c.lastTexts);
        EXPECT_EQ(rig.successWindows, 0);
        f.ExpectIdle();
        EXPECT_EQ(rig.view.focus, qsp::kButtonUpdate);
        // Every wait and every repetition is bounded.
        EXPECT_LT(rig.pump.Now() - start, std::chrono::minutes(5));

        f.Heal();
        rig.Command(rig.File("A.bin", Pattern(5000)), qsp::kUpdateYmodem);
        const auto& m = rig.view.messages;
        ASSERT_GE(m.size(), 2u);
        EXPECT_EQ(m[m.size() - 2], "UPDATE OK A.bin 5000 bytes");
        EXPECT_EQ(rig.successWindows, 1);
        f.ExpectIdle();
    }
}

// A receiver that keeps talking after EOT: the list line shows its newest text, bounded.
TEST(YmodemUpdateFaults, ChatterAfterTheFileIsBounded) {
    FaultRig f;
    *f.fault = [](std::vector<qspsim::Answer>& answers) {
        for (auto& a : answers) {
            if (a.bytes.size() > 2 && a.bytes[1] == '\r') {
                std::vector<std::uint8_t> chatter(100'000, 'x');
                a.bytes.insert(a.bytes.end() - 2, chatter.begin(), chatter.end());
                a.baud = 0;  // all in one burst
            }
        }
    };
    auto& rig = f.rig;
    rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    const auto& m = rig.view.messages;
    ASSERT_GE(m.size(), 2u);
    EXPECT_LE(m[m.size() - 2].size(), qsp::FirmwareUpdate::kReceivedTextMax);
    EXPECT_GT(m[m.size() - 2].size(), qsp::FirmwareUpdate::kReceivedTextMax / 2);
    f.ExpectIdle();
}

TEST(YmodemUpdateFaults, FilesRefusedBeforeAnythingIsSent) {
    FaultRig f;
    auto& rig = f.rig;
    // Larger than any update: refused with the file error and its name, read no further.
    const auto big = rig.dir.path() / "BIG.bin";
    rig.File("BIG.bin", {});
    std::filesystem::resize_file(big, qsp::FirmwareUpdate::kLargestYmodemFile + 1);
    rig.Command(big.string(), qsp::kUpdateYmodem);
    ASSERT_EQ(rig.prompt.boxes.size(), 1u);
    EXPECT_EQ(rig.prompt.boxes[0].text, f.T(130) + "\nBIG.bin");
    EXPECT_EQ(rig.prompt.boxes[0].icon, qsp::PromptIcon::Critical);
    // Missing: "Update file not found."
    rig.Command((rig.dir.path() / "gone.bin").string(), qsp::kUpdateYmodem);
    ASSERT_EQ(rig.prompt.boxes.size(), 2u);
    EXPECT_EQ(rig.prompt.boxes[1].text, f.T(131));
    EXPECT_TRUE(rig.line.sent.empty());
    EXPECT_TRUE(rig.view.messages.empty());
    f.ExpectIdle();

    rig.Command(rig.File("A.bin", Pattern(3000)), qsp::kUpdateYmodem);
    EXPECT_EQ(rig.successWindows, 1);
}

}  // namespace
