// The editing tools driven from the main window through scripted dialogs:
// the observation line editor on a text and an XML book, the four
// insertions and the point renaming with its backup.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "shell/edit_form.hpp"
#include "shell/insertion_dialogs.hpp"
#include "shell/line_editor_dialog.hpp"
#include "shell/rename_dialog.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const std::vector<std::string> kBook = {
    "* Carnet d'essai",
    " prisme P1               cste_m -0.0175 ",
    " station 12       Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420",
    "  numero 12       AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0012+000 hv_m    1.6000",
    "  numero 1003     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0012+000 hv_m    1.6500",
};

const std::vector<std::string> kXmlBook = {
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
    "<carnet>",
    "   <stations>",
    "      <station num=\"1\" pt_sta=\"S1\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
    "         <rawdata>",
    "            <obs num=\"1\" pt_vis=\"A\" Hz=\"10.0000\" V=\"100.0000\" Dp=\"25.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>",
    "            <obs num=\"2\" pt_vis=\"B\" Hz=\"20.0000\" V=\"100.0000\" Dp=\"30.0000\" Hv=\"1.6\" ppm=\"0\" cste=\"0\"/>",
    "         </rawdata>",
    "      </station>",
    "   </stations>",
    "</carnet>",
};

QAction* Action(TFMain_velka& main, const char* name) { return main.findChild<QAction*>(name); }

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void Type(QLineEdit* edit, const QString& text) {
    edit->clear();
    edit->insert(text);
}

TEditForm* OpenBook(Shell& shell, const QString& dir, const char* name, const std::vector<std::string>& lines,
                    int caretLine) {
    WriteBytes(dir + "/" + name, CrLf(lines));
    TEditForm* doc = shell.main->OpenAsDocument(dir + "/" + name);
    doc->Editor->setCursorPosition(caretLine, 0);
    return doc;
}

}  // namespace

class EditingToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void menuEntriesAndKeys() {
        Shell shell;
        QCOMPARE(Action(*shell.main, "Modifierlobservation1")->shortcut(), QKeySequence(Qt::Key_F7));
        QCOMPARE(Action(*shell.main, "RenommerunPoint1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F2));
        QCOMPARE(Action(*shell.main, "InsererEnteteStation1")->text(),
                 QString::fromUtf8("Insérer une entête de station (gsi ou carnet)"));
        QCOMPARE(Action(*shell.main, "InsererDefinitionHauteur1")->text(),
                 QString::fromUtf8("Insérer une définition de hauteur de voyant ou de station (carnet)"));
        // Without a document every entry does nothing.
        for (const char* name : {"Modifierlobservation1", "InsererEnteteStation1", "InsererDefinitionPrisme1",
                                 "InsererEquationCentrage1", "InsererDefinitionHauteur1", "RenommerunPoint1"})
            Action(*shell.main, name)->trigger();
        QVERIFY(shell.prompts->dialogTitles.isEmpty());
        QVERIFY(shell.prompts->messages.isEmpty());
        // The document's context menu.
        TEditForm* doc = shell.main->NewDocument();
        QStringList captions;
        for (QAction* a : doc->PopupMenu1->actions()) captions << a->text();
        QVERIFY(captions.contains("Modifier l'observation"));
        QVERIFY(captions.contains(QString::fromUtf8("Ajouter une ligne d'entête")));
        // A document that is no field book.
        doc->SetLines({"rien", "ici"});
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{"Action possible uniquement sur un fichier *.crt ou*.xcrt"});
        QVERIFY(shell.prompts->dialogTitles.isEmpty());
    }

