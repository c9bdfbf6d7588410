#pragma once
// Scripted message boxes, file and print dialogs for the workbench windows.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/fakes.h"

namespace wbtest {

class ScriptedPrompt : public qsptest::FakePrompt {
public:
    qsp::PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                 qsp::PromptIcon icon, qsp::PromptButtons buttons) override {
        FakePrompt::MessageBox(text, title, icon, buttons);
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
    // The print dialog writes a PDF file to `pdf`; empty: the user cancels.
    std::optional<qsp::PrintTarget> PrintDialog(const std::string&) override {
        ++printDialogs;
        if (pdf.empty()) return std::nullopt;
        qsp::PrintTarget target;
        target.outputFile = pdf;
        return target;
    }

    std::deque<qsp::PromptAnswer> answers;         // for OK/Cancel questions; default OK
    std::deque<std::optional<std::string>> files;  // dialog results; none left: cancelled
    std::vector<qsp::FileDialogRequest> requests;
    std::string pdf;
    int printDialogs = 0;

private:
    std::optional<std::string> File(const qsp::FileDialogRequest& r) {
        requests.push_back(r);
        if (files.empty()) return std::nullopt;
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

}  // namespace wbtest
