#pragma once
// Every message box, file dialog and print dialog the program shows goes through this
// interface, so tests can answer them and the command-line tool can print them instead.

#include <optional>
#include <string>

namespace qsp {

enum class PromptIcon { None, Information, Exclamation, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::string filter;         // e.g. "(*.Dec)|*.dec;*.DEC;*.Dec"
    std::string defaultSuffix;  // e.g. "Dec"
    std::string initialPath;    // folder or file name proposed to the user
};

// The printer the user chose in the print dialog.
struct PrintTarget {
    std::string printerName;     // empty: the default printer
    std::string outputFile;      // not empty: a PDF file written instead of printing
    double pageWidthPoints = 0;  // the paper's size in points, portrait; 0: the printer's own
    double pageHeightPoints = 0;
    bool landscape = false;
    int copies = 1;
};

class Prompt {
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer MessageBox(const std::string& text, const std::string& title,
                                    PromptIcon icon, PromptButtons buttons) = 0;

    // The chosen file name, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFileName(const FileDialogRequest& request) = 0;

    // The system beep.
    virtual void Beep() = 0;

    // The print dialog: the printer (or PDF file) chosen, or nothing when the user cancelled.
    virtual std::optional<PrintTarget> PrintDialog(const std::string& title) {
        (void)title;
        return std::nullopt;
    }
};

}  // namespace qsp
