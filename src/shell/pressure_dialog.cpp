#include "shell/pressure_dialog.hpp"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/options_logic.hpp"

namespace kestrova {

TF_HPa2mmHg::TF_HPa2mmHg(QWidget* parent) : QDialog(parent) {
    setObjectName("F_HPa2mmHg");
    setWindowTitle("hPa <-> mmHg");
    setModal(true);

    lb_hpa_ = new QLineEdit(this);
    lb_hpa_->setObjectName("lb_hpa");
    lb_mmhg_ = new QLineEdit(this);
    lb_mmhg_->setObjectName("lb_mmhg");
    auto* toMmHg = new QPushButton(">", this);
    toMmHg->setObjectName("bt_hpa2mmhg");
    auto* toHpa = new QPushButton("<", this);
    toHpa->setObjectName("bt_mmhg2hpa");
    auto* quit = new QPushButton("Fermer", this);
    quit->setObjectName("bt_quit");
    for (QPushButton* b : {toMmHg, toHpa, quit}) b->setAutoDefault(false);

    auto* labelHpa = new QLabel("Pression (hPa)", this);
    labelHpa->setBuddy(lb_hpa_);
    auto* labelMmHg = new QLabel("Pression (mmHg)", this);
    labelMmHg->setBuddy(lb_mmhg_);

    auto* arrows = new QVBoxLayout;
    arrows->addWidget(toMmHg);
    arrows->addWidget(toHpa);

    auto* grid = new QGridLayout(this);
    grid->addWidget(labelHpa, 0, 0);
    grid->addWidget(labelMmHg, 0, 2);
    grid->addWidget(lb_hpa_, 1, 0);
    grid->addLayout(arrows, 1, 1);
    grid->addWidget(lb_mmhg_, 1, 2);
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(quit);
    bar->addStretch(1);
    grid->addLayout(bar, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(toMmHg, &QPushButton::clicked, this, &TF_HPa2mmHg::Hpa2mmHgClick);
    connect(toHpa, &QPushButton::clicked, this, &TF_HPa2mmHg::MmHg2HpaClick);
    connect(quit, &QPushButton::clicked, this, &QDialog::accept);
}

void TF_HPa2mmHg::Hpa2mmHgClick() {
    if (auto mmHg = ConvertHpaTextToMmHg(lb_hpa_->text().toStdString()))
        lb_mmhg_->setText(QString::fromStdString(*mmHg));
}

void TF_HPa2mmHg::MmHg2HpaClick() {
    if (auto hpa = ConvertMmHgTextToHpa(lb_mmhg_->text().toStdString()))
        lb_hpa_->setText(QString::fromStdString(*hpa));
}

}  // namespace kestrova
