// Conversions between the program's UTF-8 strings and Qt's strings.
#pragma once
#include <string>
#include <vector>

#include <QString>

namespace kestrova {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

// Remembers the folder of a file the user just chose in a dialog as the
// program's last folder (written back to the ini at exit).
void RememberFolderOf(const QString& path);

}  // namespace kestrova
