#pragma once
// The link tests' scanner, with its firmware receivers on the serial line, and the update
// procedure, all on the virtual clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ktx_receiver.h"
#include "link/link_rig.h"
#include "test_support/temp_dir.h"
#include "update/firmware_update.h"
#include "ymodem_receiver.h"

namespace updatetest {

// Receivers' options with one of them changed.
template <typename T>
qspsim::UpdateOptions With(T qspsim::UpdateOptions::*option, T value) {
    qspsim::UpdateOptions options;
    options.*option = value;
    return options;
}

inline std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed = 7) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

using Rewrite = std::function<void(std::vector<qspsim::Answer>&)>;

// The rig is also the update's message boxes.
struct Rig : qsptest::Rig, qsptest::FakePrompt {
    explicit Rig(qspsim::UpdateOptions options = {})
        : ktx(options), ymodem(options), update(state, pump, view, lock, *this, text, link) {
        state.Settings = qsp::ParseSettings("");
        update.SetSuccessWindow([this] { ++successWindows; });
        update.SetSettingsWindow([this](qsp::UpdateSettingsMode) {
            ++settingsWindows;
            state.UpdateType = chosenType;
            state.UpdateConfirmed = confirmSettings;
        });
    }
    // The update's confirmation is answered with `confirm`, every other box with OK.
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons buttons) override {
        FakePrompt::MessageBox(text, title, icon, buttons);
        return buttons == qsp::PromptButtons::OkCancel ? confirm : qsp::PromptAnswer::Ok;
    }
    // The receivers, offered every host byte in turn, with their answers passed through `fault`.
    bool Take(std::uint8_t byte, bool configuring, const qspsim::LineView& host, qspsim::Micros now,
              std::vector<qspsim::Answer>& answers, std::vector<std::string>& notes) override {
        std::vector<qspsim::Answer> mine;
        const bool taken = ktx.Take(byte, configuring, host, now, mine, notes) ||
                           ymodem.Take(byte, configuring, host, now, mine, notes);
        if (fault) fault(mine);
        answers.insert(answers.end(), mine.begin(), mine.end());
        return taken;
    }
    // A file in the test's folder with these bytes; returns its path.
    std::string File(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const auto path = dir.path() / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    // Runs the Scanner Update command with the settings window answered by `type` and OK.
    void Command(const std::string& path, int type) {
        state.Settings.UpdateFilesPath = path;
        chosenType = type;
        update.ScannerUpdateCommand();
    }
    // The fault goes away; the user waits before trying again.
    void Heal() {
        fault = nullptr;
        qsptest::Rig::Heal();
        view.messages.clear();
        boxes.clear();
    }
    // How every update ends: unlocked on Update, port closed, KTX and 9600 again.
    void ExpectIdle() {
        EXPECT_FALSE(view.locked);
        EXPECT_FALSE(lock.PollRunning());
        EXPECT_EQ(state.UpdateType, qsp::kUpdateKtx);
        EXPECT_EQ(state.Settings.BaudRate, "9600");
        EXPECT_FALSE(line.port() && line.port()->IsOpen());
    }
    std::string T(int id) const { return text.LoadText(id); }
    // The last `n` lines of the message list (fewer when it is shorter).
    std::vector<std::string> Last(std::size_t n) const {
        const auto& m = view.messages;
        return {m.end() - static_cast<long>(std::min(n, m.size())), m.end()};
    }

    test_support::TempDir dir;
    qspsim::KtxReceiver ktx;
    qspsim::YmodemReceiver ymodem;
    Rewrite fault;
    qsp::FirmwareUpdate update;
    qsp::PromptAnswer confirm = qsp::PromptAnswer::Ok;
    int chosenType = qsp::kUpdateKtx;
    bool confirmSettings = true;
    int settingsWindows = 0;
    int successWindows = 0;
};

}  // namespace updatetest
