#pragma once
// A list of rows of the property list found across its pages: by Find (with a field in which
// the user types), the rows changed from their factory values, or the rows in which a file
// differs. Each result names the page heading, the row and its values; Enter or a double-click
// on a result hands its page and row to the settings window and closes the list.

#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "workbench/param_search.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace qsp {

class RowListDialog : public QDialog {
    Q_OBJECT
public:
    using Search = std::function<std::vector<FoundRow>(const std::string& query)>;

    // `headers`: the page, the row, its value and, when there are four, the other value.
    // `emptyText` is shown when the list is empty.
    RowListDialog(const InterfaceText& text, const QString& title, const QStringList& headers,
                  const QString& emptyText, QWidget* parent);

    // Adds the find field above the list: every change of its text lists what `search` finds.
    void EnableFind(Search search);
    // Lists these rows.
    void ShowResults(const std::vector<FoundRow>& rows);
    // A line below the list ("Differing bytes that no row shows: 3").
    void SetNote(const QString& note);

    QLineEdit* FindField() const { return field_; }
    QTreeWidget* Results() const { return results_; }
    QLabel* Note() const { return note_; }

signals:
    // The user picked the row at position `row` (from 1; 0 for none) of page `page`.
    void Chosen(int page, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int index);

    const InterfaceText& text_;
    QString emptyText_;
    Search search_;
    std::vector<FoundRow> rows_;
    QLabel* prompt_ = nullptr;
    QLineEdit* field_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace qsp
