#include "shell/import_commands.hpp"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QStringList>

#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "import/gdm_convert.hpp"
#include "import/shoot_convert.hpp"
#include "import/text_to_xml.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

const char* const kBookTitle = "Choix du nom du fichier carnet";

// The document's lines and file, and the chosen output; nothing when there
// is no document, the dialog was cancelled or the output is the document's
// own file.
struct Job {
    std::vector<std::string> lines;
    QString source;
    std::string output;
};

std::optional<Job> Prepare(TFMain_velka& main, const char* extension, const char* filter) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return std::nullopt;
    std::optional<std::vector<std::string>> lines = document->LinesForCommand();
    if (!lines) return std::nullopt;
    Job job{std::move(*lines), document->FileName(), {}};
    const auto name = main.AskOutputName(kBookTitle, filter, main.ProposedName(*document, extension));
    if (!name) return std::nullopt;
    job.output = S(*name);
    if (SameFile(S(job.source), job.output)) {
        main.prompts().Error(&main, QString::fromUtf8("Le fichier de sortie %1 est le fichier à convertir : rien n'est "
                                                      "écrit")
                                        .arg(*name));
        return std::nullopt;
    }
    return job;
}

bool Run(TFMain_velka& main, const Job& job, const QString& title, const std::function<void(TProgress&)>& work) {
    return RunMenuCommand(&main, main.prompts(), job.source, title, QString::fromUtf8("Conversion du fichier %1 impossible :\n%2"), work);
}

void ShowWarnings(TFMain_velka& main, const Job& job, const std::vector<std::string>& warnings) {
    ShowCommandWarnings(&main, main.prompts(), QString::fromUtf8("Conversion du fichier %1 :\n%2"), job.source, warnings);
}

enum class GdmTarget { TextBook, XmlBook };

void ConvertGdm(TFMain_velka& main, GdmTarget target) {
    const bool text = target == GdmTarget::TextBook;
    const auto job = text ? Prepare(main, ".carnet", "Fichier Carnet (*.carnet)|*.carnet")
                          : Prepare(main, ".xcrt", "Fichier Carnet (*.xcrt)|*.xcrt");
    if (!job) return;
    // The unit of the recording's angles, proposed from the ini and kept
    // there for the next conversion.
    const auto chosen = main.prompts().ChooseGdmAngleUnit(&main, Param().angles_gdm);
    if (!chosen) return;
    Param().angles_gdm = *chosen;
    const GdmAngleUnit unit = ParseGdmAngleUnit(*chosen).value_or(GdmAngleUnit::Gon);
    GdmReport report;
    const bool done = Run(main, *job, QString::fromUtf8("Conversion GDM"), [&](TProgress& progress) {
        progress.Stage("Conversion de l'enregistrement GDM");
        bool hasStation = false;
        for (const std::string& line : job->lines)
            if ((hasStation = IsGdmStationRecord(line))) break;
        TOutputSet outputs;
        TLineSink& sink = outputs.Add(job->output, text ? FileEncoding::Cp1252 : FileEncoding::Latin1Xml);
        TGdmBookWriter writer(text ? GdmBookForm::Text : GdmBookForm::Xml, unit, hasStation, sink);
        for (const std::string& line : job->lines) writer.AddLine(line);
        report = writer.Finish();
        progress.ThrowIfCancelled();
        progress.Stage("Écriture du carnet");
        outputs.Commit();
    });
    if (!done) return;
    ShowWarnings(main, *job, report.warnings);
    main.OpenAsDocument(Q(job->output));
}

}  // namespace

