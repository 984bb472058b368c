#include "shell/recording_import_command.hpp"

#include <QAction>
#include <QMenu>

#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "import/recording_import.hpp"
#include "shell/command_runner.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

const char* const kRecordingFilter =
    "Relevés (gsi, rec, gdm, raw, shoot, m5, dat, sdr, rw5)|*.gsi;*.rec;*.gdm;*.raw;*.shoot;*.m5;*.dat;*.sdr;*.rw5|"
    "Tous les fichiers (*.*)|*.*";

}  // namespace

void AddRecordingImportEntry(TFMain_velka& main, QMenu& fichier) {
    auto* a = new QAction(QString::fromUtf8("&Importer un relevé…"), &fichier);
    a->setObjectName("ImporterUnReleve1");
    QObject::connect(a, &QAction::triggered, &main, [&main] { ImporterUnReleve1Click(main); });
    QAction* before = nullptr;
    const auto actions = fichier.actions();
    for (int i = 0; i + 1 < actions.size(); ++i)
        if (actions[i]->text() == "&Ouvrir") before = actions[i + 1];
    fichier.insertAction(before, a);
}

void ImporterUnReleve1Click(TFMain_velka& main) {
    Prompts& prompts = main.prompts();
    const auto chosen = prompts.AskOpenName(&main, QString::fromUtf8("Importer un relevé"),
                                            QString::fromUtf8(kRecordingFilter), QString());
    if (!chosen) return;
    const std::string in = S(*chosen);
    std::string firstLine;
    TRecordingFormat format = TRecordingFormat::Unknown;
    try {
        format = RecogniseRecordingFile(in, &firstLine);
    } catch (const TextFileError& e) {
        prompts.Error(&main, QString::fromUtf8("Impossible de lire le relevé %1").arg(Q(e.what())));
        return;
    }
    if (format == TRecordingFormat::Unknown) {
        prompts.Error(&main, Q(TUnrecognisedRecording(firstLine).what()));
        return;
    }
    const bool levelling = IsLevellingFormat(format);
    const auto name = main.AskOutputName(
        QString::fromUtf8("Choix du nom du fichier carnet"),
        QString::fromUtf8(levelling ? "Fichier Carnet niv (*.na3)|*.na3"
                                    : "Fichier Carnet (*.xcrt)|*.xcrt|Fichier Carnet (*.crt)|*.crt|"
                                      "Fichier Carnet (*.carnet)|*.carnet"),
        Q(ChangeFileExt(in, levelling ? ".na3" : ".xcrt")));
    if (!name) return;
    const std::string out = S(*name);
    if (SameFile(in, ImportOutputName(out, format))) {
        prompts.Error(&main, QString::fromUtf8("Le fichier de sortie %1 est le relevé à importer : rien n'est écrit")
                                 .arg(Q(ImportOutputName(out, format))));
        return;
    }
    TImportResult result;
    const bool done = RunMenuCommand(&main, prompts, *chosen, QString::fromUtf8("Import d'un relevé"),
                                     QString::fromUtf8("Import du relevé %1 impossible :\n%2"),
                                     [&](TProgress& progress) {
                                         TOutputSet outputs;
                                         result = ImportRecording(in, out, format, outputs, progress);
                                         progress.Stage("Écriture du carnet");
                                         outputs.Commit();
                                     });
    if (!done) return;
    std::vector<std::string> lines = ImportSummary(result);
    lines.insert(lines.end(), result.warnings.begin(), result.warnings.end());
    ShowCommandWarnings(&main, prompts, QString::fromUtf8("Import du relevé %1 :\n%2"), *chosen, lines);
    main.OpenAsDocument(Q(result.output));
}

}  // namespace kestrova
