#pragma once
// What the commands that write PDF files share: Qt's text and painting need a GUI application,
// which runs on the offscreen platform when there is no display.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli.h"
#include "workbench/qt_printout.h"

namespace qspctl {

// Writes the operations as a PDF file; a Failure when the file cannot be written.
inline void WritePdfFile(const std::string& path, const qsp::PrintOperations& operations,
                         const std::string& documentName) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0') &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Qt's start-up notes (a missing runtime folder and the like) are no concern of a command
    // that reports its own failure; only its errors are shown.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "qspctl: %s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "qspctl";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    // The writer replaces the file; a name in a missing folder fails.
    const auto folder = std::filesystem::absolute(path).parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec) ||
        !qsp::WritePdf(path, operations, documentName) || !std::filesystem::exists(path, ec)) {
        throw Failure{"cannot write " + path};
    }
}

}  // namespace qspctl
