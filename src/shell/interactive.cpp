#include "shell/interactive.hpp"

#include <clocale>

#include <QApplication>
#include <QMessageBox>

#include "app/param.hpp"
#include "shell/main_window.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

int RunInteractive(int argc, char** argv, const std::vector<std::string>& files) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrova");
    // Qt has set the user's locale: numbers are read and written with "."
    // for the whole run.
    std::setlocale(LC_NUMERIC, "C");

    SetParamMessageSinks(
        [](const std::string& text) { QMessageBox::information(nullptr, "Kestrova", Q(text)); },
        [](const std::string& text) { QMessageBox::critical(nullptr, "Kestrova", Q(text)); });
    read_ini();

    TFMain_velka main;
    main.show();
    for (const std::string& file : files) main.OpenAsDocument(Q(file));
    // The parameters are stored when the window closes (also by "Quitter").
    return app.exec();
}

}  // namespace kestrova
