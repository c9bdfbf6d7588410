#pragma once
// What every window of the program shares: the proportional layout, the focus colours of
// buttons and text boxes, and the Japanese font.

#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>

class QAbstractItemView;

namespace qsp {

// Records the window's inner size and writes each child's "left top width height" into its tag
// (the dynamic property "layoutTag").
// `innerSize` is the size the controls were placed for, when the window has not been laid out yet.
void SaveLayout(QWidget* window, QSize innerSize = QSize());

// Moves and sizes every child whose tag holds four numbers by the ratio of the window's current
// inner size to the recorded one. Children without a tag are left alone.
void ScaleLayout(QWidget* window);

// Gives a focused button the background (192, 192, 255), and a focused text box a light green
// background with red text (otherwise dark blue text on the window colour). Enter presses a
// watched button that has the focus.
class FocusColours : public QObject {
public:
    explicit FocusColours(QObject* parent) : QObject(parent) {}
    void Watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Makes the window no larger than its screen's free area, leaving room for its frame and title
// bar (a tall Japanese list, a small screen, a large scale); its controls scale with it.
void FitScreen(QWidget* window);

// Shows which list or tree has the focus: a frame in the selection colour around it while it has
// the focus, and its selection dimmed while it has not.
void ShowFocusFrame(QAbstractItemView* view);

// The font face used for Japanese texts (installed by the set-up script).
QString JapaneseFontFamily();

// Switches the widget's font face to the Japanese one, keeping its size.
void ApplyJapaneseFont(QWidget* widget);

// Twips (1/1440 inch at 96 dpi, 15 to a pixel) to pixels.
constexpr int TwipsToPixels(int twips) {
    return twips / 15;
}

}  // namespace qsp
