#include "shell/insertion_dialogs.hpp"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/qt_text.hpp"
#include "tools/insertions.hpp"

namespace kestrova {

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

QLineEdit* AddField(QWidget* parent, QFormLayout* form, const char* name, const char* caption,
                    const char* value = "") {
    auto* edit = new QLineEdit(U(value), parent);
    edit->setObjectName(name);
    form->addRow(U(caption), edit);
    return edit;
}

QPushButton* AddOk(QDialog* dialog, QVBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton("Ok", dialog);
    ok->setObjectName("Ok");
    ok->setDefault(true);
    row->addWidget(ok);
    layout->addLayout(row);
    return ok;
}

std::string Text(const QLineEdit* edit) { return S(edit->text()); }

}  // namespace

void MarkInvalid(QLineEdit* edit, bool invalid) {
    QPalette palette = QApplication::palette(edit);
    if (invalid) palette.setColor(QPalette::Base, Qt::red);
    edit->setPalette(palette);
}

bool IsMarkedInvalid(const QLineEdit* edit) { return edit->palette().color(QPalette::Base) == QColor(Qt::red); }

// ------------------------------------------------------------ station header

TF_add_station::TF_add_station(TFMain_velka& main) : QDialog(&main), main_(main) {
    setObjectName("F_add_station");
    setWindowTitle("Ajout de station");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    Label_station = AddField(this, form, "Label_station", "Station");
    Label_temp = AddField(this, form, "Label_temp", "Température (°C)", "12.0");
    Label_Press = AddField(this, form, "Label_Press", "Pression (mmHg)", "760.0");
    Label_hauteur = AddField(this, form, "Label_hauteur", "Hauteur d'instrument (m)", "0.000");
    layout->addLayout(form);
    auto* group = new QGroupBox("Format de sortie", this);
    group->setObjectName("RG_output_format");
    auto* radios = new QVBoxLayout(group);
    gsi = new QRadioButton("gsi", group);
    gsi->setObjectName("gsi");
    carnet = new QRadioButton("carnet", group);
    carnet->setObjectName("carnet");
    radios->addWidget(gsi);
    radios->addWidget(carnet);
    carnet->setChecked(true);
    layout->addWidget(group);
    Ok = AddOk(this, layout);
    connect(Ok, &QPushButton::clicked, this, [this] { OkClick(); });
    Annuler = new QPushButton("Annuler", this);
    Annuler->setObjectName("Annuler");
    Annuler->setAutoDefault(false);
    // Beside "Ok", in the button row that AddOk put last.
    qobject_cast<QHBoxLayout*>(layout->itemAt(layout->count() - 1)->layout())->addWidget(Annuler);
    connect(Annuler, &QPushButton::clicked, this, &QDialog::reject);
}

void TF_add_station::Prepare() {
    TEditForm* document = main_.ActiveDocument();
    const bool text = !document || DefaultStationFormatOfText(document->Text()) == TStationFormat::Carnet;
    (text ? carnet : gsi)->setChecked(true);
}

void TF_add_station::OkClick() {
    TEditForm* document = main_.ActiveDocument();
    if (!document) return;
    TStationHeaderInput in{Text(Label_station), Text(Label_temp), Text(Label_Press), Text(Label_hauteur),
                           gsi->isChecked() ? TStationFormat::Gsi : TStationFormat::Carnet};
    const TStationHeaderResult r = BuildStationHeader(in);
    MarkInvalid(Label_station, r.badName);
    MarkInvalid(Label_temp, r.badTemperature);
    MarkInvalid(Label_Press, r.badPressure);
    MarkInvalid(Label_hauteur, r.badHeight);
    if (!r.line) return;
    document->InsertLines(document->CaretLine() - 1, {*r.line});
    accept();
}

// ------------------------------------------------------------ definitions

TDefinitionDialog::TDefinitionDialog(TFMain_velka& main, Kind kind) : QDialog(&main), main_(main), kind_(kind) {
    const bool prism = kind == Kind::Prism;
    setObjectName(prism ? "F_add_prism" : "F_add_defhauteur");
    setWindowTitle(prism ? "Ajout de prisme" : "Ajout de hauteur voyant ou tourillons");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edit_nom_prisme = AddField(this, form, "edit_nom_prisme", prism ? "Nom du prisme" : "Nom du point");
    Edit_constante_prisme = AddField(this, form, "Edit_constante_prisme",
                                     prism ? "Constante de prisme (m)" : "Hauteur (m)", "0.0000");
    layout->addLayout(form);
    Ok = AddOk(this, layout);
    connect(Ok, &QPushButton::clicked, this, [this] { OkClick(); });
}

void TDefinitionDialog::showEvent(QShowEvent* event) {
    edit_nom_prisme->clear();
    Edit_constante_prisme->setText("0.0000");
    MarkInvalid(edit_nom_prisme, false);
    MarkInvalid(Edit_constante_prisme, false);
    QDialog::showEvent(event);
}

void TDefinitionDialog::OkClick() {
    TEditForm* document = main_.ActiveDocument();
    if (!document) return;
    const TDefinitionResult r = kind_ == Kind::Prism
                                    ? BuildPrismDefinition(Text(edit_nom_prisme), Text(Edit_constante_prisme))
                                    : BuildHeightDefinition(Text(edit_nom_prisme), Text(Edit_constante_prisme));
    MarkInvalid(edit_nom_prisme, r.badName);
    MarkInvalid(Edit_constante_prisme, r.badValue);
    if (!r.line) return;
    document->InsertLines(0, {*r.line});
    close();
}

// ------------------------------------------------------------ centring

TFAddEquationCentrage::TFAddEquationCentrage(TFMain_velka& main) : QDialog(&main), main_(main) {
    setObjectName("FAddEquationCentrage");
    setWindowTitle("Equation de centrage (obs)");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    EditFrom = AddField(this, form, "EditFrom", "De");
    EditTo = AddField(this, form, "EditTo", "Vers");
    EditHt = AddField(this, form, "EditHt", "Hauteur d'instrument");
    EditSigmaHt = AddField(this, form, "EditSigmaHt", "Ecart-type");
    layout->addLayout(form);
    auto* group = new QGroupBox("Centrage", this);
    auto* centring = new QFormLayout(group);
    EditSigmaCentrage = AddField(this, centring, "EditSigmaCentrage", "Ecart-type");
    layout->addWidget(group);
    Ok = AddOk(this, layout);
    connect(Ok, &QPushButton::clicked, this, [this] { OkClick(); });
}

void TFAddEquationCentrage::OkClick() {
    TEditForm* document = main_.ActiveDocument();
    if (!document) return;
    const TCentringResult r = BuildCentringEquation(
        {Text(EditFrom), Text(EditTo), Text(EditHt), Text(EditSigmaHt), Text(EditSigmaCentrage)});
    MarkInvalid(EditFrom, r.badFrom);
    MarkInvalid(EditTo, r.badTo);
    MarkInvalid(EditHt, r.badHeight);
    MarkInvalid(EditSigmaHt, r.badSigmaHeight);
    MarkInvalid(EditSigmaCentrage, r.badSigmaCentring);
    if (r.lines.empty()) return;
    document->InsertLines(0, r.lines);
    close();
}

}  // namespace kestrova
