#include "shell/calibration_dialogs.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

// ---- TFEtalonnage

TFEtalonnage::TFEtalonnage(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName("FEtalonnage");
    setWindowTitle("Etalonnage");
    setModal(true);

    Onglets = new QTabWidget(this);

    // "Créer cibles": name and constant, the list of the targets created.
    auto* creer = new QWidget;
    NomCible = new QLineEdit(creer);
    NomCible->setObjectName("NomCible");
    Constante = new QLineEdit(creer);
    Constante->setObjectName("Constante");
    Creer = new QPushButton(QString::fromUtf8("Créer"), creer);
    Creer->setObjectName("Creer");
    Supprimer = new QPushButton("Supprimer", creer);
    Supprimer->setObjectName("Supprimer");
    ListCibles = new QListWidget(creer);
    ListCibles->setObjectName("ListCibles");
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel("Nom :", creer), 0, 0);
    fields->addWidget(NomCible, 0, 1);
    fields->addWidget(new QLabel("Cste :", creer), 1, 0);
    fields->addWidget(Constante, 1, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(Creer);
    actions->addWidget(Supprimer);
    actions->addStretch(1);
    auto* creerLayout = new QVBoxLayout(creer);
    creerLayout->addLayout(fields);
    creerLayout->addLayout(actions);
    creerLayout->addWidget(new QLabel(QString::fromUtf8("Cibles créées :"), creer));
    creerLayout->addWidget(ListCibles, 1);
    Onglets->addTab(creer, QString::fromUtf8("Créer cibles"));

    // "Collimation": each field labelled by the role it plays.
    auto* collimation = new QWidget;
    ParamCollimation = new QCheckBox(QString::fromUtf8("Paramètres de collimation"), collimation);
    ParamCollimation->setObjectName("ParamCollimation");
    Edit1 = new QLineEdit(collimation);
    Edit1->setObjectName("Edit1");
    Edit2 = new QLineEdit(collimation);
    Edit2->setObjectName("Edit2");
    Edit4 = new QLineEdit(collimation);
    Edit4->setObjectName("Edit4");
    auto* grid = new QGridLayout;
    const std::pair<const char*, QLineEdit*> rows[] = {{"Collimation horizontale (en grades) :", Edit1},
                                                       {"Collimation verticale (en grades) :", Edit2},
                                                       {"Tourillonnement (en grades) :", Edit4}};
    int row = 0;
    for (const auto& [text, edit] : rows) {
        auto* label = new QLabel(QString::fromUtf8(text), collimation);
        label->setBuddy(edit);
        collimationLabels_.push_back(label);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    auto* collimationLayout = new QVBoxLayout(collimation);
    collimationLayout->addWidget(ParamCollimation);
    collimationLayout->addLayout(grid);
    collimationLayout->addStretch(1);
    Onglets->addTab(collimation, "Collimation");

    Valider = new QPushButton("Valider", this);
    Valider->setObjectName("Valider");
    Valider->setAutoDefault(false);
    Annuler = new QPushButton("Annuler", this);
    Annuler->setObjectName("Annuler");
    Annuler->setAutoDefault(false);
    Supprimer->setAutoDefault(false);
    Creer->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Valider);
    buttons->addWidget(Annuler);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Onglets, 1);
    layout->addLayout(buttons);
    resize(420, 360);

    connect(Creer, &QPushButton::clicked, this, [this] { CreerClick(); });
    connect(Supprimer, &QPushButton::clicked, this, [this] { SupprimerClick(); });
    connect(ListCibles, &QListWidget::currentRowChanged, this, [this](int r) { ShowTarget(r); });
    connect(ListCibles, &QListWidget::itemClicked, this, [this] { ShowTarget(ListCibles->currentRow()); });
    connect(ParamCollimation, &QCheckBox::toggled, this, [this] { UpdateCollimationState(); });
    connect(Valider, &QPushButton::clicked, this, [this] {
        validated_ = true;
        accept();
    });
    connect(Annuler, &QPushButton::clicked, this, [this] { reject(); });
    UpdateCollimationState();
}

std::optional<TCalibrationInput> TFEtalonnage::Run() {
    validated_ = false;
    exec();
    if (!validated_) return std::nullopt;
    return Input();
}

TCalibrationInput TFEtalonnage::Input() const {
    TCalibrationInput in;
    in.cibles = cibles_;
    in.collimation.active = ParamCollimation->isChecked();
    in.collimation.horizontale = S(Edit1->text());
    in.collimation.verticale = S(Edit2->text());
    in.collimation.tourillonnement = S(Edit4->text());
    return in;
}

void TFEtalonnage::CreerClick() {
    const auto cste = TargetConstant(S(Constante->text()));
    if (!cste) {
        prompts_.Message(this, QString::fromUtf8("Valeur de la constante incohérente"));
        return;
    }
    cibles_.push_back({S(NomCible->text()), *cste});
    ListCibles->addItem(NomCible->text());
    // Adding the item may have selected it: clear the fields afterwards.
    NomCible->clear();
    Constante->clear();
}

void TFEtalonnage::SupprimerClick() {
    const int row = ListCibles->currentRow();
    if (row < 0 || row >= static_cast<int>(cibles_.size()) || !ListCibles->currentItem() ||
        !ListCibles->currentItem()->isSelected())
        return;
    cibles_.erase(cibles_.begin() + row);
    delete ListCibles->takeItem(row);
    ListCibles->setCurrentRow(-1);
    NomCible->clear();
    Constante->clear();
}