    void lineEditorOnATextBook() {
        const QString dir = ScratchDir("line_text");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            QCOMPARE(f.Numligne->text(), QString("4"));
            QCOMPARE(f.Ptvise->text(), QString("12"));
            QCOMPARE(f.Hv->text(), QString("1.6000"));
            QVERIFY(f.Hv->isVisibleTo(&f));
            QCOMPARE(doc->Editor->selectedText().left(7), QString(" numero"));
            Type(f.Ptvise, "P12");
            Type(f.Ah, "123.4567");
            Type(f.Av, "100.0000");
            Type(f.Dp, "25.123");
            f.ppm->setText("0000+000");
            Type(f.Hv, "1.600");
            Click(f.Valider);
            // Station line: refused values, every message in order.
            Click(f.Precedente);
            QCOMPARE(f.LPtvise->text(), QString("Nom de la station :"));
            QVERIFY(!f.Hv->isVisibleTo(&f));
            Type(f.Av, "1013.2");
            Type(f.Dp, "1.54321");
            Click(f.Valider);
            // Back down: Ajouter then Valider makes a new observation line.
            Click(f.Suivante);
            Click(f.Ajouter);
            QCOMPARE(f.CurrentIndex(), 4);
            QCOMPARE(f.Ptvise->text(), QString());
            Type(f.Ptvise, "N1");
            Type(f.Ah, "1");
            Type(f.Av, "2");
            Type(f.Dp, "3");
            Type(f.Hv, "1.5");
            Click(f.ValiderQuitter);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QVERIFY(shell.prompts->unexpected.isEmpty());
        QCOMPARE(shell.prompts->messages,
                 (QStringList{QString::fromUtf8(
                                  "Attention : Pression incohérente. Unité demandée: millimètres de mercure (mmHg)"),
                              QString::fromUtf8("Attention : Hauteur appareil incohérente")}));
        const std::vector<std::string> lines = doc->Lines();
        QCOMPARE(lines.size(), kBook.size() + 1);
        QCOMPARE(lines[2], kBook[2]);
        QCOMPARE(lines[3], std::string(" numero       P12 AH_gr  123.4567 AV_gr  100.0000 Dp_m    25.123 "
                                       "ppm_cste_mm  0000+000 hv_m     1.600"));
        QCOMPARE(lines[4], std::string(" numero        N1 AH_gr         1 AV_gr         2 Dp_m         3 "
                                       "ppm_cste_mm  0000+000 hv_m       1.5"));
        QCOMPARE(lines[5], kBook[4]);
        QVERIFY(doc->Modified());
        QCOMPARE(ReadBytes(dir + "/book.crt"), CrLf(kBook));  // only the document changed
        // Each change is one step of the undo; back at the saved text the
        // document is no longer modified.
        for (int i = 0; i < 3; ++i) doc->Editor->undo();
        QCOMPARE(doc->Lines(), kBook);
        QVERIFY(!doc->Modified());
    }

    void lineEditorRemovesLinesOneByOne() {
        const QString dir = ScratchDir("line_remove");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            Click(f.Supprimer);  // the first observation: the next one shows in its place
            QCOMPARE(f.CurrentIndex(), 3);
            QCOMPARE(f.Ptvise->text(), QString("1003"));
            QVERIFY(!f.Suivante->isEnabled());
            Click(f.Supprimer);  // the last line: the one before it shows
            QCOMPARE(f.CurrentIndex(), 2);
            QCOMPARE(f.LPtvise->text(), QString("Nom de la station :"));
            f.reject();
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QCOMPARE(doc->Lines(), std::vector<std::string>(kBook.begin(), kBook.begin() + 3));
        QCOMPARE(doc->Text(), std::string_view(kBook[0] + "\n" + kBook[1] + "\n" + kBook[2] + "\n"));
        QVERIFY(doc->Modified());
        // A last line without its line end goes whole; the line before keeps its own.
        doc->SetText("a\r\nb");
        doc->RemoveLine(1);
        QCOMPARE(doc->Text(), std::string_view("a\r\n"));
        doc->RemoveLine(0);
        QCOMPARE(doc->Text(), std::string_view(""));
    }

