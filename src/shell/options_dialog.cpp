#include "shell/options_dialog.hpp"

#include <algorithm>

#include <QButtonGroup>
#include <QFontMetrics>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/options_logic.hpp"
#include "base/param.hpp"
#include "import/gsi_header_style.hpp"

namespace kestrova {

namespace {

const char* const kCaption = "Options";
const char* const kConfirmCaption = "Veuillez confirmer le choix du format.";
const char* const kExamples[3] = {kGsiExampleTS, kGsiExampleCovadis, kGsiExampleTc800};

QString QStr(const std::string& s) { return QString::fromStdString(s); }

// A radio group: a titled box of radio buttons numbered from 0.
QButtonGroup* AddRadioGroup(QGroupBox* box, QGridLayout* grid, const QStringList& items) {
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        radio->setObjectName(box->objectName() + QString("_item%1").arg(i));
        group->addButton(radio, i);
        grid->addWidget(radio, i, 0);
    }
    return group;
}

// Some captions are long: with a wide default font they would be cut by the
// fixed width of the dialog, so their font is reduced until the longest one
// fits (never below 7 points). `extra` is the room taken beside the text
// (the radio indicator).
void FitTexts(const QList<QWidget*>& widgets, const QStringList& texts, int width, int extra) {
    if (widgets.isEmpty()) return;
    QFont font = widgets.front()->font();
    if (font.pointSizeF() <= 0) return;
    auto widest = [&] {
        const QFontMetrics fm(font);
        int w = 0;
        for (const QString& t : texts) w = std::max(w, fm.horizontalAdvance(t) + extra);
        return w;
    };
    bool changed = false;
    while (widest() > width && font.pointSizeF() > 7.0) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        changed = true;
    }
    if (changed)
        for (QWidget* w : widgets) w->setFont(font);
}

void FitRadioTexts(QGroupBox* box, int width) {
    QList<QWidget*> widgets;
    QStringList texts;
    for (QRadioButton* r : box->findChildren<QRadioButton*>()) {
        widgets << r;
        texts << r->text();
    }
    FitTexts(widgets, texts, width, 24);
}

QLineEdit* NewEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

TF_opt::TF_opt(QWidget* parent) : QDialog(parent) {
    FormCreate();
}

