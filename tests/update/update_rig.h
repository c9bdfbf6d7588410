#pragma once
// A scanner on a virtual line with its firmware receivers, the program's link and the update
// procedure, all on the virtual clock.

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/main_lock.h"
#include "app/virtual_pump.h"
#include "ktx_receiver.h"
#include "link/fakes.h"
#include "link/scanner_link.h"
#include "link/virtual_line.h"
#include "test_support/temp_dir.h"
#include "update/firmware_update.h"
#include "ymodem_receiver.h"

namespace updatetest {

// Message boxes answered as scripted: the confirmation with `confirm`, the rest with OK.
class ScriptedPrompt : public qsptest::FakePrompt {
public:
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons buttons) override {
        FakePrompt::MessageBox(text, title, icon, buttons);
        return buttons == qsp::PromptButtons::OkCancel ? confirm : qsp::PromptAnswer::Ok;
    }
    qsp::PromptAnswer confirm = qsp::PromptAnswer::Ok;
};

inline std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed = 7) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

// A receiver whose answers are changed on their way to the host.
using Rewrite = std::function<void(std::vector<qspsim::Answer>&)>;
class Rewriting : public qspsim::LineTaker {
public:
    Rewriting(qspsim::LineTaker& inner, Rewrite rewrite)
        : inner_(inner), rewrite_(std::move(rewrite)) {}
    bool Take(std::uint8_t byte, bool configuring, const qspsim::LineView& host, qspsim::Micros now,
              std::vector<qspsim::Answer>& answers, std::vector<std::string>& notes) override {
        std::vector<qspsim::Answer> mine;
        const bool taken = inner_.Take(byte, configuring, host, now, mine, notes);
        if (rewrite_) rewrite_(mine);
        answers.insert(answers.end(), mine.begin(), mine.end());
        return taken;
    }

private:
    qspsim::LineTaker& inner_;
    Rewrite rewrite_;
};

struct Rig {
    explicit Rig(qspsim::UpdateOptions options = {}, Rewrite rewrite = {})
        : ktx(options),
          ymodem(options),
          ktxLine(ktx, rewrite),
          ymodemLine(ymodem, rewrite),
          update(state, pump, view, lock, prompt, text, link) {
        state.Settings = qsp::ParseSettings("");
        model.AddTaker(&ktxLine);
        model.AddTaker(&ymodemLine);
        lock.SetReceivePoll([this] { link.Serial().ReceivePoll(); });
        update.SetSuccessWindow([this] { ++successWindows; });
        update.SetSettingsWindow([this](qsp::UpdateSettingsMode mode) {
            ++settingsWindows;
            EXPECT_EQ(mode, qsp::UpdateSettingsMode::Update);
            state.UpdateType = chosenType;
            state.UpdateConfirmed = confirmSettings;
        });
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

    test_support::TempDir dir;
    qsp::VirtualPump pump;
    qsp::AppState state;
    qsptest::FakeMainView view;
    ScriptedPrompt prompt;
    qsp::InterfaceText text;
    qspsim::ScannerModel model{qspsim::FactoryBlock()};
    qspsim::KtxReceiver ktx;
    qspsim::YmodemReceiver ymodem;
    Rewriting ktxLine;
    Rewriting ymodemLine;
    qsptest::VirtualLine line{pump, &model};
    qsp::ScannerLink link{state, pump, view, text, line.Factory()};
    qsp::MainLock lock{view, pump};
    qsp::FirmwareUpdate update;
    int chosenType = qsp::kUpdateKtx;
    bool confirmSettings = true;
    int settingsWindows = 0;
    int successWindows = 0;
};

}  // namespace updatetest
