#include "shell/levelling_commands.hpp"

#include <QAction>
#include <QMenu>
#include <QStringList>

#include "base/text_file.hpp"
#include "levelling/deniv_file.hpp"
#include "levelling/gsi_levelling.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_reader.hpp"
#include "levelling/niv_processor.hpp"
#include "levelling/niv_reduce.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/editing_tools.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

// The levelling processor of the window, kept beside it for the whole run
// of the program (its weighting settings persist between commands).
class TNivState : public QObject {
public:
    explicit TNivState(QObject* parent) : QObject(parent) { setObjectName("NivState"); }
    TNivProcessor niv;
};

struct Job {
    std::vector<std::string> lines;
    QString source;
    std::string output;
};

// The document's lines and the chosen output; nothing when there is no
// document, the dialog was cancelled or an output is the document's file.
std::optional<Job> Prepare(TFMain_velka& main, const char* title, const char* filter, const char* extension,
                           const std::vector<const char*>& siblings = {}) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return std::nullopt;
    std::optional<std::vector<std::string>> lines = document->LinesForCommand();
    if (!lines) return std::nullopt;
    Job job{std::move(*lines), document->FileName(), {}};
    const auto name = main.AskOutputName(QString::fromUtf8(title), QString::fromUtf8(filter),
                                         main.ProposedName(*document, extension));
    if (!name) return std::nullopt;
    job.output = S(*name);
    std::vector<std::string> outputs = {job.output};
    for (const char* ext : siblings) outputs.push_back(ChangeFileExt(job.output, ext));
    for (const std::string& out : outputs) {
        if (SameFile(S(job.source), out)) {
            main.prompts().Error(&main, QString::fromUtf8("Le fichier de sortie %1 est le fichier lu : rien n'est "
                                                          "écrit")
                                            .arg(Q(out)));
            return std::nullopt;
        }
    }
    return job;
}

bool Run(TFMain_velka& main, const Job& job, const QString& title, const std::function<void(TProgress&)>& work) {
    return RunMenuCommand(&main, main.prompts(), job.source, title, QString::fromUtf8("Traitement du fichier %1 impossible :\n%2"), work);
}

void ShowWarnings(TFMain_velka& main, const Job& job, const std::vector<std::string>& warnings) {
    ShowCommandWarnings(&main, main.prompts(), QString::fromUtf8("Fichier %1 :\n%2"), job.source, warnings);
}

void ConvertDeniv(TFMain_velka& main, const char* title, const char* filter, const char* extension,
                  TDenivOutput output) {
    const auto job = Prepare(main, title, filter, extension);
    if (!job) return;
    std::vector<std::string> warnings;
    const bool done = Run(main, *job, QString::fromUtf8(title), [&](TProgress& progress) {
        TVectorLineSource source(job->lines);
        warnings = ConvertDenivFile(source, job->output, output, progress);
    });
    if (!done) return;
    ShowWarnings(main, *job, warnings);
    main.OpenAsDocument(Q(job->output));
}

QAction* AddEntry(QMenu* menu, QAction* before, TFMain_velka& main, const char* name, const char* caption,
                  void (*handler)(TFMain_velka&)) {
    auto* a = new QAction(QString::fromUtf8(caption), menu);
    a->setObjectName(name);
    QObject::connect(a, &QAction::triggered, &main, [&main, handler] { handler(main); });
    menu->insertAction(before, a);
    return a;
}

}  // namespace

TNivSettings& LevellingSettings(TFMain_velka& main) {
    auto* state = main.findChild<TNivState*>("NivState", Qt::FindDirectChildrenOnly);
    if (!state) state = new TNivState(&main);
    return state->niv.settings;
}