    void lineEditorOnAnXmlBook() {
        const QString dir = ScratchDir("line_xml");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.xcrt", kXmlBook, 0);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            // From the declaration the first station is shown.
            QCOMPARE(f.CurrentIndex(), 3);
            QCOMPARE(f.Ptvise->text(), QString("S1"));
            QCOMPARE(f.Lppm->text(), QString("Etalonnage :"));
            QVERIFY(!f.Precedente->isEnabled());
            Type(f.Ah, "15.5");
            Click(f.Valider);
            Click(f.Suivante);  // the rawdata line is skipped
            QCOMPARE(f.CurrentIndex(), 5);
            QCOMPARE(f.Ptvise->text(), QString("A"));
            QCOMPARE(f.Lppm->text(), QString("Ppm :"));
            Click(f.Ajouter);
            QCOMPARE(f.CurrentIndex(), 6);
            Type(f.Ptvise, "N");
            Type(f.Ah, "1");
            Type(f.Av, "2");
            Type(f.Dp, "3");
            Type(f.Hv, "1.5");
            Click(f.Valider);
            Click(f.Suivante);
            QCOMPARE(f.Ptvise->text(), QString("B"));
            QVERIFY(!f.Suivante->isEnabled());
            Click(f.Annuler);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QVERIFY(shell.prompts->unexpected.isEmpty());
        QVERIFY(shell.prompts->messages.isEmpty());
        const std::vector<std::string> lines = doc->Lines();
        QCOMPARE(lines.size(), kXmlBook.size() + 1);
        QCOMPARE(lines[3], std::string("      <station num=\"1\" pt_sta=\"S1\" temp=\"15.5\" press=\"760.0\" Ht=\"1.5000\" "
                                       "etalonnage=\"0\">"));
        QCOMPARE(lines[6], std::string("            <obs num=\"2\" pt_vis=\"N\" Hz=\"1\" V=\"2\" Dp=\"3\" Hv=\"1.5\" "
                                       "ppm=\"\" cste=\"\"/>"));
        QVERIFY(lines[7].find("num=\"3\" pt_vis=\"B\"") != std::string::npos);
        QVERIFY(doc->Modified());
    }

