#include "workbench/row_list_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/qt_text.h"
#include "base/window_style.h"

namespace qsp {
namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 420;

}  // namespace

RowListDialog::RowListDialog(const InterfaceText& text, const QString& title,
                             const QStringList& headers, const QString& emptyText, QWidget* parent)
    : QDialog(parent), text_(text), emptyText_(emptyText) {
    setObjectName("RowListDialog");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);

    prompt_ = new QLabel(Q(text_.LoadText(230)), this);
    prompt_->setObjectName("FindPrompt");
    field_ = new QLineEdit(this);
    field_->setObjectName("FindField");
    prompt_->setBuddy(field_);
    prompt_->setVisible(false);
    field_->setVisible(false);
    layout->addWidget(prompt_);
    layout->addWidget(field_);

    results_ = new QTreeWidget(this);
    results_->setObjectName("Results");
    results_->setAccessibleName(title);
    results_->setColumnCount(static_cast<int>(headers.size()));
    results_->setHeaderLabels(headers);
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->setAllColumnsShowFocus(true);
    results_->setSelectionMode(QAbstractItemView::SingleSelection);
    results_->header()->setSectionResizeMode(QHeaderView::Interactive);
    results_->setColumnWidth(0, 160);
    results_->setColumnWidth(1, 230);
    ShowFocusFrame(results_);
    layout->addWidget(results_, 1);

    count_ = new QLabel(this);
    count_->setObjectName("Count");
    note_ = new QLabel(this);
    note_->setObjectName("Note");
    note_->setVisible(false);
    auto* hint = new QLabel(Q(text_.LoadText(234)), this);
    hint->setObjectName("Hint");
    layout->addWidget(count_);
    layout->addWidget(note_);
    layout->addWidget(hint);

    auto* colours = new FocusColours(this);
    colours->Watch(field_);
    field_->installEventFilter(this);
    results_->installEventFilter(this);
    connect(results_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Choose(results_->indexOfTopLevelItem(item)); });
    if (text_.Japanese()) {
        ApplyJapaneseFont(this);
        for (QWidget* w : std::initializer_list<QWidget*>{field_, results_, count_, note_, hint}) {
            ApplyJapaneseFont(w);
        }
    }
    resize(kWidth, kHeight);
}

void RowListDialog::EnableFind(Search search) {
    search_ = std::move(search);
    prompt_->setVisible(true);
    field_->setVisible(true);
    connect(field_, &QLineEdit::textChanged, this,
            [this](const QString& query) { ShowResults(search_(S(query))); });
    field_->setFocus();
    ShowResults({});
}

void RowListDialog::ShowResults(const std::vector<FoundRow>& rows) {
    rows_ = rows;
    results_->clear();
    const bool withOther = results_->columnCount() > 3;
    for (const FoundRow& row : rows_) {
        QStringList columns{Q(row.heading), Q(row.label), Q(row.value)};
        if (withOther) columns << Q(row.other);
        new QTreeWidgetItem(results_, columns);
    }
    if (!rows_.empty()) {
        results_->setCurrentItem(results_->topLevelItem(0));
        count_->setText(Q(text_.LoadText(235)) + " " + QString::number(rows_.size()));
    } else {
        // A find field still empty says nothing yet; otherwise the list says why it is empty.
        const bool waiting = search_ && field_->text().trimmed().isEmpty();
        count_->setText(waiting ? QString() : emptyText_);
    }
}

void RowListDialog::SetNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void RowListDialog::Choose(int index) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    const FoundRow& row = rows_[static_cast<std::size_t>(index)];
    const int page = row.page;
    const int position = row.row;
    accept();
    emit Chosen(page, position);
}

bool RowListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == field_ && enter) {
            // Enter in the field takes the result the list has current (the first one).
            Choose(results_->indexOfTopLevelItem(results_->currentItem()));
            return true;
        }
        if (watched == field_ && (key == Qt::Key_Down || key == Qt::Key_Up)) {
            results_->setFocus();
            return false;
        }
        if (watched == results_ && enter) {
            Choose(results_->indexOfTopLevelItem(results_->currentItem()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qsp
