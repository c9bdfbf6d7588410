#pragma once
// "Special Keyboard - <row>": the entries of a character run, one byte each, filled by typing a
// character or by the 36 key buttons and menu items. The dialog edits the scratch buffer; closing
// it (EXIT, the Exit menu or the close box) always writes the entries back.

#include <QDialog>
#include <array>
#include <string>

#include "base/interface_text.h"
#include "workbench/key_sequence_model.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qsp {

class SpecialKeyboardDialog : public QDialog {
    Q_OBJECT
public:
    // `count` entries over the scratch bytes; `keyboardLayout` is the image's layout byte (the
    // UK keys are offered for "English (UK)" only); `rowLabel` names the row in the caption.
    SpecialKeyboardDialog(SpecialKeyboardModel::Scratch& scratch, int count,
                          std::uint8_t keyboardLayout, const std::string& rowLabel,
                          const InterfaceText& text, QWidget* parent = nullptr);

    QLineEdit* Entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
    QPushButton* Key(int k) const { return keys_[static_cast<std::size_t>(k)]; }
    QPushButton* Command2(int index) const { return command2_[static_cast<std::size_t>(index)]; }
    QAction* KeyItem(int k) const { return keyItems_[static_cast<std::size_t>(k)]; }
    QAction* AllClearItem() const { return allClearItem_; }
    const SpecialKeyboardModel& Model() const { return model_; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus(const InterfaceText& text);
    void InsertKey(int k);
    void AllClear();
    void EnterIn(int entry);
    void Refresh();
    void FocusEntry(int entry);
    int EntryOf(QObject* object) const;

    SpecialKeyboardModel model_;
    bool refreshing_ = false;
    QWidget* area_ = nullptr;
    std::array<QLineEdit*, kMaxKeyboardEntries> entries_{};
    std::array<QLabel*, kMaxKeyboardEntries> labels_{};
    std::array<QPushButton*, kSpecialKeyCount> keys_{};
    std::array<QAction*, kSpecialKeyCount> keyItems_{};
    std::array<QPushButton*, 2> command2_{};
    QAction* allClearItem_ = nullptr;
};

}  // namespace qsp
