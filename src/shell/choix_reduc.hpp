// The "Réduction" dialog shown before a field book is reduced.
#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrova {

class TFChoixReduc : public QDialog {
    Q_OBJECT
public:
    enum class Result { Valider, Annuler, Closed };

    explicit TFChoixReduc(QWidget* parent = nullptr);

    // Shows the dialog modally and tells which way it was left.
    Result Run();

    QRadioButton* rb_coord = nullptr;     // "Je souhaite fournir un fichier de coordonnées (*.corr)"
    QRadioButton* rb_classique = nullptr; // "Je ne fournis pas de fichier de coordonnées"
    QLineEdit* ed_fichier = nullptr;
    QPushButton* bt_parcourir = nullptr;
    QPushButton* bt_annuler = nullptr;
    QPushButton* bt_valider = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Browse();
    void UpdateBrowseState();
    Result result_ = Result::Closed;
};

}  // namespace kestrova