void AddLevellingEntries(TFMain_velka& main) {
    QMenu* menu = LevellingMenu(main);
    // Ahead of the entries other tools may have put there already.
    QAction* first = menu->actions().isEmpty() ? nullptr : menu->actions().first();
    AddEntry(menu, first, main, "ConversionGSIna31", "Conversion GSI (Leica) --> format carnet (*.na3)",
             &ConversionGSIna3Click);
    AddEntry(menu, first, main, "Suppressiondescrapauds1",
             "Suppression des crapauds (création des fichiers  *.obs et *.iob)", &SuppressionCrapaudsClick);
    AddEntry(menu, first, main, "TriObs1", "Tri d'un fichier obs ou iob (--> fichier obs trié *.tri)", &TriObsClick);
    AddEntry(menu, first, main, "TriGeolab1", "Tri d'un fichier obs ou iob  (--> fichier geolab trié *.tri)",
             &TriGeolabClick);
    AddEntry(menu, first, main, "ConvertirIobObs1", "Convertir un fichier iob en fichier obs", &ConvertirIobObsClick);
    LevellingSettings(main);
}

void ConversionGSIna3Click(TFMain_velka& main) {
    const auto job = Prepare(main, "Choix du nom du fichier carnet", "Fichier Carnet niv (*.na3)|*.na3", ".na3");
    if (!job) return;
    std::vector<std::string> warnings;
    const bool done = Run(main, *job, "Conversion GSI (Leica) --> format carnet (*.na3)", [&](TProgress& progress) {
        TVectorLineSource source(job->lines);
        warnings = ConvertGsiToNa3(source, job->output, progress);
    });
    if (!done) return;
    ShowWarnings(main, *job, warnings);
    main.OpenAsDocument(Q(job->output));
}

void SuppressionCrapaudsClick(TFMain_velka& main) {
    const auto job = Prepare(main, "Choix du nom du fichier Brelix (iob exporté automatiquement)",
                             "Fichier Brelix (*.obs)|*.obs", ".obs", {".iob", ".gkf"});
    if (!job) return;
    const std::string stamp = NivTimeStamp();
    TNivSettings& settings = LevellingSettings(main);
    const std::optional<TNivSettings> weighting = main.prompts().ChooseLevellingWeighting(&main, settings);
    if (!weighting) return;  // "Annuler": nothing is written
    settings = *weighting;
    const TNivSettings chosen = settings;
    TNivReduceResult result;
    const bool done = Run(main, *job, "Suppression des crapauds", [&](TProgress& progress) {
        TVectorLineSource source(job->lines);
        result = ReduceNa3Book(source, job->output, chosen, stamp, progress);
    });
    if (!done) return;
    ShowWarnings(main, *job, result.warnings);
    if (result.bookLines == 0 && result.textLines > 0) {
        main.prompts().Message(&main, QString::fromUtf8("Fichier réduit vide\n") + Q(NotANa3BookMessage()));
        return;
    }
    if (result.zeroSigmaCount > 0) {
        main.prompts().Error(
            &main, QString::fromUtf8("Fichier %1 :\n%2").arg(job->source, Q(ZeroSigmaMessage(result, chosen))));
        return;
    }
    if (!result.Written()) {
        main.prompts().Message(&main, QString::fromUtf8("Fichier réduit vide"));
        return;
    }
    main.OpenAsDocument(Q(ChangeFileExt(job->output, ".obs")));
}

void TriObsClick(TFMain_velka& main) {
    ConvertDeniv(main, "Choix du nom du fichier Brelix trié", "Fichier Brelix (*.tri)|*.tri", ".tri",
                 TDenivOutput::SortedBrelix);
}

void TriGeolabClick(TFMain_velka& main) {
    ConvertDeniv(main, "Choix du nom du fichier iob trié", "Fichier iob (*.tri)|*.tri", ".tri",
                 TDenivOutput::SortedGeolab);
}

void ConvertirIobObsClick(TFMain_velka& main) {
    ConvertDeniv(main, "Choix du nom du fichier Brelix", "Fichier Brelix (*.obs)|*.obs", ".obs", TDenivOutput::Brelix);
}

}  // namespace kestrova
