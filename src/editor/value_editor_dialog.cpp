#include "editor/value_editor_dialog.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "editor/option_lists.h"

namespace qsp {
namespace {

// Inner size of the dialog as designed; the controls are placed in it and scaled with it.
constexpr int kDesignWidth = 420;
constexpr int kDesignHeight = 176;

}  // namespace

ValueEditorDialog::ValueEditorDialog(ValueEditorModel& model, const InterfaceText& text,
                                     QWidget* parent)
    : QDialog(parent), model_(model), language_(text.language()) {
    const CatalogueText translate(text.language());
    setWindowTitle(Q(translate("Parameters Setting")));
    BuildControls();
    ApplyLanguage(text);
    resize(kDesignWidth, kDesignHeight);
    SaveLayout(this, QSize(kDesignWidth, kDesignHeight));
    if (!model_.Opens()) return;

    // "Setting : " and the row's label, in the window's language.
    setWindowTitle(Q(translate("Setting") + " : " + translate(model_.Label())));
    label1_->setText(Q(translate(model_.Label())));
    // The list or the box is known by the row it edits, as Label1 above it reads.
    label1_->setBuddy(model_.UsesList() ? static_cast<QWidget*>(combo1_) : text1_);
    combo1_->setVisible(model_.UsesList());
    text1_->setVisible(!model_.UsesList());
    if (model_.UsesList()) {
        ShowList(translate);
        combo1_->setFocus();
    } else {
        text1_->setText(Q(model_.Characters()));  // the model hears back what fits
        text1_->setFocus();
    }
    if (model_.HintVisible()) {
        label2_->setText(Q(model_.HintText(text)));
        label2_->setVisible(true);
        FitHint();
    }
}

// A hint that takes more lines than its place holds (the cable hint in Japanese) makes the
// dialog taller: the hint grows, the buttons move down, and the layout is recorded again.
void ValueEditorDialog::FitHint() {
    const int extra = label2_->heightForWidth(label2_->width()) - label2_->height();
    if (extra <= 0) return;
    label2_->resize(label2_->width(), label2_->height() + extra);
    for (QPushButton* button : command1_)
        button->move(button->x(), button->y() + extra);
    resize(kDesignWidth, kDesignHeight + extra);
    SaveLayout(this, QSize(kDesignWidth, kDesignHeight + extra));
}

void ValueEditorDialog::BuildControls() {
    auto* focusColours = new FocusColours(this);

    label1_ = new QLabel("Label1", this);
    label1_->setObjectName("Label1");
    label1_->setGeometry(14, 12, 392, 22);

    combo1_ = new QComboBox(this);
    combo1_->setObjectName("Combo1");
    combo1_->setGeometry(14, 40, 392, 26);
    // The list takes typed text too; it counts only when it equals an entry exactly (Enter or
    // "OK" look it up), so nothing completes or adds entries as the user types.
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setCompleter(nullptr);
    combo1_->setMaxVisibleItems(12);
    combo1_->installEventFilter(this);
    combo1_->lineEdit()->installEventFilter(this);
    connect(combo1_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_) model_.Choose(index);
    });
    connect(combo1_->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& typed) { model_.SetListText(ListKey(S(typed))); });

    text1_ = new QLineEdit("Text1", this);
    text1_->setObjectName("Text1");
    text1_->setGeometry(14, 40, 120, 26);
    text1_->setToolTip(Q(CatalogueText(language_)("Max 2 bytes")));
    text1_->setMaxLength(2);
    text1_->setVisible(false);
    connect(text1_, &QLineEdit::textChanged, this,
            [this](const QString& typed) { model_.SetCharacters(S(typed)); });
    focusColours->Watch(text1_);

    label2_ = new QLabel(
        "Not every system can use it when Fast; when it could not, please return back to Normal",
        this);
    label2_->setObjectName("Label2");
    label2_->setGeometry(14, 74, 392, 44);
    label2_->setWordWrap(true);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2_->setVisible(false);

    const char* const captions[3] = {"Default", "OK", "Cancel"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QString("Command1_%1").arg(i));
        button->setGeometry(36 + i * 124, 128, 100, 34);
        connect(button, &QPushButton::clicked, this, [this, i] { RunCommand(i); });
        focusColours->Watch(button);
        command1_[static_cast<std::size_t>(i)] = button;
    }
    // Enter outside the list means OK (in the character box too); a focused button still takes
    // Enter for itself.
    command1_[kButtonOk]->setDefault(true);
}

void ValueEditorDialog::ApplyLanguage(const InterfaceText& text) {
    command1_[kButtonDefault]->setText(Q(text.LoadText(164)));
    command1_[kButtonOk]->setText(Q(text.LoadText(165)));
    command1_[kButtonCancel]->setText(Q(text.LoadText(166)));
    if (!text.Japanese()) return;
    ApplyJapaneseFont(this);
    for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(label2_),
                       static_cast<QWidget*>(combo1_), static_cast<QWidget*>(text1_)}) {
        ApplyJapaneseFont(w);
    }
    for (QPushButton* b : command1_)
        ApplyJapaneseFont(b);
}

// Puts the model's list, selection and text into Combo1. A text without a selected entry
// ("Null" or nothing) is shown in place of an entry.
void ValueEditorDialog::ShowList(const CatalogueText& translate) {
    showing_ = true;
    if (combo1_->count() != static_cast<int>(model_.Options().size())) {
        combo1_->clear();
        for (const std::string& option : model_.Options())
            combo1_->addItem(Q(translate(option)));
    }
    combo1_->setCurrentIndex(model_.SelectedIndex());
    if (model_.SelectedIndex() < 0) combo1_->setEditText(Q(translate(model_.ListText())));
    showing_ = false;
}

void ValueEditorDialog::RunCommand(int button) {
    switch (button) {
        case kButtonDefault:
            model_.Default();
            accept();
            break;
        case kButtonOk:
            model_.Ok();
            accept();
            break;
        default:
            model_.Cancel();
            reject();
            break;
    }
}

int ValueEditorDialog::exec() {
    if (!model_.Opens()) return QDialog::Rejected;
    return QDialog::exec();
}

// The list text the model compares with its entries: a translated entry or "Null" as typed stands
// for its English text, anything else for itself.
std::string ValueEditorDialog::ListKey(const std::string& typed) const {
    const CatalogueText translate(language_);
    if (typed == translate(editor::kNullText)) return editor::kNullText;
    for (const std::string& option : model_.Options()) {
        if (typed == translate(option)) return option;
    }
    return typed;
}

bool ValueEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == combo1_ || watched == combo1_->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            model_.EnterInList();
            ShowList(CatalogueText(language_));
            command1_[kButtonOk]->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ValueEditorDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ScaleLayout(this);
}

}  // namespace qsp
