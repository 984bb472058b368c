// The menu commands that turn the active document into files: the reduction
// of a field book and the two GSI conversions.
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include "base/param.hpp"
#include "base/text_file.hpp"
#include "exports/obs_writer.hpp"
#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "fieldbook/text_reader.hpp"
#include "import/gsi_convert.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/event_loop_probe.hpp"
#include "shell/main_window.hpp"
#include "shell/memory_release.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

QString WriteErrorText(const TextFileError& error) {
    return QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2").arg(Q(error.path()), Q(error.reason()));
}

// A Trimble GDM recording ("label=value" lines, a numeric label), told by
// its extension or its first line: the GSI conversion sends it to its own.
bool LooksLikeGdm(const QString& source, const std::vector<std::string>& lines) {
    const QString suffix = QFileInfo(source).suffix().toLower();
    if (suffix == "gdm" || suffix == "job") return true;
    for (const std::string& line : lines) {
        std::size_t i = line.find_first_not_of(" \t");
        if (i == std::string::npos) continue;
        const std::size_t digits = i;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
        if (i == digits) return false;
        while (i < line.size() && line[i] == ' ') ++i;
        return i < line.size() && line[i] == '=';
    }
    return false;
}

}  // namespace

const char* const kGdmConversionPlace =
    "Pour un enregistrement Trimble GDM : menu « Topo », « Conversion », "
    "« Conversion GDM (Trimble) --> format carnet (*.carnet) » ou « --> format carnet xml (*.xcrt) ».";

void TFMain_velka::Reduction1Click() {
    TEditForm* document = ActiveDocument();
    if (!document) return;
    if (document->Modified()) {
        prompts_->Message(this, QString::fromUtf8("Veuillez sauvegarder avant de lancer la réduction"));
        return;
    }
    switch (prompts_->ChooseReduction(this)) {
        case Prompts::ReductionChoice::Valider: reduction_cancelled_ = false; break;
        case Prompts::ReductionChoice::Annuler: reduction_cancelled_ = true; break;
        case Prompts::ReductionChoice::Closed: break;  // the previous choice stands
    }
    if (reduction_cancelled_) return;

    const QString source = document->FileName();
    Tday_obs book;
    bool read = false;
    try {
        // The reader swallows what it cannot read; only a failure of the
        // program itself (memory) gets here. The worker reads the editor's
        // own buffer, which nothing may change meanwhile.
        const TReadOnlyWhile frozen(*document->Editor);
        const std::string_view text = document->Text();
        read = RunWithProgress(this, QString::fromUtf8("Réduction"), [&](TProgress& progress) {
            book.LoadFromLineViews(SplitEditorLines(text), progress);
        });
    } catch (const std::exception& error) {
        ReleaseFreedMemory();
        ReportError(QString::fromUtf8("Erreur pendant la réduction du fichier %1 :\n%2").arg(source, error.what()));
        return;
    }
    ReleaseFreedMemory();  // the views of the document's lines
    if (!read) return;     // cancelled
    ProbeMark("book-read");
    if (book.stations.empty()) {
        // The cause, when the reading stopped on a fault: line, element, attribute.
        QString text = QString::fromUtf8("Problème de lecture du fichier Carnet");
        if (!book.erreur_lecture.empty()) text += QString::fromUtf8("\nLecture arrêtée : ") + Q(book.erreur_lecture);
        prompts_->Message(this, text);
        return;
    }
    const auto name = AskOutputName("choix du nom du fichier Brelix", "Fichier Brelix (*.obs)|*.obs",
                                    ProposedName(*document, ".obs"));
    if (!name) return;
    ProbeMark("output-name-chosen");
    // Values that are not numbers are read as 0, as always, but told.
    const std::vector<std::string> unread = UnreadValueWarnings(book);
    const ReductionFiles files = ReductionFileNames(S(*name));
    // A field book called "chantier.xml" reduced to "chantier.obs" would be
    // replaced by the report, and its window closed with it.
    const std::string replaced = ReductionOutputReplacing(files, S(source), true);
    if (!replaced.empty()) {
        ReportError(QString::fromUtf8("Le fichier de sortie %1 est le carnet à réduire : rien n'est écrit").arg(Q(replaced)));
        return;
    }
    std::vector<std::string> nameWarnings;  // names with a blank, written with "_"
    try {
        const bool done = RunWithProgress(this, QString::fromUtf8("Réduction"), [&](TProgress& progress) {
            ReduceBook(book, progress);
            WriteInteractiveReductionOutputs(book, files, progress);
            nameWarnings = BlankNameWarnings(book);
        });
        if (!done) return;  // cancelled: nothing was written
    } catch (const TextFileError& error) {
        ReportError(WriteErrorText(error));
        return;
    } catch (const std::exception& error) {
        ReportError(QString::fromUtf8("Erreur pendant la réduction du fichier %1 :\n%2").arg(source, error.what()));
        return;
    }
    ShowCommandWarnings(this, *prompts_, QString::fromUtf8("Valeurs illisibles du fichier carnet %1, lues comme indiqué :\n%2"),
                        source, unread);
    // The reduced book is written: its memory goes back before the report
    // is rendered (a monitoring book's model is hundreds of megabytes).
    book = Tday_obs();
    ReleaseFreedMemory();
    ProbeMark("book-released");
    ShowCommandWarnings(this, prompts(), QString::fromUtf8("Réduction du fichier %1 :\n%2"), source, nameWarnings);
    // `document` may be one of the windows closed here.
    CloseDocumentsNamed(Q(files.chk));
    CloseDocumentsNamed(Q(files.xml));
    OpenInReportViewer(Q(files.xml));
    QTimer::singleShot(0, this, [] { ProbeMark("report-shown"); });
}

