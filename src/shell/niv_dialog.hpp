// The levelling weighting dialog "Nivellement": how the standard deviations
// of the height differences are made, and the reference in mm.
#pragma once
#include <optional>
#include <QDialog>

#include "levelling/niv_model.hpp"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrova {

class TFniv : public QDialog {
    Q_OBJECT
public:
    explicit TFniv(QWidget* parent = nullptr);

    // Shows `settings` (the reference with "%.1f"), runs the dialog and
    // gives the settings it closes with on "Ok"; nothing on "Annuler" or
    // Escape.
    std::optional<TNivSettings> Run(const TNivSettings& settings);
    // What the fields say, `previous` giving the reference when the field
    // holds no valid one.
    TNivSettings Result(const TNivSettings& previous) const;
    void Show(const TNivSettings& settings);

    QRadioButton* RB_defaut = nullptr;
    QRadioButton* RB_dist = nullptr;
    QRadioButton* RB_nb_mes = nullptr;
    QLineEdit* edit_sigma = nullptr;
    QPushButton* bt_ok = nullptr;
    QPushButton* bt_annuler = nullptr;
};

}  // namespace kestrova