void Conversion_crt2xcrt1Click(TFMain_velka& main) {
    const auto job = Prepare(main, ".xcrt", "Fichier Carnet xml (*.xcrt)|*.xcrt");
    if (!job) return;
    TextToXmlReport report;
    const bool done = Run(main, *job, QString::fromUtf8("Conversion carnet --> carnet XML"), [&](TProgress& progress) {
        progress.Stage("Conversion du carnet");
        auto source = [&job]() {
            return [&job, i = std::size_t(0)](std::string_view& line) mutable {
                if (i >= job->lines.size()) return false;
                line = job->lines[i++];
                return true;
            };
        };
        TOutputSet outputs;
        TLineSink& sink = outputs.Add(job->output, FileEncoding::Latin1Xml);
        report = WriteTextBookAsXml(source(), source(), sink);
        progress.ThrowIfCancelled();
        outputs.Commit();
    });
    if (!done) return;
    // The book holds what was read; the user learns where reading failed.
    std::vector<std::string> warnings = report.warnings;
    if (!report.numberWarning.empty()) warnings.insert(warnings.begin(), report.numberWarning);
    if (!report.unreadWarning.empty()) warnings.insert(warnings.begin(), report.unreadWarning);
    ShowWarnings(main, *job, warnings);
    main.OpenAsDocument(Q(job->output));
}

void GDMformatcarnetcrt1Click(TFMain_velka& main) { ConvertGdm(main, GdmTarget::TextBook); }

void ConversionGDMTrimbleformatcarnetxmlxcrt1Click(TFMain_velka& main) { ConvertGdm(main, GdmTarget::XmlBook); }

void pivra2crtClick(TFMain_velka& main) {
    const auto job = Prepare(main, ".crt", "Fichier carnet (*.crt)|*.crt");
    if (!job) return;
    const std::string xml = ChangeFileExt(job->output, ".xcrt");
    if (SameFile(S(job->source), xml)) {
        main.prompts().Error(&main, QString::fromUtf8("Le fichier de sortie %1 est le fichier à convertir : rien "
                                                      "n'est écrit")
                                        .arg(Q(xml)));
        return;
    }
    ShootReport report;
    const int angle = Param().angle;
    const int length = Param().longueur;
    const bool done = Run(main, *job, QString::fromUtf8("Conversion shoot"), [&](TProgress& progress) {
        progress.Stage("Conversion du fichier shoot");
        TOutputSet outputs;
        const ShootSinks sinks{[&]() -> TLineSink& { return outputs.Add(job->output, FileEncoding::Cp1252); },
                               [&]() -> TLineSink& { return outputs.Add(xml, FileEncoding::Latin1Xml); }};
        size_t i = 0;
        report = ConvertShoot(
            [&](std::string& line) {
                if (i >= job->lines.size()) return false;
                line = job->lines[i++];
                return true;
            },
            sinks, angle, length, progress, static_cast<long long>(job->lines.size()));
        progress.Stage("Écriture des carnets");
        outputs.Commit();
    });
    if (!done) return;
    ShowWarnings(main, *job, report.warnings);
    // The XML book is the one opened; a log without shots has none.
    if (report.shots > 0) main.OpenAsDocument(Q(xml));
}

void AddImportConversionEntries(TFMain_velka& main) {
    QMenu* menu = main.Conversion1;
    auto add = [&](const char* caption, const char* name, void (*handler)(TFMain_velka&)) {
        QAction* a = menu->addAction(QString::fromUtf8(caption), &main, [&main, handler] { handler(main); });
        a->setObjectName(name);
    };
    add("Conversion carnet (*.carnet, *.crt) --> format carnet xml (*.xcrt)", "Conversion_crt2xcrt1",
        Conversion_crt2xcrt1Click);
    add("Conversion GDM (Trimble) --> format carnet (*.carnet)", "GDMformatcarnetcrt1", GDMformatcarnetcrt1Click);
    add("Conversion GDM (Trimble) --> format carnet xml (*.xcrt)", "ConversionGDMTrimbleformatcarnetxmlxcrt1",
        ConversionGDMTrimbleformatcarnetxmlxcrt1Click);
    add("Conversion shoot (Pivra) --> format carnet (*.crt) et xml (*.xcrt)", "pivra2crt", pivra2crtClick);
}

}  // namespace kestrova
