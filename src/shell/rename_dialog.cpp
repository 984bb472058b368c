#include "shell/rename_dialog.hpp"

#include <optional>

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"
#include "tools/rename_point.hpp"

namespace kestrova {

TFRename_Point::TFRename_Point(TFMain_velka& main) : QDialog(&main), main_(main) {
    setObjectName("FRename_Point");
    setWindowTitle("Renommer un point");
    auto* layout = new QVBoxLayout(this);
    auto* names = new QFormLayout;
    edit_point_from = new QLineEdit(this);
    edit_point_from->setObjectName("edit_point_from");
    Edit_point_to = new QLineEdit(this);
    Edit_point_to->setObjectName("Edit_point_to");
    names->addRow("Ancien nom", edit_point_from);
    names->addRow("Nouveau nom", Edit_point_to);
    layout->addLayout(names);
    probleme = new QLabel(this);
    probleme->setObjectName("probleme");
    probleme->setWordWrap(true);
    probleme->setStyleSheet("color: #c00000");
    probleme->hide();
    layout->addWidget(probleme);
    cb_rename_target = new QCheckBox(QString::fromUtf8("Renommer les visées"), this);
    cb_rename_target->setObjectName("cb_rename_target");
    cb_rename_target->setChecked(true);
    cb_rename_station = new QCheckBox("Renommer les stations", this);
    cb_rename_station->setObjectName("cb_rename_station");
    layout->addWidget(cb_rename_target);
    layout->addWidget(cb_rename_station);
    auto* row = new QHBoxLayout;
    row->addStretch();
    Renommer = new QPushButton("Renommer", this);
    Renommer->setObjectName("Renommer");
    Renommer->setDefault(true);
    row->addWidget(Renommer);
    Fermer = new QPushButton("Fermer", this);
    Fermer->setObjectName("Fermer");
    Fermer->setAutoDefault(false);
    row->addWidget(Fermer);
    layout->addLayout(row);
    connect(Renommer, &QPushButton::clicked, this, [this] { RenommerClick(); });
    connect(Fermer, &QPushButton::clicked, this, [this] { reject(); });
}

bool TFRename_Point::Prepare() {
    TEditForm* document = main_.ActiveDocument();
    if (!document) return false;
    std::optional<std::vector<std::string>> lines = document->LinesForCommand();
    if (!lines) return false;
    input_ = std::move(*lines);
    if (input_.empty() || (input_.size() == 1 && input_.front().empty())) {
        main_.prompts().Message(&main_, "Fichier vide !");
        return false;
    }
    current_ = document->CaretLine() - 1;
    edit_point_from->clear();
    Edit_point_to->clear();
    Edit_point_to->setStyleSheet(QString());
    probleme->clear();
    probleme->hide();
    const TRenamePreset preset = RenamePreset(input_, current_);
    book_ = preset.book;
    edit_point_from->setText(Q(preset.name));
    cb_rename_target->setEnabled(preset.choicesEnabled);
    cb_rename_station->setEnabled(preset.choicesEnabled);
    return true;
}

void TFRename_Point::RenommerClick() {
    const std::string from = S(edit_point_from->text());
    const std::string to = S(Edit_point_to->text());
    if (Trim(CleanFieldText(from)).empty() || Trim(CleanFieldText(to)).empty()) return;
    // A name the book could not hold: the field turns red, the dialog says
    // why and stays open.
    const std::string problem = NewNameProblem(book_, to);
    Edit_point_to->setStyleSheet(problem.empty() ? QString() : QString("background-color: #ff8080"));
    probleme->setText(Q(problem));
    probleme->setVisible(!problem.empty());
    if (!problem.empty()) return;
    accept();
    TEditForm* document = main_.ActiveDocument();
    if (!document) return;
    const TRenameOptions options{cb_rename_target->isChecked(), cb_rename_station->isChecked()};
    const QString saved = document->FileName();
    if (saved != TEditForm::kUntitled && !document->Modified() && FileExists(S(saved))) {
        RenameSavedBook(*document, from, to, options);
        return;
    }
    // On a worker: a book of a million lines takes a second or two.
    std::optional<std::vector<std::string>> output;
    std::string text;  // the document's new text
    if (!RunWithProgress(&main_, "Renommer un point", [&](TProgress& progress) {
            progress.Stage("Renommage de " + from + " en " + to);
            output = RenamePoint(input_, from, to, options);
            progress.ThrowIfCancelled();
            if (output) text = JoinEditorLines(*output);
        }))
        return;
    if (!output) return;  // neither a field book nor a levelling book
    // A book never saved gets its name first (through the usual save-as).
    if (document->FileName() == TEditForm::kUntitled && !document->Save1Click()) return;
    const QString path = document->FileName();
    try {
        RunWithProgress(&main_, "Renommer un point", [&](TProgress& progress) {
            progress.Stage("Ecriture de " + S(path));
            WriteRenamedBook(S(path), input_, *output);
            // The lines are let go here, not on the window's thread.
            std::vector<std::string>().swap(input_);
            output.reset();
        });
    } catch (const TextFileError& error) {
        main_.prompts().Error(&main_, QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2\n"
                                                        "Le carnet et sa copie de sauvegarde sont inchangés.")
                                          .arg(Q(error.path()), Q(error.reason())));
        return;
    }
    document->SetText(text);
    // The book was just written with these lines: the document is saved
    // (undoing the renaming makes it modified again).
    document->Editor->setModified(false);
    document->Editor->setCursorPosition(std::max(0, current_), 0);
}

// The document is its file: the file is renamed as the console does it
// (under the book's lock, its bytes kept in the backup, its encoding and
// line ends kept), and the document shows the result.
void TFRename_Point::RenameSavedBook(TEditForm& document, const std::string& from, const std::string& to,
                                     const TRenameOptions& options) {
    const std::string path = S(document.FileName());
    TRenameFileResult result;
    std::string text;
    try {
        if (!RunWithProgress(&main_, "Renommer un point", [&](TProgress& progress) {
                progress.Stage("Renommage de " + from + " en " + to);
                result = RenameBookFile(path, from, to, options, progress);
                if (result.renamed > 0) text = JoinEditorLines(ReadTextLines(path));
                std::vector<std::string>().swap(input_);
            }))
            return;
    } catch (const TextFileError& error) {
        main_.prompts().Error(&main_, QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2\n"
                                                        "Le carnet et sa copie de sauvegarde sont inchangés.")
                                          .arg(Q(error.path()), Q(error.reason())));
        return;
    }
    if (!result.refused.empty()) {
        main_.prompts().Error(&main_, Q(result.refused));
        return;
    }
    if (result.renamed == 0) return;  // nothing named the point: nothing written
    document.SetText(text);
    // The document shows what the file now holds: it is saved.
    document.Editor->setModified(false);
    document.Editor->setCursorPosition(std::max(0, current_), 0);
}

void RenommerunPoint1Click(TFMain_velka& main) {
    if (!main.ActiveDocument()) return;
    auto* dialog = main.findChild<TFRename_Point*>();
    if (!dialog) dialog = new TFRename_Point(main);
    if (!dialog->Prepare()) return;
    main.prompts().ExecDialog(*dialog);
}

}  // namespace kestrova
