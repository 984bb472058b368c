#include "shell/adjust_commands.hpp"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QUrl>

#include "adjust/adjust_input.hpp"
#include "adjust/adjust_report.hpp"
#include "adjust/adjustment.hpp"
#include "adjust/child_process.hpp"
#include "adjust/gama_locate.hpp"
#include "base/output_set.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/editing_tools.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"
#include "shell/report_sketches.hpp"
#include "shell/xml_view.hpp"

namespace kestrova {

namespace {

const char* const kTitle = "Ajustement (GNU Gama)…";
const char* const kSuffix = "_ajustement.html";

void Adjust(TFMain_velka& main, bool levellingMenu) {
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    const std::string program = FindGamaLocal();
    if (program.empty()) {
        main.prompts().Error(&main, QString::fromStdString(GamaLocalAbsentText()));
        return;
    }
    const QString source = document->FileName();
    AdjustInputKind kind = AdjustInputKindOf(S(source));
    if (levellingMenu && kind == AdjustInputKind::FieldBook) kind = AdjustInputKind::LevellingBook;

    const auto cor = main.prompts().AskOpenName(&main, QString::fromUtf8("Choix du fichier de coordonnées"),
                                                QString::fromUtf8("Fichier de coordonnées (*.cor)|*.cor"),
                                                QFileInfo(source).absolutePath());
    if (!cor) return;
    std::vector<std::string> corLines;
    try {
        corLines = ReadTextLines(S(*cor));
    } catch (const TextFileError& e) {
        main.prompts().Error(&main, QString::fromUtf8("Impossible de lire le fichier %1 :\n%2").arg(*cor, Q(e.what())));
        return;
    }
    const auto chosen = main.AskOutputName(QString::fromUtf8("Choix du nom du compte rendu d'ajustement"),
                                           QString::fromUtf8("Compte rendu d'ajustement (*.html)|*.html"),
                                           main.ProposedName(*document, kSuffix));
    if (!chosen) return;
    std::string base = S(*chosen);
    if (base.size() > std::string(kSuffix).size() &&
        base.compare(base.size() - std::string(kSuffix).size(), std::string::npos, kSuffix) == 0)
        base.resize(base.size() - std::string(kSuffix).size());
    const AdjustFiles files = AdjustFileNames(base);
    for (const std::string& out : {files.gkf, files.xml, files.txt, files.html}) {
        if (SameFile(S(source), out) || SameFile(S(*cor), out)) {
            main.prompts().Error(&main, QString::fromUtf8("Le fichier de sortie %1 est un fichier lu : rien n'est "
                                                          "écrit")
                                            .arg(Q(out)));
            return;
        }
    }
    const auto lines = document->LinesForCommand();
    if (!lines) return;

    std::vector<std::string> warnings;
    const bool done = RunMenuCommand(
        &main, main.prompts(), source, QString::fromUtf8(kTitle),
        QString::fromUtf8("Ajustement de %1 impossible :\n%2"), [&](TProgress& progress) {
            try {
                RunAdjustment(program, kind, *lines, S(source), corLines, S(*cor), files, warnings, progress);
            } catch (const GamaRunError& e) {
                throw std::runtime_error(std::string("gama-local n'a pas ajusté le réseau : ") + e.what() +
                                         " ; rien n'est écrit");
            } catch (const ChildStartError& e) {
                throw std::runtime_error(std::string("impossible de lancer gama-local : ") + e.what());
            }
        });
    if (!done) return;
    ShowCommandWarnings(&main, main.prompts(), QString::fromUtf8("Fichier %1 :\n%2"), source, warnings);
    TForm_XMLView* viewer = main.OpenInReportViewer(Q(files.html));
    if (viewer) ShowAdjustReport(*viewer, Q(files.html));
}

QAction* AddEntry(QMenu* menu, TFMain_velka& main, const char* name, void (*handler)(TFMain_velka&)) {
    menu->addSeparator();
    QAction* a = menu->addAction(QString::fromUtf8(kTitle));
    a->setObjectName(name);
    QObject::connect(a, &QAction::triggered, &main, [&main, handler] { handler(main); });
    return a;
}

}  // namespace

void AddAdjustEntries(TFMain_velka& main) {
    AddEntry(main.Topo1, main, "AjustementTopo1", &AjustementTopoClick);
    AddEntry(LevellingMenu(main), main, "AjustementNivellement1", &AjustementNivellementClick);
}

void AjustementTopoClick(TFMain_velka& main) { Adjust(main, false); }
void AjustementNivellementClick(TFMain_velka& main) { Adjust(main, true); }

bool ShowAdjustReport(TForm_XMLView& viewer, const QString& htmlPath) {
    std::string html;
    try {
        html = ReadFileBytes(S(htmlPath));
    } catch (const TextFileError&) {
        return false;
    }
    auto* browser = qobject_cast<TReportBrowser*>(viewer.XMLview);
    const std::size_t begin = html.find("<svg");
    const std::size_t end = html.find("</svg>", begin == std::string::npos ? 0 : begin);
    if (browser && begin != std::string::npos && end != std::string::npos) {
        const QImage image = RenderSvg(html.substr(begin, end + 6 - begin));
        browser->sketch = [image](int) { return image; };
        html.replace(begin, end + 6 - begin, "<img src=\"" + S(SketchUrl(0)) + "\"/>");
    }
    viewer.XMLview->setHtml(QString::fromLatin1(html.data(), static_cast<int>(html.size())));
    // The page is already one for any browser: « Ouvrir dans le navigateur »
    // opens the file itself.
    QObject::disconnect(viewer.OpenInBrowserAction, &QAction::triggered, nullptr, nullptr);
    QObject::connect(viewer.OpenInBrowserAction, &QAction::triggered, &viewer, [&viewer, htmlPath] {
        if (viewer.openUrl) viewer.openUrl(QUrl::fromLocalFile(QFileInfo(htmlPath).absoluteFilePath()));
    });
    return true;
}

}  // namespace kestrova
