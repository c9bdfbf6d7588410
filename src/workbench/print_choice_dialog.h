#pragma once
// "Property Parameter": where Print sends the listing, the printer (choice 0) or a text file
// (choice 1). It has no OK button: the choice stands when the user closes it.

#include <QDialog>
#include <array>

#include "base/interface_text.h"

class QRadioButton;

namespace qsp {

class PrintChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintChoiceDialog(const InterfaceText& text, QWidget* parent = nullptr);

    int Choice() const { return choice_; }
    QRadioButton* Option(int index) const { return options_[static_cast<std::size_t>(index)]; }

private:
    void Choose(int choice);

    int choice_ = 0;
    std::array<QRadioButton*, 2> options_{};
};

}  // namespace qsp
