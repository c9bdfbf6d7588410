#include "base/window_style.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QVariant>

#include "base/layout_scaling.h"
#include "base/qt_text.h"

namespace qsp {
namespace {

constexpr const char* kTagProperty = "layoutTag";
constexpr const char* kBaseWidth = "layoutBaseWidth";
constexpr const char* kBaseHeight = "layoutBaseHeight";

}  // namespace

void SaveLayout(QWidget* window, QSize innerSize) {
    if (!innerSize.isValid()) innerSize = window->size();
    window->setProperty(kBaseWidth, innerSize.width());
    window->setProperty(kBaseHeight, innerSize.height());
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow()) continue;
        const QRect g = child->geometry();
        child->setProperty(kTagProperty, Q(LayoutTag({g.left(), g.top(), g.width(), g.height()})));
    }
}

void ScaleLayout(QWidget* window) {
    const int baseWidth = window->property(kBaseWidth).toInt();
    const int baseHeight = window->property(kBaseHeight).toInt();
    if (baseWidth <= 0 || baseHeight <= 0) return;
    const double wr = static_cast<double>(window->width()) / baseWidth;
    const double hr = static_cast<double>(window->height()) / baseHeight;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow()) continue;
        const auto rect = ParseLayoutTag(S(child->property(kTagProperty).toString()));
        if (!rect) continue;
        const LayoutRect r = ScaleRect(*rect, wr, hr);
        child->setGeometry(r.left, r.top, r.width, r.height);
    }
}

void FocusColours::Watch(QWidget* widget) {
    widget->installEventFilter(this);
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QTextEdit*>(widget)) {
        widget->setStyleSheet("color: rgb(0, 0, 192);");
    }
}

bool FocusColours::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // Enter presses the focused button as Space does, in windows as in dialogs.
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (button && enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->click();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    const bool in = event->type() == QEvent::FocusIn;
    if (qobject_cast<QAbstractButton*>(widget)) {
        widget->setStyleSheet(in ? "background-color: rgb(192, 192, 255);" : "");
    } else {
        widget->setStyleSheet(in ? "background-color: rgb(192, 255, 192); color: rgb(255, 0, 0);"
                                 : "color: rgb(0, 0, 192);");
    }
    return false;
}

namespace {

class FocusFrame : public QObject {
public:
    explicit FocusFrame(QAbstractItemView* view) : QObject(view), view_(view) {
        const QPalette palette = view->palette();
        full_ = palette.color(QPalette::Active, QPalette::Highlight);
        fullText_ = palette.color(QPalette::Active, QPalette::HighlightedText);
        const QColor base = palette.color(QPalette::Active, QPalette::Base);
        dimmed_ = QColor((full_.red() + 2 * base.red()) / 3, (full_.green() + 2 * base.green()) / 3,
                         (full_.blue() + 2 * base.blue()) / 3);
        dimmedText_ = palette.color(QPalette::Active, QPalette::Text);
        view->setStyleSheet(
            QString("QAbstractItemView { border: 2px solid %1; }"
                    "QAbstractItemView:focus { border: 2px solid %2; }"
                    "QAbstractItemView::item:focus { border: 1px solid %2; }")
                .arg(palette.color(QPalette::Active, QPalette::Mid).name(), full_.name()));
        Show(view->hasFocus());
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) Show(true);
        if (event->type() == QEvent::FocusOut) Show(false);
        return false;
    }

private:
    void Show(bool focused) {
        QPalette palette = view_->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Highlight, focused ? full_ : dimmed_);
            palette.setColor(group, QPalette::HighlightedText, focused ? fullText_ : dimmedText_);
        }
        view_->setPalette(palette);
    }

    QAbstractItemView* view_;
    QColor full_, fullText_, dimmed_, dimmedText_;
};

}  // namespace

void FitScreen(QWidget* window) {
    const QScreen* shown = window->screen();
    if (!shown) return;
    const QRect room = shown->availableGeometry();
    const QStyle* style = window->style();
    const int frame = style->pixelMetric(QStyle::PM_TitleBarHeight) +
                      2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    window->resize(std::min(window->width(), room.width()),
                   std::min(window->height(), room.height() - frame));
}

void ShowFocusFrame(QAbstractItemView* view) {
    new FocusFrame(view);
}

QString JapaneseFontFamily() {
    for (const char* family :
         {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "Droid Sans Fallback"}) {
        if (QFontDatabase::hasFamily(family)) return family;
    }
    return "Noto Sans CJK JP";
}

void ApplyJapaneseFont(QWidget* widget) {
    QFont font = widget->font();
    font.setFamily(JapaneseFontFamily());
    widget->setFont(font);
}

}  // namespace qsp