    void stationHeaderInsertion() {
        const QString dir = ScratchDir("station_header");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TF_add_station&>(d);
            QVERIFY(f.carnet->isChecked());  // the document has station lines
            Type(f.Label_temp, "douze");
            Click(f.Ok);
            QVERIFY(IsMarkedInvalid(f.Label_station));
            QVERIFY(IsMarkedInvalid(f.Label_temp));
            QVERIFY(!IsMarkedInvalid(f.Label_Press));
            QCOMPARE(doc->Lines().size(), kBook.size());
            Type(f.Label_station, "S1");
            Type(f.Label_temp, "12.0");
            Type(f.Label_hauteur, "1.5");
            Click(f.Ok);
            QVERIFY(!IsMarkedInvalid(f.Label_temp));
        });
        Action(*shell.main, "InsererEnteteStation1")->trigger();
        QCOMPARE(doc->Lines()[3], std::string(" station S1               Temp_deg 12.0 Press_mmHg 760.0  ht_m 1.5"));
        QCOMPARE(doc->Lines()[4], kBook[3]);

        // A GSI recording gets the GSI form by default, from the context menu.
        TEditForm* gsi = OpenBook(shell, dir, "rec.gsi", {"110001+00000012 21.324+10000000"}, 0);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TF_add_station&>(d);
            QVERIFY(f.gsi->isChecked());
            Type(f.Label_station, "S1");
            Type(f.Label_temp, "-5.0");
            Click(f.Ok);
        });
        gsi->PopupMenu1->findChild<QAction*>("add_header")->trigger();
        QCOMPARE(gsi->Lines()[0], std::string("410001+000000S1 42....+00000-50 43....+00007600 44....+00001500"));
        QVERIFY(gsi->Modified());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void definitionsAndCentringAtTheTop() {
        const QString dir = ScratchDir("definitions");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TDefinitionDialog&>(d);
            QCOMPARE(f.Edit_constante_prisme->text(), QString("0.0000"));
            Type(f.edit_nom_prisme, "P1");
            Type(f.Edit_constante_prisme, "-0.0175");
            Click(f.Ok);
        });
        Action(*shell.main, "InsererDefinitionPrisme1")->trigger();
        QCOMPARE(doc->Lines()[0], std::string(" prisme P1               cste_m -0.0175 "));

        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TDefinitionDialog&>(d);
            QCOMPARE(f.windowTitle(), QString("Ajout de hauteur voyant ou tourillons"));
            Type(f.edit_nom_prisme, "2002");
            Type(f.Edit_constante_prisme, "1.8");
            Click(f.Ok);
        });
        Action(*shell.main, "InsererDefinitionHauteur1")->trigger();
        QCOMPARE(doc->Lines()[0], std::string(" point 2002             hv_m 1.8000 "));

        // The centring dialog stays open while a standard deviation is 0.
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFAddEquationCentrage&>(d);
            Type(f.EditFrom, "S1");
            Type(f.EditTo, "S1C");
            Type(f.EditHt, "1.6");
            Type(f.EditSigmaHt, "0.001");
            Type(f.EditSigmaCentrage, "0");
            Click(f.Ok);
            QVERIFY(IsMarkedInvalid(f.EditSigmaCentrage));
            QVERIFY(f.isVisible());
        });
        Action(*shell.main, "InsererEquationCentrage1")->trigger();
        auto* centring = shell.main->findChild<TFAddEquationCentrage*>();
        QVERIFY(centring->isVisible());
        QCOMPARE(doc->Lines()[0], std::string(" point 2002             hv_m 1.8000 "));
        Type(centring->EditSigmaCentrage, "0.0005");
        Click(centring->Ok);
        QVERIFY(!centring->isVisible());
        const std::vector<std::string> lines = doc->Lines();
        QCOMPARE(lines[0], std::string("9 S1               S1C              0.0000 0.0005 0.0000 0.0000 0.0000"));
        QCOMPARE(lines[1], std::string("4 S1               S1C              1.6000 0.0010 0.0000 0.0000 0.0000"));
        QCOMPARE(lines[2], std::string());
        QCOMPARE(lines[3], std::string(" point 2002             hv_m 1.8000 "));
        QCOMPARE(lines.size(), kBook.size() + 5);
        QVERIFY(doc->Modified());
    }

    // A tool's change is a change of the document: the toolbar save writes
    // it, closing asks, the reduction refuses to run on unsaved lines.
    void toolEditsAreAskedAboutLikeTypedOnes() {
        const QString dir = ScratchDir("tool_edit_close");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            Type(f.Ah, "12.3456");
            Click(f.ValiderQuitter);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QVERIFY(doc->Lines()[3].find("AH_gr   12.3456 ") != std::string::npos);
        QVERIFY(doc->Modified());
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->messages,
                 QStringList{QString::fromUtf8("Veuillez sauvegarder avant de lancer la réduction")});
        shell.prompts->answers = {Prompts::Answer::Cancel};
        QVERIFY(!shell.main->ActiveChild()->close());
        QCOMPARE(shell.prompts->questions, QStringList{"Save changes to " + dir + "/book.crt?"});
        // Undone: the saved text again, nothing to ask.
        doc->Editor->undo();
        QCOMPARE(doc->Lines(), kBook);
        QVERIFY(!doc->Modified());
        // An insertion, saved: the file holds it.
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TF_add_station&>(d);
            Type(f.Label_station, "S9");
            Click(f.Ok);
        });
        Action(*shell.main, "InsererEnteteStation1")->trigger();
        QVERIFY(doc->Modified());
        QVERIFY(doc->Save1Click());
        QVERIFY(!doc->Modified());
        QVERIFY(ReadBytes(dir + "/book.crt").contains(" station S9 "));
        QVERIFY(shell.main->ActiveChild()->close());
        QCOMPARE(shell.prompts->questions.size(), 1);
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    // "Valider" on the bundled example: the line validated as shown stays
    // byte for byte, the pressure in hPa keeps its unit, a changed height
    // keeps every decimal typed.
    void lineEditorKeepsWhatWasNotTouched() {
        const QString dir = ScratchDir("line_untouched");
        QVERIFY(QFile::copy(QString(KESTROVA_TEST_DATA) + "/../../examples/chantier.crt", dir + "/chantier.crt"));
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/chantier.crt");
        const std::vector<std::string> before = doc->Lines();
        int station = 0;
        while (!StartsWith(Trim(before[static_cast<size_t>(station)]), "station 1002")) ++station;
        doc->Editor->setCursorPosition(0, 0);  // on the heading: F7 opens all the same
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            QCOMPARE(f.CurrentIndex(), 0);
            // Every line validated as shown, from the heading to the end (an
            // empty line would be a new pointing to fill in).
            for (;;) {
                if (!Trim(doc->LineAt(f.CurrentIndex())).empty()) QVERIFY(f.ValiderClick());
                if (!f.Suivante->isEnabled()) break;
                Click(f.Suivante);
            }
            QCOMPARE(f.CurrentIndex(), doc->LineCount() - 1);
            QCOMPARE(doc->Lines(), before);
            QVERIFY(!doc->Modified());
            // The station read in hPa.
            while (f.CurrentIndex() != station) Click(f.Precedente);
            QCOMPARE(f.LAv->text(), QString("Pression :"));
            QCOMPARE(f.UAv->text(), QString("hPa"));
            QCOMPARE(f.Av->text(), QString("980.5"));
            Type(f.Dp, "1,4875");
            Click(f.ValiderQuitter);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QVERIFY(shell.prompts->messages.isEmpty());
        QVERIFY(shell.prompts->unexpected.isEmpty());
        const std::vector<std::string> after = doc->Lines();
        QCOMPARE(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i)
            if (i != static_cast<size_t>(station)) QCOMPARE(after[i], before[i]);
        QCOMPARE(after[static_cast<size_t>(station)],
                 std::string("station 1002 Temp_deg 15.0 Press_hPa 980.5 ht_m 1.4875 prisme GPR1"));
    }

    // "Ajouter" then "Annuler" (or Escape) leaves the book as it was, in
    // both forms; "Supprimer" on the line just added does the same.
    void ajouterThenAnnulerLeavesTheBook() {
        const QString dir = ScratchDir("line_add_cancel");
        Shell shell;
        TEditForm* xml = OpenBook(shell, dir, "book.xcrt", kXmlBook, 5);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            QCOMPARE(f.Ptvise->text(), QString("A"));
            Click(f.Ajouter);
            Click(f.Ajouter);
            QCOMPARE(xml->LineCount(), int(kXmlBook.size()) + 2);
            Click(f.Precedente);  // looking elsewhere changes nothing
            Click(f.Annuler);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QCOMPARE(xml->Lines(), kXmlBook);
        QVERIFY(!xml->Modified());

        TEditForm* text = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFModifligne&>(d);
            Click(f.Ajouter);
            Click(f.Supprimer);  // the new line goes; the one after it shows
            QCOMPARE(f.CurrentIndex(), 4);
            QCOMPARE(f.Ptvise->text(), QString("1003"));
            Click(f.Ajouter);
            QTest::keyClick(&f, Qt::Key_Escape);
        });
        Action(*shell.main, "Modifierlobservation1")->trigger();
        QCOMPARE(text->Lines(), kBook);
        QVERIFY(!text->Modified());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    // Numbers typed with a decimal comma in the insertion dialogs; the
    // station header can be left by "Annuler".
    void insertionsTakeADecimalComma() {
        const QString dir = ScratchDir("insert_comma");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TF_add_station&>(d);
            Type(f.Label_station, "S2");
            Type(f.Label_temp, "14,5");
            Type(f.Label_Press, "735,2");
            Type(f.Label_hauteur, "1,542");
            Click(f.Ok);
        });
        Action(*shell.main, "InsererEnteteStation1")->trigger();
        QCOMPARE(doc->Lines()[3], std::string(" station S2               Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.542"));
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TF_add_station&>(d);
            QCOMPARE(f.Annuler->text(), QString("Annuler"));
            Type(f.Label_station, "S3");
            Click(f.Annuler);
        });
        Action(*shell.main, "InsererEnteteStation1")->trigger();
        QCOMPARE(doc->Lines().size(), kBook.size() + 1);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TDefinitionDialog&>(d);
            Type(f.edit_nom_prisme, "P2");
            Type(f.Edit_constante_prisme, "-0,0175");
            Click(f.Ok);
        });
        Action(*shell.main, "InsererDefinitionPrisme1")->trigger();
        QCOMPARE(doc->Lines()[0], std::string(" prisme P2               cste_m -0.0175 "));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void renamingWritesTheBookAndItsBackup() {
        const QString dir = ScratchDir("rename");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFRename_Point&>(d);
            QCOMPARE(f.edit_point_from->text(), QString("12"));
            QVERIFY(f.cb_rename_target->isChecked());
            QVERIFY(!f.cb_rename_station->isChecked());
            Type(f.Edit_point_to, "13");
            Click(f.Renommer);
        });
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QVERIFY(shell.prompts->unexpected.isEmpty());
        QVERIFY(shell.prompts->errors.isEmpty());
        const std::vector<std::string> lines = doc->Lines();
        QCOMPARE(lines[2], std::string("station 12       Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420"));
        QCOMPARE(lines[3], std::string(" numero        13 AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 "
                                       "ppm_cste_mm  0012+000 hv_m    1.6000"));
        QCOMPARE(ReadBytes(dir + "/book.crt.backup"), CrLf(kBook));
        QCOMPARE(ReadBytes(dir + "/book.crt"), CrLf(lines));
        QCOMPARE(doc->CaretLine(), 4);
        QVERIFY(!doc->Modified());
    }

    void renamingRefusesANameTheBookCannotHoldAndKeepsAUtf8Book() {
        const QString dir = ScratchDir("rename_refused");
        Shell shell;
        // A UTF-8 book with LF line ends, opened from its file.
        const QByteArray before = QString::fromUtf8("* Łódź, Kőrösi 北\n station 12 Temp_deg 14.5\n"
                                                    "  numero 12 AH_gr 1.0000 AV_gr 100.0000 * borne 北\n")
                                      .toUtf8();
        WriteBytes(dir + "/lodz.crt", before);
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/lodz.crt");
        doc->Editor->setCursorPosition(2, 0);
        bool refusedSeen = false;
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFRename_Point&>(d);
            QCOMPARE(f.Renommer->text(), QString("Renommer"));
            QStringList labels;
            for (QLabel* l : f.findChildren<QLabel*>()) labels << l->text();
            QVERIFY(labels.contains("Ancien nom") && labels.contains("Nouveau nom"));
            Type(f.Edit_point_to, "A B");
            Click(f.Renommer);
            // The dialog says why and stays open; nothing is written.
            QCOMPARE(f.result(), int(QDialog::Rejected));  // not closed by the button
            QVERIFY(!f.probleme->isHidden());
            QVERIFY(f.probleme->text().contains(QString::fromUtf8("refusé")));
            QCOMPARE(ReadBytes(dir + "/lodz.crt"), before);
            refusedSeen = true;
            f.Edit_point_to->clear();
            Type(f.Edit_point_to, "13");
            Click(f.Renommer);
        });
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QVERIFY(refusedSeen);
        QVERIFY(shell.prompts->errors.isEmpty());
        QCOMPARE(ReadBytes(dir + "/lodz.crt.backup"), before);
        QCOMPARE(ReadBytes(dir + "/lodz.crt"),
                 QString::fromUtf8("* Łódź, Kőrösi 北\nstation 12 Temp_deg 14.5\n"
                                   " numero        13 AH_gr    1.0000 AV_gr  100.0000 * borne 北\n")
                     .toUtf8());
        QCOMPARE(doc->Lines()[2], std::string(" numero        13 AH_gr    1.0000 AV_gr  100.0000 * borne 北"));
        QVERIFY(!doc->Modified());
    }

    void renamingAFailedWriteChangesNothing() {
        const QString dir = ScratchDir("rename_fail");
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "book.crt", kBook, 3);
        QDir().mkpath(dir + "/book.crt.backup/in_the_way");
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFRename_Point&>(d);
            Type(f.Edit_point_to, "13");
            Click(f.Renommer);
        });
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains("book.crt.backup"));
        QVERIFY(shell.prompts->errors[0].contains(QString::fromUtf8("inchangés")));
        QCOMPARE(doc->Lines(), kBook);
        QCOMPARE(ReadBytes(dir + "/book.crt"), CrLf(kBook));
    }

    void renamingANewDocumentAsksForItsName() {
        const QString dir = ScratchDir("rename_new");
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(kBook);
        doc->Editor->setCursorPosition(2, 0);
        shell.prompts->names.push_back(dir + "/nouveau.crt");
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFRename_Point&>(d);
            QCOMPARE(f.edit_point_from->text(), QString("12"));  // the station under the caret
            f.cb_rename_station->setChecked(true);
            f.cb_rename_target->setChecked(false);
            Type(f.Edit_point_to, "S12");
            Click(f.Renommer);
        });
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QVERIFY(shell.prompts->unexpected.isEmpty());
        QCOMPARE(doc->FileName(), QFileInfo(dir + "/nouveau.crt").absoluteFilePath());
        QCOMPARE(ReadBytes(dir + "/nouveau.crt.backup"), CrLf(kBook));
        QCOMPARE(doc->Lines()[2], std::string("station S12 Temp_deg 14.5 Press_mmHg 735.2 ht_m 1.5420"));
        QCOMPARE(ReadBytes(dir + "/nouveau.crt"), CrLf(doc->Lines()));
        QVERIFY(!QFile::exists("Untitled"));

        // An empty document.
        shell.main->NewDocument();
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{"Fichier vide !"});
    }

    void renamingALevellingBook() {
        const QString dir = ScratchDir("rename_levelling");
        const std::vector<std::string> book = {
            "Carnet de nivellement", "W I L D  N A 2 0 0 0", "ligne 1", "", "", "", "  Point     code    Lecture",
            "      100   1.23456  12.000", "     1001   0.98765  25.000", "      100   code 5",
        };
        Shell shell;
        TEditForm* doc = OpenBook(shell, dir, "ligne.na3", book, 7);
        shell.prompts->dialogScripts.push_back([&](QDialog& d) {
            auto& f = static_cast<TFRename_Point&>(d);
            QCOMPARE(f.edit_point_from->text(), QString("100"));
            QVERIFY(!f.cb_rename_target->isEnabled());
            QVERIFY(!f.cb_rename_station->isEnabled());
            Type(f.Edit_point_to, "RN100");
            Click(f.Renommer);
        });
        Action(*shell.main, "RenommerunPoint1")->trigger();
        QCOMPARE(doc->Lines()[7], std::string("    RN100   1.23456  12.000"));
        QCOMPARE(doc->Lines()[9], book[9]);
        QCOMPARE(ReadBytes(dir + "/ligne.na3.backup"), CrLf(book));
        QCOMPARE(ReadBytes(dir + "/ligne.na3"), CrLf(doc->Lines()));
    }
};

QTEST_MAIN(EditingToolsTest)
#include "editing_tools_test.moc"
