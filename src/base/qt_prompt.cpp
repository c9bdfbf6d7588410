#include "base/qt_prompt.h"
#include "base/qt_text.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace qsp {

QString QtFileFilter(const std::string& filter) {
    // Pairs of "description|patterns" separated by '|'; patterns separated by ';'.
    const QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << parts[i] + " (" + patterns + ")";
    }
    if (out.isEmpty() && !filter.empty()) out << Q(filter);
    return out.join(";;");
}

PromptAnswer QtPrompt::MessageBox(const std::string& text, const std::string& title,
                                  PromptIcon icon, PromptButtons buttons) {
    QMessageBox box(Parent());
    box.setWindowTitle(Q(title));
    box.setText(Q(text));
    switch (icon) {
        case PromptIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case PromptIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case PromptIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case PromptIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case PromptIcon::None:
            break;
    }
    switch (buttons) {
        case PromptButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case PromptButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case PromptButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            return PromptAnswer::Cancel;
    }
}

std::optional<std::string> QtPrompt::OpenFileName(const FileDialogRequest& request) {
    const QString name = QFileDialog::getOpenFileName(
        Parent(), Q(request.title), Q(request.initialPath), QtFileFilter(request.filter));
    if (name.isEmpty()) return std::nullopt;
    return S(name);
}

std::optional<std::string> QtPrompt::SaveFileName(const FileDialogRequest& request) {
    QFileDialog dialog(Parent(), Q(request.title), Q(request.initialPath),
                       QtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Q(request.defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return S(dialog.selectedFiles().first());
}

void QtPrompt::Beep() {
    QApplication::beep();
}

std::optional<PrintTarget> QtPrompt::PrintDialog(const std::string& title) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, Parent());
    if (!title.empty()) dialog.setWindowTitle(Q(title));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    PrintTarget target;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        target.outputFile = S(printer.outputFileName());
    } else {
        target.printerName = S(printer.printerName());
    }
    const QSizeF size = printer.pageLayout().pageSize().size(QPageSize::Point);
    target.pageWidthPoints = size.width();
    target.pageHeightPoints = size.height();
    target.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    target.copies = printer.copyCount();
    return target;
}

}  // namespace qsp
