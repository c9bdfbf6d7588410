#pragma once
// A main window and message boxes that record what the user would see.

#include <string>
#include <vector>

#include "base/main_view.h"
#include "base/prompt.h"

namespace qsptest {

class FakeMainView : public qsp::MainView {
public:
    void AddMessage(const std::string& text) override { messages.push_back(text); }
    void SetLocked(bool isLocked, int focusButton) override {
        locked = isLocked;
        if (!isLocked) focus = focusButton;
    }
    void SetProgress(int value, int maximum) override {
        progress.push_back(maximum > 0 ? value * 100 / maximum : -1);
    }
    void SetSearchText(const std::string& text, bool visible) override {
        if (visible) searchTexts.push_back(text);
        searchVisible = visible;
    }
    void SetDelayBox(const std::string&) override {}
    void RefreshLinkLabel() override {}

    std::vector<std::string> messages;
    std::vector<int> progress;  // per cent; -1 when hidden
    std::vector<std::string> searchTexts;
    bool searchVisible = false;
    bool locked = false;
    int focus = -1;
};

class FakePrompt : public qsp::Prompt {
public:
    struct Box {
        std::string text, title;
        qsp::PromptIcon icon;
    };
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons) override {
        boxes.push_back({text, title, icon});
        return qsp::PromptAnswer::Ok;
    }
    std::optional<std::string> OpenFileName(const qsp::FileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFileName(const qsp::FileDialogRequest&) override { return {}; }
    void Beep() override { ++beeps; }

    std::vector<Box> boxes;
    int beeps = 0;
};

}  // namespace qsptest
