#include "workbench/code_type_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

constexpr int kDesignWidth = 560;
constexpr int kDesignHeight = 300;
constexpr const char* kChangedColour = "color: rgb(0, 0, 255);";

}  // namespace

CodeTypeDialog::CodeTypeDialog(ImageBytes& image, std::size_t first, const InterfaceText& text,
                               QWidget* parent)
    : QDialog(parent), model_(image, first) {
    setObjectName("CodeTypeDialog");
    const std::string caption = CodeTypeDialogCaption(first);
    const CatalogueText translate(text.language());
    setWindowTitle(Q(translate(caption.empty() ? "Code Type" : caption)));
    auto t = [&text](int id) { return Q(text.LoadText(id)); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* menu = new QMenuBar(this);
    layout->setMenuBar(menu);
    const char* const names[3] = {"munHome", "munAllDisable", "munAllEnable"};
    const QString menuCaptions[3] = {t(106) + "(&E)", t(173) + "(&D)", t(172) + "(&A)"};
    // The menu bar shows EXIT, All Enable, All Disable.
    for (int c : {kExit, kAllEnable, kAllDisable}) {
        QAction* action = menu->addAction(menuCaptions[c]);
        action->setObjectName(names[c]);
        connect(action, &QAction::triggered, this, [this, c] { RunCommand(c); });
    }

    area_ = new QWidget(this);
    area_->setMinimumSize(280, 150);
    layout->addWidget(area_);
    for (int i = 0; i < kCodeTypeBoxes; ++i) {
        auto* box = new QCheckBox(Q(CodeTypeCaption(i)), area_);
        box->setObjectName(QString("Check1_%1").arg(i));
        box->setGeometry(16 + (i / 8) * 180, 12 + (i % 8) * 26, 176, 24);
        box->setToolTip(Q(translate(CodeTypeTip(i))));
        connect(box, &QCheckBox::clicked, box, [box] { box->setStyleSheet(kChangedColour); });
        box->installEventFilter(this);
        boxes_[static_cast<std::size_t>(i)] = box;
    }
    const char* const buttonCaptions[3] = {"EXIT", "All Disable", "All Enable"};
    const int tips[3] = {106, 173, 172};
    auto* colours = new FocusColours(this);
    for (int c = 0; c < 3; ++c) {
        auto* button = new QPushButton(Q(translate(buttonCaptions[c])), area_);
        button->setObjectName(QString("Command1_%1").arg(c));
        button->setGeometry(16 + (2 - c) * 180, 236, 160, 40);
        button->setToolTip(t(tips[c]));
        button->setAutoDefault(false);
        colours->Watch(button);
        connect(button, &QPushButton::clicked, this, [this, c] { RunCommand(c); });
        buttons_[static_cast<std::size_t>(c)] = button;
    }
    // Tab takes the buttons from left to right, after the boxes.
    setTabOrder(boxes_.back(), buttons_[kAllEnable]);
    setTabOrder(buttons_[kAllEnable], buttons_[kAllDisable]);
    setTabOrder(buttons_[kAllDisable], buttons_[kExit]);
    if (text.Japanese()) {
        ApplyJapaneseFont(this);
        for (QPushButton* b : buttons_)
            ApplyJapaneseFont(b);
        for (QCheckBox* b : boxes_)
            ApplyJapaneseFont(b);
    }
    area_->resize(kDesignWidth, kDesignHeight);
    resize(kDesignWidth, kDesignHeight + menu->sizeHint().height());
    SaveLayout(area_, QSize(kDesignWidth, kDesignHeight));
    area_->installEventFilter(this);
    LoadBoxes();
}

void CodeTypeDialog::LoadBoxes() {
    for (int i = 0; i < kCodeTypeBoxes; ++i) {
        QCheckBox* box = boxes_[static_cast<std::size_t>(i)];
        box->setChecked(model_.Ticked(i));
        box->setStyleSheet("");
    }
}

void CodeTypeDialog::RunCommand(int command) {
    switch (command) {
        case kExit:
            close();
            break;
        case kAllDisable:
            model_.AllDisable();
            LoadBoxes();
            break;
        case kAllEnable:
            model_.AllEnable();
            LoadBoxes();
            break;
        default:
            break;
    }
}

void CodeTypeDialog::done(int result) {
    // The box that has the focus has not lost it yet: every box is written as it stands.
    for (int i = 0; i < kCodeTypeBoxes; ++i) {
        model_.StoreBox(i, boxes_[static_cast<std::size_t>(i)]->isChecked());
    }
    QDialog::done(result);
}

bool CodeTypeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && event->type() == QEvent::Resize) ScaleLayout(area_);
    if (event->type() == QEvent::FocusOut) {
        for (int i = 0; i < kCodeTypeBoxes; ++i) {
            if (watched == boxes_[static_cast<std::size_t>(i)]) {
                model_.StoreBox(i, boxes_[static_cast<std::size_t>(i)]->isChecked());
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qsp
