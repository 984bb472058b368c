// The reduction and the two GSI conversions run from the main window, and
// the activation rules of the "&Topo" menu and the two toolbar buttons.
#include <atomic>
#include <chrono>
#include <future>

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QtTest>

#include "base/param.hpp"
#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

// One station measured in two faces, closed on its opening target.
const std::vector<std::string> kBook = {
    "* Carnet d'essai",
    " station 1001     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420",
    "  numero 1002     AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 1003     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0012+000 hv_m    1.6500",
    "  numero 2002     AH_gr  300.0097 AV_gr   98.7725 Dp_m   96.1151 ppm_cste_mm 0012+000 hv_m    1.5000",
    "  numero 1002     AH_gr   12.3451 AV_gr  100.4138 Dp_m  187.4516 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 1002     AH_gr  212.3457 AV_gr  299.5884 Dp_m  187.4498 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 2002     AH_gr  100.0093 AV_gr  301.2299 Dp_m   96.1152 ppm_cste_mm 0012+000 hv_m    1.5000",
    "  numero 1003     AH_gr  275.5976 AV_gr  300.8137 Dp_m  142.3372 ppm_cste_mm 0012+000 hv_m    1.6500",
    "  numero 1002     AH_gr  212.3461 AV_gr  299.5891 Dp_m  187.4522 ppm_cste_mm 0012+000 hv_m    1.6000",
};

const std::vector<std::string> kGsi = {
    "410001+00001001 42....+00000120 43....+00007600 44....+00001458",
    "110012+00000A12 21.322+12345678 22.322+09876543 31..00+00012345 51....+0012+034 87..10+00001600",
};