void TFEtalonnage::ShowTarget(int row) {
    if (row < 0 || row >= static_cast<int>(cibles_.size())) return;
    NomCible->setText(Q(cibles_[static_cast<std::size_t>(row)].nom));
    Constante->setText(Q(GeneralNumber(cibles_[static_cast<std::size_t>(row)].cste)));
}

void TFEtalonnage::UpdateCollimationState() {
    const bool on = ParamCollimation->isChecked();
    for (QLineEdit* e : {Edit1, Edit2, Edit4}) e->setEnabled(on);
    for (QLabel* l : collimationLabels_) l->setEnabled(on);
}

// ---- TAffectEtal

TAffectEtal::TAffectEtal(const std::vector<TAssignStation>& stations, const std::vector<TCible>& cibles, int station,
                         QWidget* parent)
    : QDialog(parent), stations_(stations), cibles_(cibles) {
    setObjectName("AffectEtal");
    setWindowTitle("Affectation des cibles");
    setModal(true);

    table_.resize(stations_.size());
    for (std::size_t i = 0; i < stations_.size(); ++i) table_[i].assign(stations_[i].pt_vis.size(), std::string());

    auto* frame = new QGroupBox("Station", this);
    Station = new QLineEdit(frame);
    Station->setObjectName("Station");
    Station->setReadOnly(true);
    Precedente = new QPushButton(QString::fromUtf8("Précédente"), frame);
    Precedente->setObjectName("Precedente");
    Suivante = new QPushButton("Suivante", frame);
    Suivante->setObjectName("Suivante");
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(Station, 1);
    frameLayout->addWidget(Precedente);
    frameLayout->addWidget(Suivante);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName("ListBox2");
    ListBox2->setSelectionMode(QAbstractItemView::NoSelection);
    ListBox3 = new QListWidget(this);
    ListBox3->setObjectName("ListBox3");
    for (const TCible& c : cibles_) ListBox3->addItem(Q(c.nom));

    // The observations and their targets scroll together.
    connect(ListBox1->verticalScrollBar(), &QScrollBar::valueChanged, ListBox2->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(ListBox2->verticalScrollBar(), &QScrollBar::valueChanged, ListBox1->verticalScrollBar(),
            &QScrollBar::setValue);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel("Points vis\u00E9s  I       Cibles", this), 0, 0, 1, 2);
    lists->addWidget(ListBox1, 1, 0);
    lists->addWidget(ListBox2, 1, 1);
    lists->addWidget(new QLabel("Cibles", this), 0, 2);
    lists->addWidget(ListBox3, 1, 2);
    lists->setSpacing(0);
    lists->setHorizontalSpacing(4);

    Valider = new QPushButton("Valider", this);
    Valider->setObjectName("Valider");
    Annuler = new QPushButton("Annuler", this);
    Annuler->setObjectName("Annuler");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Valider);
    buttons->addWidget(Annuler);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(480, 380);

    connect(Precedente, &QPushButton::clicked, this, [this] { ShowStation(current_ - 1); });
    connect(Suivante, &QPushButton::clicked, this, [this] { ShowStation(current_ + 1); });
    connect(ListBox3, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        Assign(ListBox3->row(item));
    });
    connect(Valider, &QPushButton::clicked, this, [this] {
        validated_ = true;
        accept();
    });
    connect(Annuler, &QPushButton::clicked, this, [this] { reject(); });
    ShowStation(station);
}

std::optional<TAssignmentTable> TAffectEtal::Run() {
    validated_ = false;
    exec();
    if (!validated_) return std::nullopt;
    return table_;
}

void TAffectEtal::ShowStation(int index) {
    const int count = static_cast<int>(stations_.size());
    if (count == 0) {
        Precedente->setEnabled(false);
        Suivante->setEnabled(false);
        return;
    }
    current_ = std::clamp(index, 0, count - 1);
    const TAssignStation& s = stations_[static_cast<std::size_t>(current_)];
    Station->setText(Q(s.num) + " - " + Q(s.pt_sta));
    ListBox1->clear();
    ListBox2->clear();
    for (std::size_t k = 0; k < s.pt_vis.size(); ++k) {
        ListBox1->addItem(Q(s.pt_vis[k]));
        ListBox2->addItem(Q(table_[static_cast<std::size_t>(current_)][k]));
    }
    Precedente->setEnabled(current_ > 0);
    Suivante->setEnabled(current_ < count - 1);
}

void TAffectEtal::Assign(int target) {
    const int obs = ListBox1->currentRow();
    if (target < 0 || target >= static_cast<int>(cibles_.size()) || obs < 0 || stations_.empty()) return;
    auto& row = table_[static_cast<std::size_t>(current_)];
    if (obs >= static_cast<int>(row.size())) return;
    row[static_cast<std::size_t>(obs)] = cibles_[static_cast<std::size_t>(target)].nom;
    ListBox2->item(obs)->setText(Q(row[static_cast<std::size_t>(obs)]));
}

// ---- The real dialogs behind the prompts

std::optional<TCalibrationInput> Prompts::EditCalibration(QWidget* parent) {
    TFEtalonnage form(*this, parent);
    return form.Run();
}

std::optional<TAssignmentTable> Prompts::AssignTargets(QWidget* parent, const std::vector<TAssignStation>& stations,
                                                       const std::vector<TCible>& cibles, int station) {
    TAffectEtal form(stations, cibles, station, parent);
    return form.Run();
}

}  // namespace kestrova
