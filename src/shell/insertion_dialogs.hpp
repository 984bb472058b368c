// The dialogs that insert ready-made lines into the active document: a
// station header, a prism definition, a target-height definition and a
// centring equation. An invalid field turns red and nothing is inserted.
#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrova {

class TFMain_velka;

// Paints a field red, or back to the normal colour.
void MarkInvalid(QLineEdit* edit, bool invalid);
bool IsMarkedInvalid(const QLineEdit* edit);

// "Ajout de station" (modal): inserted before the caret's line.
class TF_add_station : public QDialog {
    Q_OBJECT
public:
    explicit TF_add_station(TFMain_velka& main);
    // Chooses the default format from the active document.
    void Prepare();
    QLineEdit *Label_station, *Label_temp, *Label_Press, *Label_hauteur;
    QRadioButton *gsi, *carnet;  // the items of "Format de sortie" (RG_output_format)
    QPushButton* Ok;
    QPushButton* Annuler;  // closes without inserting, as Escape does
    void OkClick();

private:
    TFMain_velka& main_;
};

// "Ajout de prisme" and "Ajout de hauteur voyant ou tourillons" (modeless):
// inserted as the first line.
class TDefinitionDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Prism, Height };
    TDefinitionDialog(TFMain_velka& main, Kind kind);
    QLineEdit *edit_nom_prisme, *Edit_constante_prisme;
    QPushButton* Ok;
    void OkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TFMain_velka& main_;
    Kind kind_;
};

// "Equation de centrage (obs)" (modeless): three lines at the top.
class TFAddEquationCentrage : public QDialog {
    Q_OBJECT
public:
    explicit TFAddEquationCentrage(TFMain_velka& main);
    QLineEdit *EditFrom, *EditTo, *EditHt, *EditSigmaHt, *EditSigmaCentrage;
    QPushButton* Ok;
    void OkClick();

private:
    TFMain_velka& main_;
};

}  // namespace kestrova
