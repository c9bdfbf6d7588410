// QSP: sets up a handheld barcode scanner from this computer.

#include <QApplication>
#include <QLocale>

#include "app/program.h"
#include "base/app_paths.h"
#include "base/qt_language.h"
#include "base/single_instance.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("qsp");
    QApplication::setDesktopFileName("io.github.qsp.QSP");

    const auto exeDir = qsp::ExecutableDir();
    qsp::AppState state;
    state.SettingsDir = qsp::SettingsDirFor(exeDir);

    // A second copy ends at once: no window, and the settings file is left alone.
    qsp::SingleInstance instance(state.SettingsDir);
    if (instance.AnotherIsRunning()) return 0;

    const qsp::InterfaceText text(qsp::LanguageForLocale(QLocale::system().name().toStdString()));
    // Qt's own dialogs and standard buttons speak the same language, in its script's font.
    qsp::InstallQtTranslations(app, text.language());
    qsp::ApplyLanguageFont(app, text.language());
    qsp::Program program(state, text, qsp::PictureDirFor(exeDir));
    program.Window().show();
    return app.exec();
}