void TF_opt::FormCreate() {
    setObjectName("F_opt");
    caption_ = kCaption;
    setWindowTitle(caption_);
    setFixedSize(560, 351);
    setModal(true);

    auto* main = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl");
    main->addWidget(pages_, 1);

    // ---- "Import gsi"
    optionGsi_ = new QWidget;
    optionGsi_->setObjectName("Option_gsi");
    {
        auto* page = new QVBoxLayout(optionGsi_);
        auto* box = new QGroupBox("Format de l'entête du fichier gsi", optionGsi_);
        box->setObjectName("RG_gis_header_format");
        auto* grid = new QGridLayout(box);
        gsiHeader_ = AddRadioGroup(
            box, grid,
            {"Format TS (code=Station, temp, press, Ht (mm) - réduction météo par Kestrova)",
             "Format Covadis (code=1, Station, Ht (mm) - réduction météo dans l'instrument)",
             "Format Orvel (code=0, Station, Ht (m), temp, press - réduction météo par Kestrova)"});
        const char* names[3] = {"bt_exemple_TS", "bt_exemple_covadis", "Bt_exemple_tc800"};
        for (int i = 0; i < 3; ++i) {
            auto* bt = new QPushButton("?", box);
            bt->setObjectName(names[i]);
            bt->setFixedWidth(24);
            const char* line = kExamples[i];
            connect(bt, &QPushButton::clicked, this, [this, line] { ShowExample(line); });
            exampleButtons_[i] = bt;
            grid->addWidget(bt, i, 1);
        }
        grid->setColumnStretch(0, 1);
        FitRadioTexts(box, 560 - 100);
        page->addWidget(box);
        page->addStretch(1);
    }
    pages_->addTab(optionGsi_, "Import gsi");

    // ---- "Export Brelix, Gnu Gama et gsi"
    auto* exportPage = new QWidget;
    exportPage->setObjectName("export_brelix");
    {
        auto* page = new QVBoxLayout(exportPage);
        auto* box = new QGroupBox("Tri des observations dans le fichier obs (Brelix)", exportPage);
        box->setObjectName("RG_tri_obs_brelix");
        auto* grid = new QGridLayout(box);
        triObs_ = AddRadioGroup(box, grid,
                                {"Tri par station puis par type d'observation (code)",
                                 "Tri par station puis par observation"});
        page->addWidget(box);

        auto* sigma = new QGroupBox("Ecarts-types a priori", exportPage);
        sigma->setObjectName("gb_sigma");
        auto* sg = new QGridLayout(sigma);
        const char* labels[4] = {"Sigma Hz (grades)", "Sigma V (grades)", "Sigma  Dp (m)", "Sigma  Dp mode RL (m)"};
        const char* names[4] = {"ed_sigmaHz", "ed_sigmaV", "ed_sigmaDp", "ed_sigmaDpRL"};
        for (int i = 0; i < 4; ++i) {
            sigmaEdits_[i] = NewEdit(sigma, names[i]);
            auto* label = new QLabel(labels[i], sigma);
            label->setBuddy(sigmaEdits_[i]);
            sg->addWidget(label, i / 2, (i % 2) * 2);
            sg->addWidget(sigmaEdits_[i], i / 2, (i % 2) * 2 + 1);
        }
        page->addWidget(sigma);

        ecritureHauteurs_ = new QCheckBox(
            "Ecrire les hauteurs de tourillons et de voyants dans les fichiers Brelix et gsi", exportPage);
        ecritureHauteurs_->setObjectName("CB_ecriture_hauteurs");
        useOuvPourZ0_ = new QCheckBox("Utiliser la cible d'ouverture dans le calcul du Z0", exportPage);
        useOuvPourZ0_->setObjectName("CBUseOUvPourZO");
        page->addWidget(ecritureHauteurs_);
        page->addWidget(useOuvPourZ0_);
        page->addStretch(1);
    }
    pages_->addTab(exportPage, "Export Brelix, Gnu Gama et gsi");

    // ---- "Brelix -> geolab"
    auto* geolabPage = new QWidget;
    geolabPage->setObjectName("Brelix2geolab");
    {
        auto* page = new QVBoxLayout(geolabPage);
        renormaliser_ = new QCheckBox("Renormalisation", geolabPage);
        renormaliser_->setObjectName("CB_renormaliser");
        page->addWidget(renormaliser_);

        renormGroup_ = new QGroupBox("Paramètres de renormalisation", geolabPage);
        renormGroup_->setObjectName("GB_param_renormalisation");
        auto* grid = new QGridLayout(renormGroup_);
        grid->addWidget(new QLabel("Terme additif", renormGroup_), 0, 1);
        grid->addWidget(new QLabel("Facteur", renormGroup_), 0, 2);
        const char* rows[4] = {"AH (grades)", "AV (grades)", "Dp (mètres)", "Dn (mètres)"};
        const char* names[8] = {"Edit_AH_add", "Edit_AH_mult", "Edit_AV_add", "Edit_AV_mult",
                                "Edit_DP_add", "Edit_DP_mult", "Edit_Niv_add", "Edit_Niv_mult"};
        for (int r = 0; r < 4; ++r) {
            grid->addWidget(new QLabel(rows[r], renormGroup_), r + 1, 0);
            for (int c = 0; c < 2; ++c) {
                const int i = r * 2 + c;
                renormEdits_[i] = NewEdit(renormGroup_, names[i]);
                grid->addWidget(renormEdits_[i], r + 1, c + 1);
            }
        }
        page->addWidget(renormGroup_);
        page->addStretch(1);
    }
    pages_->addTab(geolabPage, "Brelix -> geolab");

    // ---- "Météo"
    auto* meteoPage = new QWidget;
    meteoPage->setObjectName("TabSheet_meteo");
    {
        auto* page = new QVBoxLayout(meteoPage);
        auto* box = new QGroupBox("Choix des paramètres météo à utiliser", meteoPage);
        box->setObjectName("RG_meteo");
        auto* grid = new QGridLayout(box);
        meteo_ = AddRadioGroup(box, grid,
                               {"Utiliser la météo saisie dans l'entête des stations",
                                "Utiliser les PPM météo donnés par l'instrument"});
        page->addWidget(box);
        auto* line1 = new QLabel(
            "Si l'option \"utiliser la météo saisie dans l'entête des stations\" est cochée, Kestrova commence ",
            meteoPage);
        line1->setObjectName("Label_meteo1");
        auto* line2 = new QLabel("par enlever la correction effectuée dans l'instrument.", meteoPage);
        line2->setObjectName("Label_meteo2");
        FitTexts({line1, line2}, {line1->text(), line2->text()}, 560 - 50, 0);
        page->addWidget(line1);
        page->addWidget(line2);
        page->addStretch(1);
    }
    pages_->addTab(meteoPage, "Météo");

    // ---- Bottom bar
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    ok->setAutoDefault(true);
    auto* cancel = new QPushButton("Annuler", this);
    cancel->setObjectName("CancelBtn");
    cancel->setAutoDefault(false);
    auto* help = new QPushButton("&Aide", this);
    help->setObjectName("HelpBtn");
    help->setEnabled(false);
    bar->addWidget(ok);
    bar->addWidget(cancel);
    bar->addWidget(help);
    main->addLayout(bar);
    connect(ok, &QPushButton::clicked, this, &TF_opt::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // ---- Values. The switch and the edits are filled once; the edits then
    // change only through this dialog, so they stay in step with the
    // parameters.
    TParam& p = Param();
    renormaliser_->setChecked(p.renormalisation);
    renormGroup_->setEnabled(p.renormalisation);
    // Every change of the box counts, from the mouse or the keyboard.
    connect(renormaliser_, &QCheckBox::toggled, this, &TF_opt::RenormSwitchChanged);

    const auto renormTexts = InitRenormEdits(p);
    for (int i = 0; i < kRenormFieldCount; ++i) {
        renormEdits_[i]->setText(QStr(renormTexts[i]));
        connect(renormEdits_[i], &QLineEdit::textChanged, this, [this, i] { RenormEditChanged(i); });
    }
    for (int i = 0; i < kSigmaFieldCount; ++i)
        sigmaEdits_[i]->setText(QStr(SigmaEditText(p, static_cast<SigmaField>(i))));

    pages_->setCurrentIndex(1);
}

void TF_opt::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TF_opt::FormShow() {
    const TOptionsChoices c = ChoicesFromParam(Param());
    gsiHeader_->button(c.gsiHeader)->setChecked(true);
    triObs_->button(c.triObs)->setChecked(true);
    ecritureHauteurs_->setChecked(c.ecritureHauteurs);
    useOuvPourZ0_->setChecked(c.useOuvPourZ0);
    meteo_->button(c.meteo)->setChecked(true);
    for (int i = 0; i < 3; ++i) {
        exampleButtons_[i]->setToolTip(kExamples[i]);
        exampleButtons_[i]->setStatusTip(kExamples[i]);
    }
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TF_opt::OKBtnClick() {
    TParam& p = Param();
    TOptionsChoices c;
    c.gsiHeader = gsiHeader_->checkedId();
    c.triObs = triObs_->checkedId();
    c.meteo = meteo_->checkedId();
    c.ecritureHauteurs = ecritureHauteurs_->isChecked();
    c.useOuvPourZ0 = useOuvPourZ0_->isChecked();
    ApplyChoices(p, c);

    std::array<std::string, kSigmaFieldCount> texts;
    for (int i = 0; i < kSigmaFieldCount; ++i) texts[i] = sigmaEdits_[i]->text().toStdString();
    ApplySigmaEdits(p, texts);
    for (int i = 0; i < kSigmaFieldCount; ++i) {
        const QString t = QStr(texts[i]);
        if (sigmaEdits_[i]->text() != t) sigmaEdits_[i]->setText(t);
    }
    accept();
}

void TF_opt::done(int result) {
    for (int i = 0; i < kRenormFieldCount; ++i) {
        if (auto back = RenormEditSettled(Param(), static_cast<RenormField>(i), renormEdits_[i]->text().toStdString()))
            renormEdits_[i]->setText(QStr(*back));
    }
    QDialog::done(result);
}

void TF_opt::RenormSwitchChanged(bool ticked) {
    Param().renormalisation = ticked;
    renormGroup_->setEnabled(ticked);
}

void TF_opt::RenormEditChanged(int field) {
    QLineEdit* edit = renormEdits_[field];
    if (auto back = kestrova::RenormEditChanged(Param(), static_cast<RenormField>(field), edit->text().toStdString()))
        edit->setText(QStr(*back));  // raises a new change, with a valid number
}

void TF_opt::ShowExample(const char* line) {
    QMessageBox::information(this, "Kestrova", line);
}

int TF_opt::ShowFromMenu() {
    setWindowTitle(caption_);
    return exec();
}

int TF_opt::Check_gsi_format(const std::vector<std::string>& lines) {
    if (auto style = ProposeGsiHeaderStyle(lines)) Param().entete_gsi = *style;
    setWindowTitle(kConfirmCaption);
    pages_->setCurrentWidget(optionGsi_);
    return exec();
}

}  // namespace kestrova