namespace {

enum class GsiTarget { TextBook, XmlBook };

}  // namespace

static void ConvertGsi(TFMain_velka& main, GsiTarget target) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    const std::optional<std::vector<std::string>> copied = document->LinesForCommand();
    if (!copied) return;
    const std::vector<std::string>& lines = *copied;
    const QString source = document->FileName();
    if (!ContainsGsiBlock(lines)) {
        // Not a recording: said before any name or style is asked.
        QString text = QString::fromUtf8("Conversion du fichier %1 impossible :\n%2").arg(source, Q(GsiNotARecordingMessage()));
        if (LooksLikeGdm(source, lines)) text += "\n" + QString::fromUtf8(kGdmConversionPlace);
        main.prompts().Error(&main, text);
        return;
    }
    const bool text = target == GsiTarget::TextBook;
    const auto name = text ? main.AskOutputName("Choix du nom du fichier carnet", "Fichier Carnet (*.carnet)|*.carnet",
                                                main.ProposedName(*document, ".carnet"))
                           : main.AskOutputName("Choix du nom du fichier carnet", "Fichier Carnet (*.xcrt)|*.xcrt",
                                                main.ProposedName(*document, ".xcrt"));
    if (!name) return;
    main.prompts().ConfirmGsiFormat(&main, lines);

    GsiReport report;
    const std::string header = Param().entete_gsi;
    const std::string path = S(*name);
    try {
        const bool done = RunWithProgress(&main, QString::fromUtf8("Conversion GSI"), [&](TProgress& progress) {
            progress.Stage("Conversion de l'enregistrement GSI");
            std::vector<std::string> result;
            if (text) {
                for (std::string& line : GsiToTextBook(lines, header, &report))
                    if (!line.empty()) result.push_back(std::move(line));
            } else {
                result = GsiToXmlBook(lines, header, &report);
            }
            progress.ThrowIfCancelled();
            progress.Stage("Écriture du carnet");
            WriteTextLines(path, result, text ? FileEncoding::Cp1252 : FileEncoding::Latin1Xml);
        });
        if (!done) return;  // cancelled: nothing was written
    } catch (const GsiConversionError& error) {
        main.prompts().Error(&main, QString::fromUtf8("Conversion du fichier %1 impossible :\n%2").arg(source, error.what()));
        return;
    } catch (const TextFileError& error) {
        main.prompts().Error(&main, WriteErrorText(error));
        return;
    } catch (const std::exception& error) {
        // Nothing may leave a menu command through the event loop.
        main.prompts().Error(&main, QString::fromUtf8("Conversion du fichier %1 impossible :\n%2").arg(source, error.what()));
        return;
    }
    if (!report.warnings.empty()) {
        QStringList warnings;
        for (const std::string& warning : report.warnings) warnings << Q(warning);
        main.prompts().Warning(&main, QString::fromUtf8("Conversion du fichier %1 :\n%2").arg(source, warnings.join('\n')));
    }
    main.OpenAsDocument(*name);
}

void TFMain_velka::GSIformatcarnet1Click() { ConvertGsi(*this, GsiTarget::TextBook); }

void TFMain_velka::ConversionGSILeicaformatcarnetxml1Click() { ConvertGsi(*this, GsiTarget::XmlBook); }

}  // namespace kestrova
