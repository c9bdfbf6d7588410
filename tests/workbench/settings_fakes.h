#pragma once
// Stand-ins for what the workbench windows talk to: scripted message boxes, file and print
// dialogs, and a main window that records its message list.

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "app/prompt.h"

namespace wbtest {

class ScriptedPrompt : public qsp::Prompt {
public:
    struct Box {
        std::string text, title;
        qsp::PromptIcon icon;
        qsp::PromptButtons buttons;
    };
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons buttons) override {
        boxes.push_back({text, title, icon, buttons});
        if (buttons == qsp::PromptButtons::Ok || answers.empty()) return qsp::PromptAnswer::Ok;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> OpenFileName(const qsp::FileDialogRequest& r) override {
        return File(r);
    }
    std::optional<std::string> SaveFileName(const qsp::FileDialogRequest& r) override {
        return File(r);
    }
    void Beep() override { ++beeps; }
    // The print dialog writes a PDF file to `pdf`; empty: the user cancels.
    std::optional<qsp::PrintTarget> PrintDialog(const std::string&) override {
        ++printDialogs;
        if (pdf.empty()) return std::nullopt;
        qsp::PrintTarget target;
        target.outputFile = pdf;
        return target;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& b : boxes)
            out.push_back(b.text);
        return out;
    }

    std::deque<qsp::PromptAnswer> answers;         // for OK/Cancel questions; default OK
    std::deque<std::optional<std::string>> files;  // dialog results; none left: cancelled
    std::vector<qsp::FileDialogRequest> requests;
    std::vector<Box> boxes;
    std::string pdf;
    int beeps = 0, printDialogs = 0;

private:
    std::optional<std::string> File(const qsp::FileDialogRequest& r) {
        requests.push_back(r);
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

class RecordingMainView : public qsp::MainView {
public:
    void AddMessage(const std::string& text) override { messages.push_back(text); }
    void SetLocked(bool isLocked, int focusButton) override {
        locked = isLocked;
        focus = focusButton;
    }
    void SetProgress(int, int) override {}
    void SetSearchText(const std::string&, bool) override {}
    void SetDelayBox(const std::string&) override {}
    void RefreshLinkLabel() override {}

    std::vector<std::string> messages;
    bool locked = false;
    int focus = -1;
};

}  // namespace wbtest