bool TopoEnabled(TFMain_velka& main) {
    return main.Topo1->menuAction()->isEnabled() && main.gsi2crt->isEnabled() && main.ToolButtonReduc->isEnabled();
}
bool TopoDisabled(TFMain_velka& main) {
    return !main.Topo1->menuAction()->isEnabled() && !main.gsi2crt->isEnabled() &&
           !main.ToolButtonReduc->isEnabled();
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void commandsNeedADocument() {
        Shell shell;
        shell.main->Reduction1Click();
        shell.main->GSIformatcarnet1Click();
        shell.main->ConversionGSILeicaformatcarnetxml1Click();
        QVERIFY(shell.prompts->dialogs.empty());
        QCOMPARE(shell.prompts->reductionDialogs, 0);
        QVERIFY(shell.prompts->messages.isEmpty());
    }

    void reductionRefusesAModifiedDocument() {
        const QString dir = ScratchDir("modified");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/book.crt");
        QTest::keyClicks(doc->Editor, " ");
        shell.main->ToolButtonReduc->trigger();
        QCOMPARE(shell.prompts->messages,
                 QStringList{QString::fromUtf8("Veuillez sauvegarder avant de lancer la réduction")});
        QCOMPARE(shell.prompts->reductionDialogs, 0);
        QVERIFY(shell.prompts->dialogs.empty());
        QVERIFY(!QFile::exists(dir + "/book.obs"));
    }

    void reductionDialogCancelFlag() {
        const QString dir = ScratchDir("cancel");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/book.crt");
        // "Annuler" stops; closing the dialog afterwards keeps that choice.
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Annuler, Prompts::ReductionChoice::Closed};
        shell.main->Reduction1Click();
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->reductionDialogs, 2);
        QVERIFY(shell.prompts->dialogs.empty());
        // "Valider" goes on to the output name; a cancelled name writes nothing.
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider, Prompts::ReductionChoice::Closed};
        shell.prompts->names = {std::nullopt, std::nullopt};
        shell.main->Reduction1Click();
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->dialogs.size(), size_t(2));
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{"book.crt"});
    }

    void theBookIsReadFromTheEditorWhichCannotChangeMeanwhile() {
        const QString dir = ScratchDir("frozen");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/book.crt");
        const std::vector<std::string> before = doc->Lines();
        // The reading waits until the user has tried to type into the
        // document (from a timer of the window's thread).
        std::atomic<bool> reading{false};
        std::promise<void> typed;
        SetStageHookForTests([&](const std::string& stage) {
            if (stage != "Lecture du carnet") return;
            reading = true;
            typed.get_future().wait_for(std::chrono::seconds(20));
        });
        bool readOnlyWhileReading = false;
        std::vector<std::string> whileReading;
        QTimer timer;
        connect(&timer, &QTimer::timeout, &timer, [&] {
            if (!reading) return;
            timer.stop();
            readOnlyWhileReading = doc->Editor->isReadOnly();
            QTest::keyClicks(doc->Editor, "xy");
            QTest::keyClick(doc->Editor, Qt::Key_Delete);
            whileReading = doc->Lines();
            typed.set_value();
        });
        timer.start(5);
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        SetStageHookForTests({});
        QVERIFY(reading);
        QVERIFY(readOnlyWhileReading);
        QVERIFY(whileReading == before);
        QVERIFY(!doc->Modified());
        QVERIFY(ReadBytes(dir + "/out.obs").contains("1003"));
        // Editable again afterwards.
        QVERIFY(!doc->Editor->isReadOnly());
        QTest::keyClicks(doc->Editor, "x");
        QVERIFY(doc->Modified());
    }

    void unreadableBookIsReported() {
        const QString dir = ScratchDir("unreadable");
        WriteBytes(dir + "/notes.txt", CrLf({"rien a reduire", "ici"}));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/notes.txt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->messages, QStringList{QString::fromUtf8("Problème de lecture du fichier Carnet")});
        QVERIFY(shell.prompts->dialogs.empty());

        // An XML book whose reading stops on a fault: the box tells where.
        WriteBytes(dir + "/suivi.xcrt",
                   CrLf({"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<carnet><etalonnages>",
                         "<etalonnage num=\"1\" serial=\"1\" Ddep=\"inf\" Dmax=\"9\" P=\"1\" deg_Fourier=\"0\" "
                         "deg_polynome=\"0\" n_corr_interp=\"0\"/>",
                         "</etalonnages><stations/></carnet>"}));
        shell.main->OpenAsDocument(dir + "/suivi.xcrt");
        shell.prompts->messages.clear();
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->messages,
                 QStringList{QString::fromUtf8("Problème de lecture du fichier Carnet\nLecture arrêtée : ligne 3, "
                                               "élément etalonnage, attribut Ddep = \"inf\" : nombre attendu")});
    }

    void reductionTellsTheValuesThatAreNotNumbers() {
        const QString dir = ScratchDir("unread");
        std::vector<std::string> book = kBook;
        book.push_back("  numero 1003     AH_gr  132,1876 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0012+000 hv_m    1.6500");
        WriteBytes(dir + "/book.crt", CrLf(book));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        // One warning box naming the line and the field; the outputs are written.
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY2(shell.prompts->messages[0].contains(QString::fromUtf8("ligne %1, AH_gr « 132,1876 » : pas un nombre")
                                                         .arg(book.size())),
                 qPrintable(shell.prompts->messages[0]));
        QVERIFY(QFileInfo(dir + "/out.obs").size() > 0);
        QVERIFY(ReadBytes(dir + "/out.chk").contains("Valeur illisible du fichier carnet"));
    }

    void fullReductionWritesSevenFilesAndShowsTheReport() {
        const QString dir = ScratchDir("reduce");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        // Windows left open on the previous outputs: an unmodified listing
        // and an older report.
        WriteBytes(dir + "/out.chk", "ancien\r\n");
        WriteBytes(dir + "/out.xml", "<?xml version=\"1.0\"?>\r\n<ancien/>\r\n");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/out.chk");
        shell.main->OpenInReportViewer(dir + "/out.xml");
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/book.crt");
        QVERIFY(TopoEnabled(*shell.main));

        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        QCOMPARE(shell.prompts->dialogs.size(), size_t(1));
        QCOMPARE(shell.prompts->dialogs[0].title, QString("choix du nom du fichier Brelix"));
        QCOMPARE(shell.prompts->dialogs[0].filter, QString("Fichier Brelix (*.obs)|*.obs"));
        QCOMPARE(shell.prompts->dialogs[0].proposed, dir + "/book.obs");

        for (const char* name : {"out.obs", "out.chk", "out.xml", "out.xsl", "out.gkf", "out.iob", "out_out.gsi"})
            QVERIFY2(QFileInfo(dir + "/" + name).size() > 0, name);
        QVERIFY(ReadBytes(dir + "/out.obs").contains("1003"));
        QVERIFY(ReadBytes(dir + "/out.chk").contains("Station valide"));

        // The old listing and report windows are gone; the new report is
        // shown formatted and is the active child.
        const auto children = shell.main->Children();
        QCOMPARE(children.size(), 2);
        QCOMPARE(qobject_cast<TEditForm*>(children[0]->widget()), doc);
        TForm_XMLView* viewer = shell.main->ActiveReportViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), dir + "/out.xml");
        QVERIFY(viewer->Formatted());
        QVERIFY(viewer->Html().contains(QString::fromUtf8("Station #1 (Point 1001) : station réduite")));

        // With the report active, the field-book commands are off.
        QVERIFY(TopoDisabled(*shell.main));
        QVERIFY(shell.main->ActiveDocument() == nullptr);
        shell.main->ToolButtonReduc->trigger();  // disabled: nothing happens
        shell.main->Reduction1Click();           // no active document
        QCOMPARE(shell.prompts->reductionDialogs, 1);
        // Back on the document, they are on again.
        shell.main->MdiArea()->setActiveSubWindow(children[0]);
        QVERIFY(TopoEnabled(*shell.main));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void bookNamedLikeAnOutputIsNeitherReplacedNorClosed() {
        const QString dir = ScratchDir("reduce_self");
        WriteBytes(dir + "/chantier.xml", CrLf(kBook));  // a text book, whatever its name
        const QByteArray before = ReadBytes(dir + "/chantier.xml");
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/chantier.xml");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/chantier.obs"};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains(dir + "/chantier.xml"), qPrintable(shell.prompts->errors[0]));
        QCOMPARE(ReadBytes(dir + "/chantier.xml"), before);
        QVERIFY(!QFile::exists(dir + "/chantier.obs"));
        QCOMPARE(shell.main->Children().size(), 1);
        QCOMPARE(shell.main->ActiveDocument(), doc);
    }

    void modifiedListingIsAskedAboutBeforeItCloses() {
        const QString dir = ScratchDir("reduce_ask");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        WriteBytes(dir + "/book.chk", "ancien\r\n");
        Shell shell;
        TEditForm* listing = shell.main->OpenAsDocument(dir + "/book.chk");
        QTest::keyClicks(listing->Editor, "note");
        shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/book.obs"};
        shell.prompts->answers = {Prompts::Answer::No};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->questions, QStringList{"Save changes to " + dir + "/book.chk?"});
        QCOMPARE(shell.main->Children().size(), 2);
        QVERIFY(ReadBytes(dir + "/book.chk").contains("Station valide"));
    }

    void failedWriteIsReportedWithTheFileName() {
        const QString dir = ScratchDir("reduce_fail");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/missing/out.obs"};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains(dir + "/missing/out."), qPrintable(shell.prompts->errors[0]));
        QVERIFY(shell.main->ActiveReportViewer() == nullptr);
    }

    // A standard deviation of the ini that gama-local would refuse in the
    // .gkf: the reduction says which key, and writes none of its files.
    void unusableIniSigmaStopsTheReduction() {
        const QString dir = ScratchDir("reduce_sigma");
        WriteBytes(dir + "/book.crt", CrLf(kBook));
        Param().sigma_V = 0.0f;
        Shell shell;
        shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains(QString::fromUtf8("la clé sigma_V du fichier ")) &&
                     shell.prompts->errors[0].contains(dir + "/out.gkf auraient un écart-type nul"),
                 qPrintable(shell.prompts->errors[0]));
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"book.crt"});
        QVERIFY(shell.main->ActiveReportViewer() == nullptr);
    }

    void gsiToTextBook() {
        const QString dir = ScratchDir("gsi_text");
        WriteBytes(dir + "/releve.gsi", CrLf(kGsi));
        Param().longueur = 4;
        Param().entete_gsi = "covadis";
        Shell shell;
        shell.main->OpenAsDocument(dir + "/releve.gsi");
        shell.prompts->names = {dir + "/releve.carnet"};
        shell.prompts->gsiStyle = "TS";  // the user confirms the proposal
        shell.main->gsi2crt->trigger();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        QCOMPARE(shell.prompts->dialogs[0].title, QString("Choix du nom du fichier carnet"));
        QCOMPARE(shell.prompts->dialogs[0].filter, QString("Fichier Carnet (*.carnet)|*.carnet"));
        QCOMPARE(shell.prompts->dialogs[0].proposed, dir + "/releve.carnet");
        QCOMPARE(shell.prompts->gsiConfirmations, std::vector<std::vector<std::string>>{kGsi});
        QCOMPARE(ReadBytes(dir + "/releve.carnet"),
                 CrLf({" station 1001     Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.458",
                       "  numero A12      AH_gr 123.45678 AV_gr  98.76543 Dp_m   12.3450 ppm_cste_mm 0012+034 "
                       "hv_m     1.600"}));
        // The result is opened as the active document.
        TEditForm* result = shell.main->ActiveDocument();
        QVERIFY(result);
        QCOMPARE(result->Caption(), dir + "/releve.carnet");
        QCOMPARE(result->Lines().size(), size_t(2));
    }

    void gsiWithoutStationGetsTheDefaultStation() {
        const QString dir = ScratchDir("gsi_default");
        WriteBytes(dir + "/r.gsi", CrLf({kGsi[1]}));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/r.gsi");
        shell.prompts->names = {dir + "/r.carnet"};
        shell.main->GSIformatcarnet1Click();
        const QList<QByteArray> lines = ReadBytes(dir + "/r.carnet").split('\n');
        QCOMPARE(lines[0], QByteArray(" station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 \r"));
    }

    void gsiToXmlBook() {
        const QString dir = ScratchDir("gsi_xml");
        WriteBytes(dir + "/releve.gsi", CrLf(kGsi));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/releve.gsi");
        shell.prompts->names = {dir + "/releve.xcrt"};
        shell.prompts->gsiStyle = "TS";
        shell.main->ConversionGSILeicaformatcarnetxml1Click();
        QVERIFY(shell.prompts->errors.isEmpty());
        QCOMPARE(shell.prompts->dialogs[0].filter, QString("Fichier Carnet (*.xcrt)|*.xcrt"));
        QCOMPARE(shell.prompts->dialogs[0].proposed, dir + "/releve.xcrt");
        QCOMPARE(shell.prompts->gsiConfirmations.size(), size_t(1));
        const QByteArray xml = ReadBytes(dir + "/releve.xcrt");
        QVERIFY(xml.startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
        QVERIFY(xml.contains("pt_sta=\"1001\""));
        QVERIFY(xml.contains("pt_vis=\"A12\""));
        QCOMPARE(shell.main->ActiveDocument()->Caption(), dir + "/releve.xcrt");
    }

    void documentThatIsNotGsiIsRefusedByBothRoutes() {
        const QString dir = ScratchDir("gsi_not_gsi");
        WriteBytes(dir + "/notes.txt", "Compte rendu du chantier\r\nstation 12 : borne détruite\r\n");
        WriteBytes(dir + "/notes.xcrt", "ancien\r\n");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/notes.txt");
        shell.prompts->names = {dir + "/notes.carnet", dir + "/notes.xcrt"};
        shell.main->GSIformatcarnet1Click();
        shell.main->ConversionGSILeicaformatcarnetxml1Click();
        // Refused before any name or header style is asked.
        QCOMPARE(shell.prompts->names.size(), 2);
        QVERIFY(shell.prompts->gsiConfirmations.empty());
        QCOMPARE(shell.prompts->errors.size(), 2);
        for (const QString& error : shell.prompts->errors) {
            QVERIFY(error.contains(dir + "/notes.txt"));
            QVERIFY(error.contains(QString::fromUtf8("Aucun bloc GSI (mot 11 ou 41) dans le fichier")));
        }
        QVERIFY(!QFileInfo::exists(dir + "/notes.carnet"));
        QCOMPARE(ReadBytes(dir + "/notes.xcrt"), QByteArray("ancien\r\n"));
        QCOMPARE(shell.main->Children().size(), 1);

        // A recording among notes converts, and the count is shown.
        WriteBytes(dir + "/mixte.gsi", CrLf({"Notes", "appareil 1201", kGsi[0], "fin"}));
        shell.main->OpenAsDocument(dir + "/mixte.gsi");
        shell.prompts->names = {dir + "/mixte.carnet"};
        shell.main->GSIformatcarnet1Click();
        QVERIFY(QFileInfo::exists(dir + "/mixte.carnet"));
        QVERIFY(!shell.prompts->messages.isEmpty());
        QVERIFY(shell.prompts->messages.last().contains(
            QString::fromUtf8("3 lignes sur 4 ne sont pas des blocs GSI (mot 11 ou 41) : elles sont ignorées.")));
    }

    void gsiConversionErrorNamesTheFileAndKeepsTheOldOutput() {
        const QString dir = ScratchDir("gsi_error");
        WriteBytes(dir + "/bad.gsi", CrLf({"110012+00000A12 21.322+1234X678"}));
        WriteBytes(dir + "/bad.carnet", "ancien\r\n");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/bad.gsi");
        shell.prompts->names = {dir + "/bad.carnet"};
        shell.main->GSIformatcarnet1Click();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains(dir + "/bad.gsi"));
        QCOMPARE(ReadBytes(dir + "/bad.carnet"), QByteArray("ancien\r\n"));
        QCOMPARE(shell.main->Children().size(), 1);
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
