#include "workbench/key_sequence_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/window_style.h"
#include "catalogue/catalogue_text.h"

namespace qsp {
namespace {

constexpr int kDesignWidth = 780;
constexpr int kDesignHeight = 410;
constexpr const char* kCurrentStyle =
    "background-color: rgb(192, 255, 192); color: rgb(255, 0, 0);";
constexpr const char* kNormalStyle = "color: rgb(0, 0, 192);";

// The keys of each key menu, in menu order.
constexpr int kFunctionKeys[] = {20, 21, 22, 23, 24, 35};
constexpr int kSpecialKeys[] = {29, 30, 31, 32, 27, 28, 33, 34};
constexpr int kDirectionKeys[] = {25, 26, 12, 13, 18, 19, 16, 17, 15, 14};

}  // namespace

SpecialKeyboardDialog::SpecialKeyboardDialog(SpecialKeyboardModel::Scratch& scratch, int count,
                                             std::uint8_t keyboardLayout,
                                             const std::string& rowLabel, const InterfaceText& text,
                                             QWidget* parent)
    : QDialog(parent), model_(scratch, count) {
    setObjectName("SpecialKeyboardDialog");
    const CatalogueText translate(text.language());
    setWindowTitle(Q(translate("Special Keyboard") + " - " + translate(rowLabel)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    area_ = new QWidget(this);
    area_->setMinimumSize(390, 205);

    for (int i = 0; i < kMaxKeyboardEntries; ++i) {
        const int x = 12 + (i / 8) * 260;
        const int y = 12 + (i % 8) * 30;
        auto* label = new QLabel(QString::number(i + 1), area_);
        label->setObjectName(QString("Label1_%1").arg(i));
        label->setGeometry(x, y, 40, 24);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* entry = new QLineEdit(area_);
        entry->setObjectName(QString("Text1_%1").arg(i));
        entry->setGeometry(x + 48, y, 180, 24);
        entry->setToolTip(Q(translate("Serial")) + QString(" %1").arg(i + 1));
        entry->setAccessibleName(entry->toolTip());
        entry->installEventFilter(this);
        connect(entry, &QLineEdit::textEdited, this, [this, i](const QString& s) {
            model_.TextChanged(i, S(s));
            Refresh();
        });
        connect(entry, &QLineEdit::returnPressed, this, [this, i] { EnterIn(i); });
        const bool shown = i < model_.Count();
        label->setVisible(shown);
        entry->setVisible(shown);
        labels_[static_cast<std::size_t>(i)] = label;
        entries_[static_cast<std::size_t>(i)] = entry;
    }

    const bool uk = keyboardLayout == kUkKeyboardLayout;
    for (int k = 0; k < kSpecialKeyCount; ++k) {
        const SpecialKey& key = SpecialKeyAt(k);
        auto* button = new QPushButton(Q(key.button), area_);
        button->setObjectName(QString("Command1_%1").arg(k));
        button->setGeometry(12 + (k % 9) * 84, 264 + (k / 9) * 36, 80, 32);
        button->setToolTip(Q(translate(key.tip)));
        // Keys go into the current entry; they do not take the focus from it.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setVisible(!IsUkKey(k) || uk);
        connect(button, &QPushButton::clicked, this, [this, k] { InsertKey(k); });
        keys_[static_cast<std::size_t>(k)] = button;
    }

    auto* colours = new FocusColours(this);
    const char* const captions[2] = {"EXIT", "All Clear"};
    const int tips[2] = {106, 167};
    for (int c = 0; c < 2; ++c) {
        auto* button = new QPushButton(Q(translate(captions[c])), area_);
        button->setObjectName(QString("Command2_%1").arg(c));
        button->setGeometry(560, 12 + c * 52, 200, 42);
        button->setToolTip(Q(text.LoadText(tips[c])));
        button->setAutoDefault(false);
        colours->Watch(button);
        command2_[static_cast<std::size_t>(c)] = button;
    }
    connect(command2_[0], &QPushButton::clicked, this, &QDialog::close);
    connect(command2_[1], &QPushButton::clicked, this, [this] { AllClear(); });
    command2_[1]->setVisible(model_.Count() >= 2);

    BuildMenus(text);
    layout->addWidget(area_);
    allClearItem_->setEnabled(model_.Count() >= 2);
    for (int k : {33, 34})
        keyItems_[static_cast<std::size_t>(k)]->setEnabled(uk);

    if (text.Japanese()) {
        ApplyJapaneseFont(this);
        for (QWidget* w : area_->findChildren<QWidget*>())
            ApplyJapaneseFont(w);
    }
    area_->resize(kDesignWidth, kDesignHeight);
    resize(kDesignWidth, kDesignHeight + layout->menuBar()->sizeHint().height());
    SaveLayout(area_, QSize(kDesignWidth, kDesignHeight));
    area_->installEventFilter(this);
    Refresh();
    entries_[0]->setFocus();
}

void SpecialKeyboardDialog::BuildMenus(const InterfaceText& text) {
    auto t = [&text](int id) { return Q(text.LoadText(id)); };
    auto* bar = new QMenuBar(this);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);

    QMenu* exitMenu = bar->addMenu(t(106) + "(&E)");
    exitMenu->setObjectName("munExit");
    QAction* home = exitMenu->addAction(t(106));
    home->setObjectName("munExitHome");
    connect(home, &QAction::triggered, this, &QDialog::close);
    allClearItem_ = exitMenu->addAction(t(167));
    allClearItem_->setObjectName("munAllClear");
    connect(allClearItem_, &QAction::triggered, this, [this] { AllClear(); });

    auto addKeys = [this](QMenu* menu, const int* keys, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            const int k = keys[i];
            QAction* action = menu->addAction(Q(SpecialKeyAt(k).button));
            action->setObjectName(SpecialKeyAt(k).menuItem);
            connect(action, &QAction::triggered, this, [this, k] { InsertKey(k); });
            keyItems_[static_cast<std::size_t>(k)] = action;
        }
    };
    QMenu* fMenu = bar->addMenu(t(168));
    fMenu->setObjectName("munF_Input");
    int fKeys[12];
    for (int k = 0; k < 12; ++k)
        fKeys[k] = k;
    addKeys(fMenu, fKeys, 12);
    QMenu* function = bar->addMenu(t(169));
    function->setObjectName("munFunctionInput");
    addKeys(function, kFunctionKeys, std::size(kFunctionKeys));
    QMenu* special = bar->addMenu(t(170));
    special->setObjectName("munSpecially");
    addKeys(special, kSpecialKeys, std::size(kSpecialKeys));
    QMenu* direction = bar->addMenu(t(171));
    direction->setObjectName("munDirection");
    addKeys(direction, kDirectionKeys, std::size(kDirectionKeys));
}

int SpecialKeyboardDialog::EntryOf(QObject* object) const {
    for (int i = 0; i < model_.Count(); ++i) {
        if (object == entries_[static_cast<std::size_t>(i)]) return i;
    }
    return -1;
}

void SpecialKeyboardDialog::FocusEntry(int entry) {
    if (entry >= 0 && entry < model_.Count()) entries_[static_cast<std::size_t>(entry)]->setFocus();
}

void SpecialKeyboardDialog::InsertKey(int k) {
    const int next = model_.InsertKey(k);
    Refresh();
    FocusEntry(next);
}

void SpecialKeyboardDialog::AllClear() {
    const int first = model_.AllClear();
    Refresh();
    FocusEntry(first);
}

void SpecialKeyboardDialog::EnterIn(int entry) {
    const int next = model_.Enter(entry);
    Refresh();
    FocusEntry(next);
}

void SpecialKeyboardDialog::Refresh() {
    refreshing_ = true;
    for (int i = 0; i < model_.Count(); ++i) {
        QLineEdit* entry = entries_[static_cast<std::size_t>(i)];
        const QString shown = Q(model_.Text(i));
        if (entry->text() != shown) entry->setText(shown);
        entry->setEnabled(model_.Enabled(i));
        entry->setStyleSheet(i == model_.Current() ? kCurrentStyle : kNormalStyle);
    }
    refreshing_ = false;
}

void SpecialKeyboardDialog::done(int result) {
    // Closing leaves the entry being typed in, as moving to the EXIT button does.
    const int focused = EntryOf(focusWidget());
    if (focused >= 0) model_.Leave(focused);
    model_.Close();
    QDialog::done(result);
}

bool SpecialKeyboardDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && event->type() == QEvent::Resize) ScaleLayout(area_);
    const int entry = EntryOf(watched);
    if (entry >= 0 && !refreshing_) {
        if (event->type() == QEvent::FocusIn) {
            model_.SetCurrent(entry);
            Refresh();
            entries_[static_cast<std::size_t>(entry)]->selectAll();
        } else if (event->type() == QEvent::FocusOut) {
            model_.Leave(entry);
            Refresh();
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qsp
