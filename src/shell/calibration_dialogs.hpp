// The calibration editor (TFEtalonnage) and the target assignment
// (TAffectEtal) of an XML field book. Their logic lives in tools/: the
// dialogs only collect what the user chooses.
#pragma once
#include <optional>
#include <vector>

#include <QDialog>

#include "tools/calibration_editor.hpp"
#include "tools/target_assignment.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace kestrova {

class Prompts;

class TFEtalonnage : public QDialog {
    Q_OBJECT
public:
    // Messages go through `prompts`.
    TFEtalonnage(Prompts& prompts, QWidget* parent = nullptr);

    // Shown modally: the targets and collimation when "Valider" was pressed.
    std::optional<TCalibrationInput> Run();
    // What the form holds now.
    TCalibrationInput Input() const;

    QTabWidget* Onglets = nullptr;
    QLineEdit* NomCible = nullptr;
    QLineEdit* Constante = nullptr;
    QPushButton* Creer = nullptr;
    QPushButton* Supprimer = nullptr;
    QListWidget* ListCibles = nullptr;
    QCheckBox* ParamCollimation = nullptr;
    QLineEdit* Edit1 = nullptr;  // horizontal collimation
    QLineEdit* Edit2 = nullptr;  // vertical collimation
    QLineEdit* Edit4 = nullptr;  // trunnion-axis tilt
    QPushButton* Valider = nullptr;
    QPushButton* Annuler = nullptr;

private:
    void CreerClick();
    void SupprimerClick();
    void ShowTarget(int row);
    void UpdateCollimationState();

    Prompts& prompts_;
    std::vector<TCible> cibles_;
    std::vector<QLabel*> collimationLabels_;
    bool validated_ = false;
};

class TAffectEtal : public QDialog {
    Q_OBJECT
public:
    // Opens on station `station` (from 0) of `stations`, with `cibles`.
    TAffectEtal(const std::vector<TAssignStation>& stations, const std::vector<TCible>& cibles, int station,
                QWidget* parent = nullptr);

    // Shown modally: the assignment table when "Valider" was pressed.
    std::optional<TAssignmentTable> Run();
    const TAssignmentTable& Table() const { return table_; }
    int CurrentStation() const { return current_; }

    QLineEdit* Station = nullptr;
    QPushButton* Precedente = nullptr;
    QPushButton* Suivante = nullptr;
    QListWidget* ListBox1 = nullptr;  // observations of the station
    QListWidget* ListBox2 = nullptr;  // their targets
    QListWidget* ListBox3 = nullptr;  // the targets
    QPushButton* Valider = nullptr;
    QPushButton* Annuler = nullptr;

private:
    void ShowStation(int index);
    void Assign(int target);

    std::vector<TAssignStation> stations_;
    std::vector<TCible> cibles_;
    TAssignmentTable table_;
    int current_ = 0;
    bool validated_ = false;
};

}  // namespace kestrova
