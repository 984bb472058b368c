#include "shell/niv_dialog.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/decimal_comma.hpp"
#include "base/format.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

TFniv::TFniv(QWidget* parent) : QDialog(parent) {
    setObjectName("Fniv");
    setWindowTitle("Nivellement");
    // A title bar without a close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* frame = new QGroupBox(QString::fromUtf8("Gestion des écarts-type"), this);
    frame->setObjectName("GroupBox1");
    RB_defaut = new QRadioButton(QString::fromUtf8("Ecarts-type par défaut (valeurs issues du niveau)"), frame);
    RB_defaut->setObjectName("RB_defaut");
    RB_dist = new QRadioButton(QString::fromUtf8("Ecarts-type pondérés sur les distances (sigma*sqrt(D))"), frame);
    RB_dist->setObjectName("RB_dist");
    RB_nb_mes = new QRadioButton(
        QString::fromUtf8("Ecarts-type pondérés sur le nombre de mesures (sigma*sqrt(n))"), frame);
    RB_nb_mes->setObjectName("RB_nb_mes");
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(RB_defaut);
    frameLayout->addWidget(RB_dist);
    frameLayout->addWidget(RB_nb_mes);

    auto* label = new QLabel(QString::fromUtf8("Ecart-type de référence (mm) : "), this);
    edit_sigma = new QLineEdit(this);
    edit_sigma->setObjectName("edit_sigma");
    edit_sigma->setMaximumWidth(80);
    auto* sigmaRow = new QHBoxLayout;
    sigmaRow->addWidget(label);
    sigmaRow->addWidget(edit_sigma);
    sigmaRow->addStretch();

    bt_ok = new QPushButton("Ok", this);
    bt_ok->setObjectName("bt_ok");
    bt_ok->setDefault(true);
    connect(bt_ok, &QPushButton::clicked, this, &QDialog::accept);
    bt_annuler = new QPushButton("Annuler", this);
    bt_annuler->setObjectName("bt_annuler");
    bt_annuler->setAutoDefault(false);
    connect(bt_annuler, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bt_ok);
    buttons->addWidget(bt_annuler);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(sigmaRow);
    layout->addLayout(buttons);
}

void TFniv::Show(const TNivSettings& settings) {
    RB_defaut->setChecked(settings.mode == TWeighting::Default);
    RB_dist->setChecked(settings.mode == TWeighting::Distance);
    RB_nb_mes->setChecked(settings.mode == TWeighting::Count);
    edit_sigma->setText(Q(Format("%.1f", settings.sigma)));
}

TNivSettings TFniv::Result(const TNivSettings& previous) const {
    const int selected = RB_defaut->isChecked() ? 0 : RB_dist->isChecked() ? 1 : RB_nb_mes->isChecked() ? 2 : -1;
    // "0,5" is read as "0.5", as in every other numeric field.
    return WeightingDialogResult(previous, selected, WithDecimalPoint(S(edit_sigma->text())));
}

std::optional<TNivSettings> TFniv::Run(const TNivSettings& settings) {
    Show(settings);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return Result(settings);
}

}  // namespace kestrova
