#pragma once
// Message boxes, file dialogs, the print dialog and the beep, shown with Qt.

#include <QWidget>
#include <functional>

#include "base/prompt.h"

namespace qsp {

class QtPrompt : public Prompt {
public:
    // `parent` returns the window the dialogs belong to (may return null).
    explicit QtPrompt(std::function<QWidget*()> parent = {}) : parent_(std::move(parent)) {}

    PromptAnswer MessageBox(const std::string& text, const std::string& title, PromptIcon icon,
                            PromptButtons buttons) override;
    std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
    void Beep() override;
    std::optional<PrintTarget> PrintDialog(const std::string& title) override;

private:
    QWidget* Parent() const { return parent_ ? parent_() : nullptr; }
    std::function<QWidget*()> parent_;
};

// "(*.Dec)|*.dec;*.DEC;*.Dec" -> "(*.Dec) (*.dec *.DEC *.Dec)", the form Qt's dialogs take.
QString QtFileFilter(const std::string& filter);

}  // namespace qsp
