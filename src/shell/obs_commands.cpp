#include "shell/obs_commands.hpp"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "base/param.hpp"
#include "base/text_file.hpp"
#include "exports/obs_convert.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

const char* const kBrelixTitle = "Choix du nom du fichier Brelix";
const char* const kBrelixFilter = "Fichier Brelix (*.obs)|*.obs";

// Runs the work behind the progress dialog and reports its failure; true
// when it ran to its end.
bool Run(TFMain_velka& main, const QString& source, const QString& title, const std::function<void(TProgress&)>& work) {
    try {
        return RunWithProgress(&main, title, work);
    } catch (const ObsConversionError& error) {
        if (error.UnknownFormat()) main.prompts().Message(&main, QString::fromUtf8(kFormatNonReconnu));
        else main.prompts().Error(&main, Q(error.what()));
    } catch (const TextFileError& error) {
        main.prompts().Error(&main, QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2")
                                        .arg(Q(error.path()), Q(error.reason())));
    } catch (const std::exception& error) {
        // Nothing may leave a menu command through the event loop.
        main.prompts().Error(&main, QString::fromUtf8("Conversion du fichier %1 impossible :\n%2").arg(source, error.what()));
    }
    return false;
}

// The reading's warnings (names with a blank), in one message.
void ShowWarnings(TFMain_velka& main, const QString& source, const std::vector<std::string>& warnings) {
    ShowCommandWarnings(&main, main.prompts(), QString::fromUtf8("Conversion du fichier %1 :\n%2"), source, warnings);
}

// Opens a written observation file unless it is the document's own file.
void OpenUnlessSource(TFMain_velka& main, const QString& path, const QString& source) {
    if (QFileInfo(path).absoluteFilePath() != QFileInfo(source).absoluteFilePath()) main.OpenAsDocument(path);
}

// Asks for the renormalised file, writes it and opens it.
void WriteRenormalised(TFMain_velka& main, TEditForm& document, RenormSign sign) {
    const auto name = main.AskOutputName(kBrelixTitle, kBrelixFilter, main.ProposedName(document, "_2.obs"));
    if (!name) return;
    const std::optional<std::vector<std::string>> copied = document.LinesForCommand();
    if (!copied) return;
    const std::vector<std::string>& lines = *copied;
    const QString source = document.FileName();
    bool met = true;
    std::vector<std::string> warnings;
    const bool done = Run(main, source, QString::fromUtf8("Renormalisation"), [&](TProgress& progress) {
        WriteRenormalisedObsFile(lines, S(source), S(*name), sign, progress, &met, &warnings);
    });
    if (!done) return;
    ShowWarnings(main, source, warnings);
    OpenUnlessSource(main, *name, source);
    if (!met) main.prompts().Message(&main, QString::fromUtf8(kFormatNonReconnu));
}

}  // namespace

void RenormalistationdefichierBrelix1Click(TFMain_velka& main) {
    TEditForm* document = main.ActiveDocument();
    if (!document || !Param().renormalisation) return;
    WriteRenormalised(main, *document, RenormSign::Signed);
}

void BrelixGeolab1Click(TFMain_velka& main) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    const auto iob = main.AskOutputName("Choix du nom du fichier Geloab", "Fichier Geolab (*.iob)|*.iob",
                                        main.ProposedName(*document, ".iob"));
    if (!iob) return;
    const std::optional<std::vector<std::string>> copied = document->LinesForCommand();
    if (!copied) return;
    const std::vector<std::string>& lines = *copied;
    const QString source = document->FileName();
    std::vector<std::string> warnings;
    if (!Run(main, source, QString::fromUtf8("Conversion obs --> iob"), [&](TProgress& progress) {
            ConvertObsToGeolab(lines, S(source), S(*iob), {}, progress, &warnings);
        }))
        return;
    ShowWarnings(main, source, warnings);
    // The same records, renormalised, when a pair changes something.
    if (GeolabOffersRenormalisedObs()) WriteRenormalised(main, *document, RenormSign::Unsigned);
    main.OpenAsDocument(*iob);
}

void brelix2gnugamaClick(TFMain_velka& main) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    const auto gkf = main.AskOutputName("Choix du nom du fichier GnuGama", "Fichier GnuGama (*.gkf)|*.gkf",
                                        main.ProposedName(*document, ".gkf"));
    if (!gkf) return;
    const std::optional<std::vector<std::string>> copied = document->LinesForCommand();
    if (!copied) return;
    const std::vector<std::string>& lines = *copied;
    const QString source = document->FileName();
    try {
        CheckObsLines(lines, S(source));
    } catch (const ObsConversionError& error) {
        if (error.UnknownFormat()) main.prompts().Message(&main, QString::fromUtf8(kFormatNonReconnu));
        else main.prompts().Error(&main, Q(error.what()));
        return;
    }
    const auto cor = main.prompts().AskOpenName(&main, QString::fromUtf8("Choix du nom du fichier coordonnées"),
                                                QString::fromUtf8("Fichier Coordonnées (*.cor)|*.cor"),
                                                QFileInfo(source).absolutePath());
    if (!cor) return;
    std::vector<std::string> warnings;
    if (!Run(main, source, QString::fromUtf8("Conversion obs --> gkf"), [&](TProgress& progress) {
            progress.Stage("Lecture du fichier " + S(*cor));
            const std::vector<std::string> corLines = ReadTextLines(S(*cor));
            ConvertObsToGama(lines, S(source), corLines, S(*cor), S(*gkf), progress, &warnings);
        }))
        return;
    ShowWarnings(main, source, warnings);
    main.OpenAsDocument(*gkf);
}

void AddObsConversionEntries(TFMain_velka& main) {
    QMenu* menu = main.Conversion1;
    auto add = [&](const char* caption, const char* name, void (*handler)(TFMain_velka&)) {
        QAction* a = menu->addAction(QString::fromUtf8(caption), &main, [&main, handler] { handler(main); });
        a->setObjectName(name);
    };
    add("Renormalistation de fichier obs (Brelix)", "RenormalistationdefichierBrelix1",
        RenormalistationdefichierBrelix1Click);
    add("Conversion obs (Brelix) --> iob (Geolab)", "BrelixGeolab1", BrelixGeolab1Click);
    add("Conversion obs (Brelix) --> gkf (Gnu Gama)", "brelix2gnugama", brelix2gnugamaClick);
}

}  // namespace kestrova
