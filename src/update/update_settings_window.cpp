#include "update/update_settings_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <vector>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"

namespace qsp {

namespace {

// Design sizes, in twips.
constexpr int kWidth = 6600;
constexpr int kFullHeight = 3960;
constexpr int kShortHeight = 3120;
constexpr int kRowTop = 120;
constexpr int kRowStep = 420;
constexpr int kLabelLeft = 120;
constexpr int kBoxLeft = 1500;

int RowTop(int row) {
    return kRowTop + kRowStep * row;
}

// A key that would put text into a list's box, or take text out of it.
bool TypesText(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return true;
        default:
            break;
    }
    const auto modifiers = key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    return modifiers == Qt::NoModifier && !key.text().isEmpty() && key.text().at(0).isPrint();
}

}  // namespace

UpdateSettingsWindow::UpdateSettingsWindow(AppState& state, Prompt& prompt,
                                           const InterfaceText& text, UpdateSettingsMode mode,
                                           QWidget* parent)
    : QDialog(parent),
      model_(std::make_unique<UpdateSettingsModel>(state, prompt, text, mode)),
      translate_(text.language()) {
    setWindowTitle(Q(CatalogueText(text.language())(UpdateSettingsModel::kCaption)));
    Build(text);
}

UpdateSettingsWindow::~UpdateSettingsWindow() = default;

void UpdateSettingsWindow::Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                        TwipsToPixels(height));
}

void UpdateSettingsWindow::Build(const InterfaceText& text) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    menuBar_ = new QMenuBar(this);
    layout->setMenuBar(menuBar_);
    canvas_ = new QWidget(this);
    layout->addWidget(canvas_);
    canvas_->setMinimumSize(TwipsToPixels(kWidth), TwipsToPixels(1500));
    resize(TwipsToPixels(kWidth), TwipsToPixels(kFullHeight));

    const CatalogueText& translate = translate_;
    mnuEXIT_ = menuBar_->addAction(Q(translate("EXIT [OK]")) + "  (&E)");
    mnuOpenUpdatePath_ = menuBar_->addAction(Q(text.LoadText(103) + "(&O)"));
    connect(mnuEXIT_, &QAction::triggered, this, [this] { ExitOk(); });
    connect(mnuOpenUpdatePath_, &QAction::triggered, this, [this] { OpenUpdatePath(); });

    auto* colours = new FocusColours(this);
    static const std::array<const char*, 9> kDesignCaptions = {
        "Comm Port",   "Baud Rate",   "Data Parity", "Data Length", "Stop Bits",
        "Update Type", "RS232-Delay", "USB-Delay",   "PS2-Delay"};
    for (int i = 0; i < 9; ++i) {
        auto* label =
            new QLabel(Q(translate(kDesignCaptions[static_cast<std::size_t>(i)])), canvas_);
        if (i < 6) label->setText(Q(text.LoadText(193 + i)));
        Place(label, kLabelLeft, RowTop(std::min(i, 5)), 1300, 300);
        label1_[static_cast<std::size_t>(i)] = label;
    }
    for (int i = 0; i < 6; ++i) {
        auto* combo = new QComboBox(canvas_);
        // Editable only so that the box can show a text that is not an item (115200); typing is
        // discarded.
        combo->setEditable(true);
        combo->lineEdit()->setReadOnly(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const auto& item : UpdateSettingsModel::Items(i))
            combo->addItem(Q(translate(item)));
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
        Place(combo, kBoxLeft, RowTop(i) - 20, 1700, 330);
        combo1_[static_cast<std::size_t>(i)] = combo;
    }
    combo1_[0]->setToolTip(Q(translate("Comm max to 16")));
    // Each list is known by the label beside it (a screen reader would otherwise name it by its
    // value).
    for (int i = 0; i < 6; ++i)
        label1_[static_cast<std::size_t>(i)]->setBuddy(combo1_[static_cast<std::size_t>(i)]);
    combo1_[1]->setEditText("9600");
    connect(combo1_[5], &QComboBox::activated, this, [this](int index) {
        TakeValues();
        model_->UpdateTypeClick(index);
        ShowValues();
    });

    check1_ = new QCheckBox(Q(text.LoadText(192)), canvas_);
    Place(check1_, 3500, kRowTop, 2800, 300);

    frame1_ = new QGroupBox(Q(text.LoadText(116)), canvas_);
    Place(frame1_, kLabelLeft, RowTop(6) + 60, kWidth - 360, 780);
    text1_[0] = new QLineEdit("C:\\", frame1_);
    Place(text1_[0], 120, 300, kWidth - 1400, 330);
    command1_[1] = new QPushButton(frame1_);
    command1_[1]->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    command1_[1]->setToolTip(Q(text.LoadText(103)));
    text1_[0]->setAccessibleName(frame1_->title());
    command1_[1]->setAccessibleName(Q(translate("Choose the update file")));
    Place(command1_[1], kWidth - 1180, 260, 600, 400);
    connect(command1_[1], &QPushButton::clicked, this, [this] { OpenUpdatePath(); });

    static const std::array<const char*, 3> kDelays = {"500", "2", "1"};
    for (int i = 1; i <= 3; ++i) {
        text1_[static_cast<std::size_t>(i)] =
            new QLineEdit(kDelays[static_cast<std::size_t>(i - 1)], canvas_);
        Place(text1_[static_cast<std::size_t>(i)], kBoxLeft, RowTop(5) - 20, 1000, 330);
        label1_[static_cast<std::size_t>(i + 5)]->setBuddy(text1_[static_cast<std::size_t>(i)]);
    }

    command1_[0] = new QPushButton(Q(text.LoadText(165)), canvas_);
    command1_[0]->setToolTip(Q(text.LoadText(199)));
    Place(command1_[0], 3500, RowTop(4) - 40, 1300, 450);
    connect(command1_[0], &QPushButton::clicked, this, [this] { ExitOk(); });
    command1_[0]->setAutoDefault(false);
    command1_[1]->setAutoDefault(false);

    label2_ = new QLabel(canvas_);
    Place(label2_, 5000, RowTop(2), 1200, 600);
    label2_->installEventFilter(this);

    // Tab in reading order: the left column (the lists, then the delay box), the right one
    // (Automation, OK), then the path frame below.
    std::vector<QWidget*> order(combo1_.begin(), combo1_.end());
    order.insert(order.end(),
                 {text1_[1], text1_[2], text1_[3], check1_, command1_[0], text1_[0], command1_[1]});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (auto* b : command1_)
        colours->Watch(b);
    for (auto* t : text1_)
        colours->Watch(t);

    if (text.Japanese()) {
        ApplyJapaneseFont(this);
        for (int i = 0; i < 6; ++i)
            ApplyJapaneseFont(label1_[static_cast<std::size_t>(i)]);
        ApplyJapaneseFont(frame1_);
        ApplyJapaneseFont(check1_);
        ApplyJapaneseFont(text1_[0]);
    }

    // Nothing shows until activation decides.
    for (auto* w : label1_)
        w->hide();
    for (auto* w : combo1_)
        w->hide();
    for (int i = 1; i <= 3; ++i)
        text1_[static_cast<std::size_t>(i)]->hide();
    check1_->hide();
    frame1_->hide();
}

