#include "base/window_style.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
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
