#include "shell/line_editor_dialog.hpp"

#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TFModifligne::TFModifligne(TEditForm& document, Prompts& prompts, QWidget* parent)
    : QDialog(parent), document_(document), prompts_(prompts) {
    setObjectName("FModifligne");
    setWindowTitle("Modifier l'observation");
    auto* grid = new QGridLayout;
    int row = 0;
    auto field = [&](QLineEdit*& edit, QLabel*& label, const char* name, const char* caption) {
        label = new QLabel(U(caption), this);
        label->setObjectName(QString("L") + name);
        edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMinimumWidth(160);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    };
    field(Numligne, LNumligne, "Numligne", "Numéro ligne : ");
    field(Ptvise, LPtvise, "Ptvise", "Point visé : ");
    field(Ah, LAh, "Ah", "Angle horizontal AH : ");
    field(Av, LAv, "Av", "Angle vertical AV : ");
    UAv = new QLabel(this);
    UAv->setObjectName("UAv");
    grid->addWidget(UAv, row - 1, 2);
    field(Dp, LDp, "Dp", "Distance Dp : ");
    field(ppm, Lppm, "ppm", "Ppm : ");
    field(Hv, LHv, "Hv", "Hauteur de voyant hv : ");
    field(prisme, Lprisme, "prisme", "Prisme : ");
    Numligne->setReadOnly(true);
    ppm->setReadOnly(true);

    auto button = [this](QPushButton*& b, const char* name, const char* caption) {
        b = new QPushButton(U(caption), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    auto* steps = new QHBoxLayout;
    steps->addWidget(button(Ajouter, "Ajouter", "Ajouter"));
    steps->addWidget(button(Supprimer, "Supprimer", "Supprimer"));
    steps->addWidget(button(Precedente, "Precedente", "Obs précédente"));
    steps->addWidget(button(Suivante, "Suivante", "Obs suivante"));
    auto* ends = new QHBoxLayout;
    ends->addStretch();
    ends->addWidget(button(Valider, "Valider", "Valider"));
    ends->addWidget(button(ValiderQuitter, "ValiderQuitter", "Valider et Quitter"));
    ends->addWidget(button(Annuler, "Annuler", "Annuler"));
    Valider->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(steps);
    layout->addLayout(ends);

    connect(Ajouter, &QPushButton::clicked, this, [this] { AjouterClick(); });
    connect(Supprimer, &QPushButton::clicked, this, [this] { SupprimerClick(); });
    connect(Precedente, &QPushButton::clicked, this, [this] { PrecedenteClick(); });
    connect(Suivante, &QPushButton::clicked, this, [this] { SuivanteClick(); });
    connect(Valider, &QPushButton::clicked, this, [this] { ValiderClick(); });
    connect(ValiderQuitter, &QPushButton::clicked, this, [this] { ValiderQuitterClick(); });
    connect(Annuler, &QPushButton::clicked, this, [this] { reject(); });
}

TEditorMode TFModifligne::Mode() const {
    // Every action looks again at the document's first line.
    return EditorModeOfFirstLine(document_.LineCount() > 0 ? document_.LineAt(0) : std::string());
}

bool TFModifligne::Open() {
    const TEditorMode mode = DetectEditorMode(document_.LineCount(), [this](int i) { return document_.LineAt(i); },
                                              S(document_.FileName()));
    if (mode == TEditorMode::None) {
        prompts_.Message(parentWidget(), "Action possible uniquement sur un fichier *.crt ou*.xcrt");
        return false;
    }
    index_ = document_.CaretLine() - 1;
    direction_ = 1;
    ShowCurrent();
    return true;
}

void TFModifligne::ClearFields() {
    for (QLineEdit* e : {Numligne, Ptvise, Ah, Av, Dp, ppm, Hv, prisme}) e->clear();
}

TXmlBookLines& TFModifligne::XmlBook() {
    if (!xml_) {
        // Copied and parsed on a worker: a second for a million pointings.
        std::optional<std::vector<std::string>> lines = document_.LinesForCommand();
        if (!lines) lines = document_.Lines();  // the copy was cancelled: made here
        QWidget* parent = parentWidget() ? parentWidget() : this;
        RunWithProgress(parent, QString::fromUtf8("Lecture du carnet XML"),
                        [&](TProgress&) { xml_ = std::make_unique<TXmlBookLines>(std::move(*lines)); });
    }
    return *xml_;
}

TObsFields TFModifligne::Fields() const {
    TObsFields f;
    f.Numligne = S(Numligne->text());
    f.Ptvise = S(Ptvise->text());
    f.Ah = S(Ah->text());
    f.Av = S(Av->text());
    f.Dp = S(Dp->text());
    f.ppm = S(ppm->text());
    f.Hv = S(Hv->text());
    f.prisme = S(prisme->text());
    return f;
}

void TFModifligne::ApplyLayout(TObsLayout layout) {
    struct Captions {
        const char *pt, *ah, *av, *dp, *ppm, *hv;
        bool showPpm, showHv, showAvDp, showPrisme;
    };
    Captions c{"Point visé : ", "Angle horizontal AH : ", "Angle vertical AV : ", "Distance Dp : ", "Ppm : ",
               "Hauteur de voyant hv : ", true, true, true, true};
    switch (layout) {
        case TObsLayout::Observation:
            c = {"Point visé :", "Angle horizontal AH :", "Angle vertical AV :", "Distance Dp :", "Ppm : ",
                 "Hauteur de voyant hv : ", true, true, true, true};
            break;
        case TObsLayout::XmlObservation:
            // The XML form has no prism name on its observations.
            c = {"Point visé :", "Angle horizontal AH :", "Angle vertical AV :", "Distance Dp :", "Ppm :",
                 "Hauteur de voyant hv : ", true, true, true, false};
            break;
        case TObsLayout::Station:
            c = {"Nom de la station :", "Température :", "Pression :", "Hauteur appareil :", "Ppm : ",
                 "Hauteur de voyant hv : ", false, false, true, true};
            break;
        case TObsLayout::XmlStation:
            c = {"Nom de la station :", "Température :", "Pression :", "Hauteur appareil :", "Etalonnage :",
                 "Hauteur de voyant hv : ", true, false, true, false};
            break;
        case TObsLayout::Prism:
            c = {"Prisme :", "Constante :", "Angle vertical AV :", "Distance Dp :", "Ppm : ",
                 "Hauteur de voyant hv : ", false, false, false, false};
            break;
        case TObsLayout::Other: break;
    }
    LPtvise->setText(U(c.pt));
    LAh->setText(U(c.ah));
    LAv->setText(U(c.av));
    LDp->setText(U(c.dp));
    Lppm->setText(U(c.ppm));
    LHv->setText(U(c.hv));
    for (QWidget* w : {static_cast<QWidget*>(Av), static_cast<QWidget*>(LAv), static_cast<QWidget*>(Dp),
                       static_cast<QWidget*>(LDp)})
        w->setVisible(c.showAvDp);
    ppm->setVisible(c.showPpm);
    Lppm->setVisible(c.showPpm);
    Hv->setVisible(c.showHv);
    LHv->setVisible(c.showHv);
    prisme->setVisible(c.showPrisme);
    Lprisme->setVisible(c.showPrisme);
    UAv->clear();
}

void TFModifligne::ShowCurrent() {
    ClearFields();
    // A text book is looked at one line at a time: a book of a million
    // lines is not copied at every step.
    const int count = document_.LineCount();
    TObsView view;
    if (Mode() == TEditorMode::Xml) {
        TXmlBookLines& book = XmlBook();
        const auto shown = book.ShownIndex(index_, direction_);
        if (shown) {
            index_ = *shown;
            view = book.Show(index_);
        }
    } else if (count > 0) {
        index_ = std::clamp(index_, 0, count - 1);
        view = ShowTextLine(document_.LineAt(index_), index_, count);
    }
    ApplyLayout(view.layout);
    if (view.layout == TObsLayout::Station) UAv->setText(Q(view.pressureUnit));
    if (view.layout == TObsLayout::XmlStation) UAv->setText("mmHg");
    Precedente->setEnabled(view.canPrevious);
    Suivante->setEnabled(view.canNext);
    if (index_ >= 0 && index_ < count) {
        // The line shown, selected in the document from its second character.
        const int length = document_.Editor->text(index_).remove('\n').remove('\r').size();
        document_.Editor->setSelection(index_, std::min(1, length), index_, length);
        document_.Editor->ensureLineVisible(index_);
    }
    const TObsFields& f = view.fields;
    Numligne->setText(Q(f.Numligne));
    Ptvise->setText(Q(f.Ptvise));
    Ah->setText(Q(f.Ah));
    Av->setText(Q(f.Av));
    Dp->setText(Q(f.Dp));
    ppm->setText(Q(f.ppm));
    Hv->setText(Q(f.Hv));
    prisme->setText(Q(f.prisme));
}

bool TFModifligne::ValiderClick() {
    if (index_ < 0 || index_ >= document_.LineCount()) return true;
    const TObsEdit edit = Mode() == TEditorMode::Xml ? XmlBook().Validate(index_, Fields())
                                                     : ValidateTextLine(document_.LineAt(index_), Fields());
    for (const std::string& message : edit.messages) prompts_.Message(this, Q(message));
    if (!edit.messages.empty()) return false;
    if (edit.line) {
        document_.ReplaceLine(index_, *edit.line);
        adds_.clear();
    }
    ShowCurrent();
    return true;
}

void TFModifligne::ValiderQuitterClick() {
    // A refused line keeps the form open with what was typed.
    if (ValiderClick()) accept();
}

void TFModifligne::reject() {
    if (!adds_.empty()) {
        for (; !adds_.empty(); adds_.pop_back()) document_.Editor->undo();
        xml_.reset();
    }
    QDialog::reject();
}

void TFModifligne::PrecedenteClick() {
    ClearFields();
    if (index_ > 0) --index_;
    direction_ = -1;
    ShowCurrent();
}

void TFModifligne::SuivanteClick() {
    if (index_ + 1 < document_.LineCount()) ++index_;
    direction_ = 1;
    ShowCurrent();
}

void TFModifligne::AjouterClick() {
    if (Mode() == TEditorMode::Xml) {
        // On a worker: the book is copied, parsed and joined again (more
        // than a second for a million pointings); the editor then replaces
        // the lines that changed only.
        std::optional<std::vector<std::string>> lines = document_.LinesForCommand();
        if (!lines) return;
        TXmlInsertion r;
        std::string text;
        QWidget* parent = parentWidget() ? parentWidget() : this;
        const bool done = RunWithProgress(parent, QString::fromUtf8("Ajout d'une observation"), [&](TProgress&) {
            r = AddXmlObservation(*lines, index_);
            if (r.index >= 0) text = JoinEditorLines(r.lines);
            // The copies are let go here, not on the window's thread.
            std::vector<std::string>().swap(*lines);
            std::vector<std::string>().swap(r.lines);
        });
        if (!done) return;
        if (r.index < 0) {
            if (!r.message.empty()) prompts_.Message(this, Q(r.message));
            return;
        }
        xml_.reset();
        document_.SetText(text);
        index_ = r.index;
        direction_ = 1;
    } else {
        xml_.reset();
        document_.InsertLines(index_ + 1, {std::string()});
        ++index_;
    }
    adds_.push_back(index_);
    ShowCurrent();
}

void TFModifligne::SupprimerClick() {
    if (index_ < 0 || index_ >= document_.LineCount()) return;
    xml_.reset();
    if (!adds_.empty() && adds_.back() == index_) {
        // The line just added goes as it came, with the numbers that its
        // adding changed; the line that followed it is shown.
        document_.Editor->undo();
        adds_.pop_back();
        index_ = std::min(index_, document_.LineCount() - 1);
        ShowCurrent();
        return;
    }
    document_.RemoveLine(index_);
    adds_.clear();
    index_ = std::min(index_, document_.LineCount() - 1);
    ShowCurrent();
}

void Modifierlobservation1Click(TFMain_velka& main) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    TFModifligne form(*document, main.prompts(), &main);
    if (!form.Open()) return;
    main.prompts().ExecDialog(form);
}

}  // namespace kestrova
