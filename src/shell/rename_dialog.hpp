// "Renommer un point": renames a point throughout the active text field book
// or levelling book, writes the book and keeps the old one as "<book>.backup".
#pragma once
#include <vector>
#include <string>

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kestrova {

class TFMain_velka;

class TFRename_Point : public QDialog {
    Q_OBJECT
public:
    explicit TFRename_Point(TFMain_velka& main);

    // Takes the document's lines and presets the name under the caret;
    // false (after "Fichier vide !") for an empty document.
    bool Prepare();

    QLineEdit *edit_point_from, *Edit_point_to;
    QCheckBox *cb_rename_target, *cb_rename_station;
    QPushButton *Renommer, *Fermer;  // ">" and "Fermer"

    void RenommerClick();

private:
    TFMain_velka& main_;
    std::vector<std::string> input_;
    int current_ = 0;
};

// The menu command ("Ni&vellement", Ctrl+F2).
void RenommerunPoint1Click(TFMain_velka& main);

}  // namespace kestrova
