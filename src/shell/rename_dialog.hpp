// "Renommer un point": renames a point throughout the active text field book
// or levelling book, writes the book and keeps the old one as "<book>.backup".
#pragma once
#include <vector>
#include <string>

#include <QDialog>

#include "tools/rename_point.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrova {

class TFMain_velka;
class TEditForm;

class TFRename_Point : public QDialog {
    Q_OBJECT
public:
    explicit TFRename_Point(TFMain_velka& main);

    // Takes the document's lines and presets the name under the caret;
    // false (after "Fichier vide !") for an empty document.
    bool Prepare();

    QLineEdit *edit_point_from, *Edit_point_to;
    QCheckBox *cb_rename_target, *cb_rename_station;
    QPushButton *Renommer, *Fermer;  // "Renommer" and "Fermer"
    QLabel* probleme;                // why the new name is refused

    void RenommerClick();

private:
    void RenameSavedBook(TEditForm& document, const std::string& from, const std::string& to,
                         const TRenameOptions& options);

    TFMain_velka& main_;
    std::vector<std::string> input_;
    int current_ = 0;
    TRenameBook book_ = TRenameBook::Other;
};

// The menu command ("Ni&vellement", Ctrl+F2).
void RenommerunPoint1Click(TFMain_velka& main);

}  // namespace kestrova
