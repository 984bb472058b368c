#include "shell/interactive.hpp"

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>

#include <QApplication>
#include <QLocale>
#include <QMessageBox>

#include "base/param.hpp"
#include "shell/app_setup.hpp"
#include "shell/display_check.hpp"
#include "shell/event_loop_probe.hpp"
#include "shell/main_window.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

bool UnsetOrCLocale(const char* value) {
    if (!value || !*value) return true;
    const std::string name(value);
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

}  // namespace

int RunInteractive(int argc, char** argv, const std::vector<std::string>& files) {
#if defined(__linux__)
    // Without a display Qt aborts the process (a core dump for a file name
    // typed in a remote session): say why and stop.
    // A display that is set but does not answer (DISPLAY=:99 of a session
    // that has ended) gets the same answer.
    if ((!Set("QT_QPA_PLATFORM") && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) || !XDisplayReachable()) {
        std::cerr << "Aucun affichage graphique (DISPLAY, WAYLAND_DISPLAY) : la fenêtre ne peut pas s'ouvrir.\n"
                     "En mode console : kestrova -x crt2obs -i ENTREE -o SORTIE (kestrova --help)\n";
        return 1;
    }
#endif
    // A session without a language (LANG=C, POSIX or unset) gets the
    // window's own: French, also for the dates and sizes of Qt's dialogs.
    // A language the user forces with LC_ALL is left alone.
    if (!Set("LC_ALL") && UnsetOrCLocale(std::getenv("LANG"))) ::setenv("LANG", "fr_FR.UTF-8", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrova");
    QApplication::setDesktopFileName("kestrova");
    // Qt's own dialogs in French like the rest of the window, and the
    // program's icon on every window that has none of its own.
    InstallFrenchTranslations(app);
    // Dates and units of those dialogs too (file dates, page margins in mm).
    // Numbers of the program never go through QLocale.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QApplication::setWindowIcon(ProgramIcon());
    // Qt has set the user's locale: numbers are read and written with "."
    // for the whole run.
    std::setlocale(LC_NUMERIC, "C");

    SetParamMessageSinks(
        [](const std::string& text) { QMessageBox::information(nullptr, "Kestrova", Q(text)); },
        [](const std::string& text) { QMessageBox::critical(nullptr, "Kestrova", Q(text)); });
    read_ini();

    TFMain_velka main;
    main.show();
    StartEventLoopProbe();
    for (const std::string& file : files) main.OpenAsDocument(Q(file));
    if (!files.empty()) ProbeMark("documents-opened");
    // The parameters are stored when the window closes (also by "Quitter").
    return app.exec();
}

}  // namespace kestrova
