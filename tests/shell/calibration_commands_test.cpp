// The calibration editor and the target assignment: their two dialogs
// driven through their widgets, and the menu chain calibration ->
// assignment -> reduction on an XML book through the scripted prompts.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "base/param.hpp"
#include "shell/calibration_commands.hpp"
#include "shell/calibration_dialogs.hpp"
#include "shell/edit_form.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const std::vector<std::string> kBook = {
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
    "<carnet>",
    "   <etalonnages>",
    "   </etalonnages>",
    "   <stations>",
    "      <station num=\"1\" pt_sta=\"S1\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
    "         <rawdata>",
    "            <obs pt_vis=\"T1\" Hz=\"0.0000\"  V=\"100.0000\" Dp=\"25.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
    "            <obs pt_vis=\"T2\" Hz=\"100.0000\"  V=\"99.0000\" Dp=\"40.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
    "         </rawdata>",
    "      </station>",
    "      <station num=\"2\" pt_sta=\"S2\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
    "         <rawdata>",
    "            <obs pt_vis=\"T3\" Hz=\"0.0000\"  V=\"100.0000\" Dp=\"30.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
    "            <obs pt_vis=\"T4\" Hz=\"50.0000\"  V=\"100.0000\" Dp=\"35.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
    "         </rawdata>",
    "      </station>",
    "   </stations>",
    "</carnet>",
};

QAction* Entry(TFMain_velka& main, const char* name) { return main.findChild<QAction*>(name); }

// Prompts that only record messages (the real dialogs are built directly).
struct Messages : ScriptedPrompts {};

}  // namespace

class CalibrationCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Param() = TParam(); }

    void calibrationEditorForm() {
        Messages prompts;
        TFEtalonnage form(prompts);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString("Etalonnage"));
        // Collimation fields are enabled only while the box is ticked.
        QVERIFY(!form.Edit1->isEnabled());
        form.ParamCollimation->setChecked(true);
        QVERIFY(form.Edit1->isEnabled() && form.Edit2->isEnabled() && form.Edit4->isEnabled());
        // Each field labelled by its role.
        QStringList roles;
        for (QLineEdit* e : {form.Edit1, form.Edit2, form.Edit4})
            for (QLabel* l : form.findChildren<QLabel*>())
                if (l->buddy() == e) roles << l->text() + (l->isEnabled() ? "" : " (off)");
        QCOMPARE(roles, (QStringList{"Collimation horizontale (en grades) :", "Collimation verticale (en grades) :",
                                     "Tourillonnement (en grades) :"}));

        QTest::keyClicks(form.NomCible, "A");
        QTest::keyClicks(form.Constante, "0.0175");
        QTest::mouseClick(form.Creer, Qt::LeftButton);
        QCOMPARE(form.ListCibles->count(), 1);
        QVERIFY(form.NomCible->text().isEmpty() && form.Constante->text().isEmpty());
        QTest::keyClicks(form.NomCible, "X");
        QTest::keyClicks(form.Constante, "1,5,0");
        QTest::mouseClick(form.Creer, Qt::LeftButton);
        QCOMPARE(prompts.messages, QStringList{QString::fromUtf8("Valeur de la constante incohérente")});
        QCOMPARE(form.ListCibles->count(), 1);
        form.NomCible->setText("B");
        form.Constante->setText("0");
        QTest::keyClick(form.Constante, Qt::Key_Return);  // "Créer" is the default button
        form.NomCible->setText("C");
        form.Constante->setText("-0.03");
        QTest::mouseClick(form.Creer, Qt::LeftButton);
        QCOMPARE(form.ListCibles->count(), 3);

        // Clicking a target shows it; "Supprimer" removes it.
        form.ListCibles->setCurrentRow(2);
        QCOMPARE(form.NomCible->text(), QString("C"));
        QCOMPARE(form.Constante->text(), QString("-0.03"));
        QTest::mouseClick(form.Supprimer, Qt::LeftButton);
        QCOMPARE(form.ListCibles->count(), 2);
        QVERIFY(form.NomCible->text().isEmpty());
        QTest::mouseClick(form.Supprimer, Qt::LeftButton);  // nothing selected: nothing happens
        QCOMPARE(form.ListCibles->count(), 2);

        form.Edit1->setText("0.0010");
        form.Edit2->setText("0");
        form.Edit4->setText("0");
        const TCalibrationInput in = form.Input();
        QCOMPARE(in.cibles.size(), size_t(2));
        QCOMPARE(in.cibles[0].nom, std::string("A"));
        QCOMPARE(in.cibles[0].cste, 0.0175);
        QCOMPARE(in.cibles[1].nom, std::string("B"));
        QVERIFY(in.collimation.active);
        QCOMPARE(in.collimation.horizontale, std::string("0.0010"));

        form.hide();
        QTimer::singleShot(0, form.Valider, [&form] { form.Valider->click(); });
        const auto result = form.Run();
        QVERIFY(result.has_value());
        QCOMPARE(result->cibles.size(), size_t(2));
        QTimer::singleShot(0, form.Annuler, [&form] { form.Annuler->click(); });
        QVERIFY(!form.Run().has_value());
    }

    void assignmentForm() {
        const std::vector<TAssignStation> stations = {{"1", "S1", {"T1", "T2"}}, {"2", "S2", {"T3", "T4", "T5"}}};
        const std::vector<TCible> cibles = {{"A", 0.0175}, {"B", 0.0}};
        TAffectEtal form(stations, cibles, 0);
        QCOMPARE(form.windowTitle(), QString("Affectation des cibles"));
        QCOMPARE(form.Station->text(), QString("1 - S1"));
        QVERIFY(!form.Precedente->isEnabled());
        QVERIFY(form.Suivante->isEnabled());
        QCOMPARE(form.ListBox1->count(), 2);
        QCOMPARE(form.ListBox3->count(), 2);

        // Select T2, double-click A.
        form.ListBox1->setCurrentRow(1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect r = form.ListBox3->visualItemRect(form.ListBox3->item(0));
        QTest::mouseClick(form.ListBox3->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(form.ListBox2->item(1)->text().isEmpty());  // a single click assigns nothing
        QTest::mouseDClick(form.ListBox3->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(form.ListBox2->item(1)->text(), QString("A"));
        QVERIFY(form.ListBox2->item(0)->text().isEmpty());

        QTest::mouseClick(form.Suivante, Qt::LeftButton);
        QCOMPARE(form.Station->text(), QString("2 - S2"));
        QVERIFY(form.Precedente->isEnabled());
        QVERIFY(!form.Suivante->isEnabled());
        QCOMPARE(form.ListBox1->count(), 3);
        form.ListBox1->setCurrentRow(2);
        emit form.ListBox3->itemDoubleClicked(form.ListBox3->item(1));
        QTest::mouseClick(form.Precedente, Qt::LeftButton);
        QCOMPARE(form.ListBox2->item(1)->text(), QString("A"));  // kept while moving
        form.hide();

        const TAssignmentTable expected = {{"", "A"}, {"", "", "B"}};
        QTimer::singleShot(0, form.Valider, [&form] { form.Valider->click(); });
        const auto table = form.Run();
        QVERIFY(table.has_value());
        QVERIFY(*table == expected);
    }

    void calibrationThenAssignmentThenReduction() {
        const QString dir = ScratchDir("calibration_chain");
        WriteBytes(dir + "/book.xcrt", CrLf(kBook));
        Shell shell;
        QAction* etalonnage = Entry(*shell.main, "Etalonnage1");
        QAction* affecter = Entry(*shell.main, "Affecterlescibles1");
        QVERIFY(etalonnage && affecter);
        QCOMPARE(etalonnage->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(affecter->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F9));
        QCOMPARE(affecter->shortcut().toString(), QString("Shift+F9"));  // as the menu shows it
        QCOMPARE(etalonnage->text(), QString("Etalonnage"));
        QCOMPARE(affecter->text(), QString("Affecter les cibles aux points"));
        QVERIFY(shell.main->Topo1->actions().contains(affecter));
        QVERIFY(!affecter->isEnabled());

        // Without any window the editor does not open.
        etalonnage->trigger();
        QVERIFY(shell.prompts->unexpected.isEmpty());

        TEditForm* doc = shell.main->OpenAsDocument(dir + "/book.xcrt");
        // "Annuler" changes nothing.
        shell.prompts->calibrations = {std::nullopt};
        etalonnage->trigger();
        QCOMPARE(doc->Lines(), kBook);
        QVERIFY(!affecter->isEnabled());

        TCalibrationInput input;
        input.cibles = {{"A", 0.0175}, {"B", 0.0}};
        shell.prompts->calibrations = {input};
        // F8 in the document opens the editor.
        doc->Editor->setFocus();
        QTest::keyClick(doc->Editor, Qt::Key_F8);
        QVERIFY(shell.prompts->messages.isEmpty());
        QVERIFY(affecter->isEnabled());
        QVERIFY(doc->Modified());
        QCOMPARE(doc->Lines()[2], std::string("   <etalonnages>"));

        // The caret on the first line (above the first station): station 1.
        shell.prompts->assignments = {TAssignmentTable{{"A", "B"}, {"", "A"}}};
        QVERIFY(!doc->Editor->ColumnMode());
        QTest::keyClick(doc->Editor, Qt::Key_F9, Qt::ShiftModifier);
        QVERIFY(!doc->Editor->ColumnMode());  // Shift+F9 is not the block selection
        QCOMPARE(shell.prompts->assignmentForms.size(), size_t(1));
        const auto& form = shell.prompts->assignmentForms[0];
        QCOMPARE(form.station, 0);
        QCOMPARE(form.stations.size(), size_t(2));
        QCOMPARE(form.cibles.size(), size_t(2));
        QVERIFY(doc->Modified());
        const std::vector<std::string> edited = doc->Lines();
        bool found = false;
        for (const std::string& l : edited)
            found = found || l.find("pt_vis=\"T1\" Hz=\"0.0000\" V=\"100.0000\" Dp=\"25.0175\"") != std::string::npos;
        QVERIFY2(found, "T1 at 25.0175");

        // F9 alone still toggles the block selection.
        QTest::keyClick(doc->Editor, Qt::Key_F9);
        QVERIFY(doc->Editor->ColumnMode());
        QTest::keyClick(doc->Editor, Qt::Key_F9);
        QVERIFY(!doc->Editor->ColumnMode());

        // Not reduced before it is saved (the reduction would use lines
        // that no file holds); saved, the constants moved each distance once.
        shell.main->Reduction1Click();
        QCOMPARE(shell.prompts->messages,
                 QStringList{QString::fromUtf8("Veuillez sauvegarder avant de lancer la réduction")});
        QVERIFY(doc->Save1Click());
        QCOMPARE(ReadBytes(dir + "/book.xcrt"), CrLf(edited));
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        const QByteArray obs = ReadBytes(dir + "/out.obs");
        QVERIFY2(obs.contains("3 S1               T1                  25.0175"), obs.constData());
        QVERIFY(obs.contains("3 S1               T2                  40.0000"));
        QVERIFY(obs.contains("3 S2               T3                  30.0000"));
        QVERIFY(obs.contains("3 S2               T4                  35.0175"));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void notAnXmlBook() {
        const QString dir = ScratchDir("calibration_text");
        WriteBytes(dir + "/book.crt", CrLf({" station S1 Temp_deg 12.0 Press_mmHg 760.0", "  numero T1 AH_gr 0"}));
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->calibrations = {TCalibrationInput{{{"A", 0.01}}, {}}};
        Entry(*shell.main, "Etalonnage1")->trigger();
        // Said before the editor opens, with the way to an XML book.
        QCOMPARE(shell.prompts->calibrations.size(), size_t(1));
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY(shell.prompts->messages[0].contains("carnets XML (*.xcrt)"));
        QVERIFY(shell.prompts->messages[0].contains(
            "Conversion carnet (*.carnet, *.crt) --> format carnet xml (*.xcrt)"));
        QCOMPARE(doc->Lines().size(), size_t(2));
        QVERIFY(!doc->Modified());
        QVERIFY(!Entry(*shell.main, "Affecterlescibles1")->isEnabled());
    }
};

QTEST_MAIN(CalibrationCommandsTest)
#include "calibration_commands_test.moc"