void UpdateSettingsWindow::SetHeightTwips(int twips) {
    canvas_->setMinimumHeight(0);
    canvas_->setFixedHeight(TwipsToPixels(twips));
    resize(width(), menuBar_->sizeHint().height() + TwipsToPixels(twips));
}

void UpdateSettingsWindow::showEvent(QShowEvent* event) {
    if (!activated_) {
        activated_ = true;
        Activate();
    }
    QDialog::showEvent(event);
}

void UpdateSettingsWindow::Activate() {
    const UpdateSettingsLayout layout = model_->Activate();
    mnuOpenUpdatePath_->setVisible(layout.openMenu);
    if (layout.keyboardLink) {
        Place(command1_[0], 5000, 50, 1300, 450);
        const int box = layout.delayLabel - 5;  // Label1(7) belongs to Text1(2)
        QLabel* label = label1_[static_cast<std::size_t>(layout.delayLabel)];
        Place(label, 240, 120, 1200, 300);
        Place(text1_[static_cast<std::size_t>(box)], kBoxLeft, 120, 1000, 330);
        label2_->move(label2_->x(), TwipsToPixels(50));
        label->show();
        text1_[static_cast<std::size_t>(box)]->show();
        ShowValues();
        return;
    }
    check1_->show();
    if (layout.pathFrame) frame1_->show();
    if (layout.shortWindow) SetHeightTwips(kShortHeight);
    if (layout.delayLabel == 6) {
        label1_[6]->show();
        text1_[1]->show();
    }
    for (int i = 0; i < layout.lists; ++i) {
        label1_[static_cast<std::size_t>(i)]->show();
        combo1_[static_cast<std::size_t>(i)]->show();
    }
    ShowValues();
}

void UpdateSettingsWindow::ShowValues() {
    const UpdateSettingsValues& v = model_->Values();
    for (int i = 0; i < 6; ++i) {
        QComboBox* combo = combo1_[static_cast<std::size_t>(i)];
        // The lists show the translation of the text the settings hold.
        const QString value = Q(translate_(v.lists[static_cast<std::size_t>(i)]));
        const int index = combo->findText(value);
        if (index >= 0) combo->setCurrentIndex(index);
        combo->setEditText(value);
    }
    text1_[0]->setText(Q(v.path));
    text1_[1]->setText(Q(v.rs232Delay));
    text1_[2]->setText(Q(v.usbDelay));
    text1_[3]->setText(Q(v.ps2Delay));
    check1_->setChecked(v.automation);
}

void UpdateSettingsWindow::TakeValues() {
    UpdateSettingsValues& v = model_->Values();
    for (int i = 0; i < 6; ++i) {
        v.lists[static_cast<std::size_t>(i)] = EnglishChoice(
            S(combo1_[static_cast<std::size_t>(i)]->currentText()), UpdateSettingsModel::Items(i));
    }
    v.path = S(text1_[0]->text());
    v.rs232Delay = S(text1_[1]->text());
    v.usbDelay = S(text1_[2]->text());
    v.ps2Delay = S(text1_[3]->text());
    v.automation = check1_->isChecked();
}

void UpdateSettingsWindow::ExitOk() {
    TakeValues();
    model_->Exit();
    accept();
}

void UpdateSettingsWindow::OpenUpdatePath() {
    TakeValues();
    model_->OpenUpdatePath();
    ShowValues();
    command1_[1]->setFocus();
}

void UpdateSettingsWindow::TestSwitch() {
    model_->TestSwitch();
}

bool UpdateSettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label2_ && event->type() == QEvent::MouseButtonDblClick) {
        TestSwitch();
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        // The lists take no typed text: their text comes only from the list or the program. The
        // keys that move through a list, open it or leave the window still work.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool space = key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier;
        for (auto* combo : combo1_) {
            if (space && watched == combo && event->type() == QEvent::KeyPress) {
                combo->showPopup();  // as a list that takes no text opens on Space
                return true;
            }
        }
        if (TypesText(*key)) {
            for (auto* combo : combo1_) {
                if (watched == combo || watched == combo->lineEdit()) return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qsp
