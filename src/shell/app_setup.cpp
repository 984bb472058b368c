#include "shell/app_setup.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

// The resource is compiled into a library: its registration must be
// referenced to be linked in.
static void InitProgramResources() { Q_INIT_RESOURCE(kestrova); }

namespace kestrova {

QStringList InstallFrenchTranslations(QCoreApplication& app, const QString& folder) {
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    QStringList loaded;
    for (const char* catalogue : {"qtbase_fr", "qscintilla_fr"}) {
        auto* translator = new QTranslator(&app);  // lives as long as the application
        if (translator->load(QString::fromLatin1(catalogue), where) && QCoreApplication::installTranslator(translator)) {
            loaded << QString::fromLatin1(catalogue);
        } else {
            delete translator;
        }
    }
    return loaded;
}

QIcon ProgramIcon() {
    InitProgramResources();
    return QIcon(QStringLiteral(":/kestrova/kestrova.svg"));
}

}  // namespace kestrova
