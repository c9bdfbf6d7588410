#pragma once
// The "Parameters Setting" dialog: one parameter's value picked from a list or typed as up to
// two characters. It shows a ValueEditorModel and passes the user's actions to it; the result
// is in the model's scratch buffer, whichever button closed the dialog.

#include <array>

#include <QDialog>

#include "base/interface_text.h"
#include "catalogue/catalogue_text.h"
#include "editor/value_editor_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qsp {

class ValueEditorDialog : public QDialog {
    Q_OBJECT

public:
    enum Button { kButtonDefault = 0, kButtonOk = 1, kButtonCancel = 2 };

    ValueEditorDialog(ValueEditorModel& model, const InterfaceText& text,
                      QWidget* parent = nullptr);

    // Runs the dialog modally; returns at once when the model does not open (row below 1).
    int exec() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void ApplyLanguage(const InterfaceText& text);
    void ShowList(const CatalogueText& translate);
    void FitHint();
    std::string ListKey(const std::string& typed) const;
    void RunCommand(int button);

    ValueEditorModel& model_;
    Language language_;
    QLabel* label1_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLabel* label2_ = nullptr;
    std::array<QPushButton*, 3> command1_{};
    bool showing_ = false;  // the list is being refilled from the model
};

}  // namespace qsp
