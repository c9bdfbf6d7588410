#include "workbench/print_choice_dialog.h"

#include <QRadioButton>

#include "base/qt_text.h"
#include "base/window_style.h"

namespace qsp {
namespace {

constexpr const char* kChosenColour = "color: rgb(0, 0, 255);";

}  // namespace

PrintChoiceDialog::PrintChoiceDialog(const InterfaceText& text, QWidget* parent) : QDialog(parent) {
    setObjectName("PrintChoiceDialog");
    auto t = [&text](int id) { return Q(text.LoadText(id)); };
    setWindowTitle(t(147) + " " + t(148));
    resize(300, 110);
    const int captions[2] = {201, 202};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(t(captions[i]), this);
        option->setObjectName(QString("Option%1").arg(i + 1));
        option->setGeometry(30, 20 + i * 40, 240, 28);
        if (text.Japanese()) ApplyJapaneseFont(option);
        connect(option, &QRadioButton::clicked, this, [this, i] { Choose(i); });
        options_[static_cast<std::size_t>(i)] = option;
    }
    if (text.Japanese()) ApplyJapaneseFont(this);
    options_[0]->setChecked(true);
}

void PrintChoiceDialog::Choose(int choice) {
    choice_ = choice;
    options_[static_cast<std::size_t>(choice)]->setStyleSheet(kChosenColour);
    options_[static_cast<std::size_t>(1 - choice)]->setStyleSheet("");
}

}  // namespace qsp
