// What every window of the program shares: Qt's own texts in French and
// the program's icon.
#pragma once
#include <QIcon>
#include <QStringList>

class QCoreApplication;

namespace kestrova {

// Loads the French texts of Qt (file, print and page dialogs, message-box
// buttons, the overwrite question) and of the editor control, whatever the
// user's locale: the whole window speaks French, LANG=C included. Looks in
// `folder`, by default Qt's translations folder. Returns the catalogues
// loaded ("qtbase_fr", "qscintilla_fr"); one that is missing is skipped.
QStringList InstallFrenchTranslations(QCoreApplication& app, const QString& folder = QString());

// The program's icon (also the one the desktop entry names).
QIcon ProgramIcon();

}  // namespace kestrova
