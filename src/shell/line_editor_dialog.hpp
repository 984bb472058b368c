// "Modifier l'observation": one line of the active field book as labelled
// fields, checked and written back into the document.
#pragma once
#include <memory>
#include <vector>
#include <QDialog>

#include "tools/line_editor.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrova {

class Prompts;
class TEditForm;
class TFMain_velka;

class TFModifligne : public QDialog {
    Q_OBJECT
public:
    TFModifligne(TEditForm& document, Prompts& prompts, QWidget* parent = nullptr);

    // Takes the mode and the current line from the document and shows it;
    // false (after saying so) when the document is no field book.
    bool Open();

    QLineEdit *Numligne, *Ptvise, *Ah, *Av, *Dp, *ppm, *Hv, *prisme;
    QLabel *LNumligne, *LPtvise, *LAh, *LAv, *LDp, *Lppm, *LHv, *Lprisme;
    QLabel* UAv;  // the unit of a station's pressure, beside its field
    QPushButton *Ajouter, *Supprimer, *Precedente, *Suivante, *Valider, *ValiderQuitter, *Annuler;

    int CurrentIndex() const { return index_; }

    void AjouterClick();
    void SupprimerClick();
    void PrecedenteClick();
    void SuivanteClick();
    // True when the line was written or had nothing to write.
    bool ValiderClick();
    void ValiderQuitterClick();
    // "Annuler", Escape or the window's close box: a line added and not
    // validated since is taken out again (with what "Ajouter" renumbered),
    // so that the book is as it was.
    void reject() override;

private:
    TEditorMode Mode() const;
    void ShowCurrent();
    void ApplyLayout(TObsLayout layout);
    void ClearFields();
    TObsFields Fields() const;
    // An XML book parsed once (on a worker) for the steps that follow;
    // dropped when a line is added or removed.
    TXmlBookLines& XmlBook();

    TEditForm& document_;
    Prompts& prompts_;
    int index_ = 0;
    int direction_ = 1;
    // The lines added by "Ajouter" and not followed by any other change of
    // the book, in order; each adding is one step of the editor's undo.
    std::vector<int> adds_;
    std::unique_ptr<TXmlBookLines> xml_;
};

// The menu command (F7, and the document's context menu).
void Modifierlobservation1Click(TFMain_velka& main);

}  // namespace kestrova
