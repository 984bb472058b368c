// The "Ni&vellement" menu driven through scripted dialogs: a GSI16
// recording to a book, the book to .obs/.iob/.gkf with the weighting
// dialog, the two sorts and iob -> obs; and the weighting dialog itself.
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "base/param.hpp"
#include "shell/edit_form.hpp"
#include "shell/editing_tools.hpp"
#include "shell/levelling_commands.hpp"
#include "shell/niv_dialog.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const QString kData = QString(KESTROVA_TEST_DATA) + "/levelling";

QAction* Entry(TFMain_velka& main, const char* name) {
    for (QAction* a : LevellingMenu(main)->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

QString ActiveFile(TFMain_velka& main) {
    TEditForm* d = main.ActiveDocument();
    return d ? d->FileName() : QString();
}

TNivSettings Settings(TWeighting mode, double sigma) {
    TNivSettings s;
    s.mode = mode;
    s.sigma = sigma;
    return s;
}

}  // namespace

class LevellingCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void menuEntriesInOrder() {
        Shell shell;
        QMenu* menu = LevellingMenu(*shell.main);
        QCOMPARE(menu->title(), QString::fromUtf8("Ni&vellement"));
        QCOMPARE(menu->menuAction()->statusTip(), QString("Traitement des observations de nivellement au Na3003 et Dna03"));
        QStringList captions;
        for (QAction* a : menu->actions()) captions << a->text();
        QCOMPARE(captions.mid(0, 5),
                 (QStringList{"Conversion GSI (Leica) --> format carnet (*.na3)",
                              "Suppression des crapauds (création des fichiers  *.obs et *.iob)",
                              QString::fromUtf8("Tri d'un fichier obs ou iob (--> fichier obs trié *.tri)"),
                              QString::fromUtf8("Tri d'un fichier obs ou iob  (--> fichier geolab trié *.tri)"),
                              "Convertir un fichier iob en fichier obs"}));
        QVERIFY(shell.main->menuBar()->actions().contains(menu->menuAction()));
        // Without a document nothing is asked.
        for (QAction* a : menu->actions().mid(0, 5)) a->trigger();
        QVERIFY(shell.prompts->dialogs.empty());
        QCOMPARE(int(shell.prompts->weightingShown.size()), 0);
    }

    void recordingToBookToExportsToSorts() {
        const QString dir = ScratchDir("chain");
        QFile::copy(kData + "/bffb16.gsi", dir + "/ligne.gsi");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/ligne.gsi");

        // GSI -> book.
        shell.prompts->names = {dir + "/ligne.na3"};
        Entry(*shell.main, "ConversionGSIna31")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString("Choix du nom du fichier carnet"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Carnet niv (*.na3)|*.na3"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/ligne.na3");
        QCOMPARE(ReadBytes(dir + "/ligne.na3"), ReadBytes(kData + "/bffb16.na3"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/ligne.na3");

        // Book -> .obs .iob .gkf; the dialog opens on the defaults (mode 2, 0.1 mm).
        shell.prompts->names = {dir + "/ligne.obs"};
        shell.prompts->weightings = {Settings(TWeighting::Count, 0.5)};
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title,
                 QString::fromUtf8("Choix du nom du fichier Brelix (iob exporté automatiquement)"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Brelix (*.obs)|*.obs"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/ligne.obs");
        QCOMPARE(int(shell.prompts->weightingShown.size()), 1);
        QCOMPARE(shell.prompts->weightingShown[0].mode, TWeighting::Count);
        QCOMPARE(shell.prompts->weightingShown[0].sigma, 0.1);
        QVERIFY(ReadBytes(dir + "/ligne.obs")
                    .contains("4     RN12      B45      0.88350   0.00087  0.00000  0.00000  0.00000\r\n"));
        QVERIFY(ReadBytes(dir + "/ligne.iob").contains(" OHDF     RN13         RN12"));
        QVERIFY(ReadBytes(dir + "/ligne.gkf").contains(R"(<parameters sigma-act="apriori"/>)"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/ligne.obs");

        // The settings are kept: the next run shows 0.5 mm.
        shell.main->OpenAsDocument(dir + "/ligne.na3");
        shell.prompts->names = {dir + "/ligne0.obs"};
        shell.prompts->weightings = {Settings(TWeighting::Default, 0.5)};
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        QCOMPARE(shell.prompts->weightingShown[1].sigma, 0.5);
        QVERIFY(ReadBytes(dir + "/ligne0.obs").contains("0.88350   0.00024"));

        // "Annuler" in the weighting dialog: nothing is written.
        shell.main->OpenAsDocument(dir + "/ligne.na3");
        shell.prompts->names = {dir + "/ligne1.obs"};
        shell.prompts->weightingCancelled = true;
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        shell.prompts->weightingCancelled = false;
        QCOMPARE(int(shell.prompts->weightingShown.size()), 3);
        QVERIFY(!QFile::exists(dir + "/ligne1.obs"));
        QVERIFY(!QFile::exists(dir + "/ligne1.iob"));

        // Sorts and iob -> obs, from the .iob document.
        shell.main->OpenAsDocument(dir + "/ligne.iob");
        shell.prompts->names = {dir + "/ligne_tri.tri"};
        Entry(*shell.main, "TriObs1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString::fromUtf8("Choix du nom du fichier Brelix trié"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Brelix (*.tri)|*.tri"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/ligne.tri");
        QVERIFY(ReadBytes(dir + "/ligne_tri.tri").startsWith("*  Cheminement 1\r\n"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/ligne_tri.tri");

        shell.main->OpenAsDocument(dir + "/ligne.iob");
        shell.prompts->names = {dir + "/ligne_geo.tri"};
        Entry(*shell.main, "TriGeolab1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString::fromUtf8("Choix du nom du fichier iob trié"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier iob (*.tri)|*.tri"));
        QVERIFY(ReadBytes(dir + "/ligne_geo.tri").contains(" OHDF     B45          RN13"));

        shell.main->OpenAsDocument(dir + "/ligne.iob");
        shell.prompts->names = {dir + "/retour.obs"};
        Entry(*shell.main, "ConvertirIobObs1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString("Choix du nom du fichier Brelix"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Brelix (*.obs)|*.obs"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/ligne.obs");
        QVERIFY(ReadBytes(dir + "/retour.obs").contains("4     RN13     RN12      0.27261   0.00071"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/retour.obs");

        QVERIFY(shell.prompts->errors.isEmpty());
        QVERIFY(shell.prompts->messages.isEmpty());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void emptyBookCancelAndOwnFile() {
        const QString dir = ScratchDir("empty");
        WriteBytes(dir + "/vide.na3", "\r\n* pas de cheminement\r\n");
        WriteBytes(dir + "/vide.obs", "previous");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/vide.na3");
        const int children = shell.main->Children().size();
        shell.prompts->names = {dir + "/vide.obs"};
        shell.prompts->weightings = {std::nullopt};
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{QString::fromUtf8("Fichier réduit vide")});
        QCOMPARE(ReadBytes(dir + "/vide.obs"), QByteArray("previous"));
        QVERIFY(!QFile::exists(dir + "/vide.gkf"));
        QCOMPARE(shell.main->Children().size(), children);

        // Cancelling the name dialog: no weighting dialog, nothing written.
        shell.prompts->names = {std::nullopt};
        Entry(*shell.main, "ConversionGSIna31")->trigger();
        Entry(*shell.main, "TriObs1")->trigger();  // queue empty: cancelled too
        QVERIFY(!QFile::exists(dir + "/vide.tri"));

        // An output that is the document itself is refused.
        shell.prompts->unexpected.clear();
        shell.prompts->names = {dir + "/vide.na3"};
        Entry(*shell.main, "ConversionGSIna31")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QCOMPARE(ReadBytes(dir + "/vide.na3"), QByteArray("\r\n* pas de cheminement\r\n"));
    }

    void brokenRunAndZeroWeightsAreToldInTheWindow() {
        // Run 1 ends on turning point 700002; run 2 is whole but its rows
        // carry no E.M.Q.
        const QString dir = ScratchDir("broken");
        QByteArray book = ReadBytes(kData + "/bffb16.na3");
        book = book.left(book.indexOf("Code="));  // its six header lines
        book += "Code= +?......1\r\n        A   1.00000   0.0       0.0     2 / 0.1   0.0      20.000      0.0\r\n"
                "   700001   0.0       0.50000   0.0     2 / 0.1   0.0      20.000      0.0\r\n"
                "   700001   0.80000   0.0       0.0     2 / 0.1   0.0      20.000      0.0\r\n"
                "   700002   0.0       0.40000   0.0     2 / 0.1   0.0      20.000      0.0\r\n"
                "Code= +?......1\r\n        C   1.20000   0.0       0.0     2 / 0.0   0.0      20.000      0.0\r\n"
                "        D   0.0       0.70000   0.0     2 / 0.0   0.0      20.000      0.0\r\n";
        WriteBytes(dir + "/ligne.na3", book);
        Shell shell;
        shell.main->OpenAsDocument(dir + "/ligne.na3");
        shell.prompts->names = {dir + "/ligne.obs"};
        shell.prompts->weightings = {Settings(TWeighting::Count, 0.1)};
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY2(shell.prompts->messages[0].contains(QString::fromUtf8(
                     "cheminement 1 (ligne 7) : les lectures depuis A n'atteignent aucun point nommé")),
                 qPrintable(shell.prompts->messages[0]));
        QVERIFY(ReadBytes(dir + "/ligne.obs").contains("4        C        D      0.50000"));

        // Mode 0: C -> D would weigh 0; refused, naming the row, nothing written.
        shell.main->OpenAsDocument(dir + "/ligne.na3");
        shell.prompts->names = {dir + "/zero.obs"};
        shell.prompts->weightings = {Settings(TWeighting::Default, 0.1)};
        Entry(*shell.main, "Suppressiondescrapauds1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains(QString::fromUtf8("Pondération 0 refusée")) &&
                     shell.prompts->errors[0].contains("ligne 14 : C -> D"),
                 qPrintable(shell.prompts->errors[0]));
        QVERIFY(!QFile::exists(dir + "/zero.obs"));
        QVERIFY(!QFile::exists(dir + "/zero.gkf"));
    }

    void weightingDialog() {
        TFniv dialog;
        QCOMPARE(dialog.windowTitle(), QString("Nivellement"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        dialog.Show(Settings(TWeighting::Count, 0.25));
        QVERIFY(dialog.RB_nb_mes->isChecked());
        QCOMPARE(dialog.edit_sigma->text(), QString("0.2"));
        dialog.RB_dist->setChecked(true);
        dialog.edit_sigma->setText("0.7");
        TNivSettings s = dialog.Result(Settings(TWeighting::Count, 0.25));
        QCOMPARE(s.mode, TWeighting::Distance);
        QCOMPARE(s.sigma, 0.7);
        // A decimal comma, as French users type it.
        dialog.edit_sigma->setText("0,35");
        QCOMPARE(dialog.Result(Settings(TWeighting::Count, 0.25)).sigma, 0.35);
        dialog.edit_sigma->setText(" 1,5 ");
        QCOMPARE(dialog.Result(Settings(TWeighting::Count, 0.25)).sigma, 1.5);
        // Not a number, or no positive one (a zero reference would give
        // height differences without variance): the previous reference stays.
        for (const char* bad : {"1e-1", "0", "0,0", "-0,3", "1,2,3", "1,5.2", ""}) {
            dialog.edit_sigma->setText(bad);
            s = dialog.Result(Settings(TWeighting::Count, 0.25));
            QVERIFY2(s.sigma == 0.25, bad);
        }
        // "Ok" gives the settings shown; "Annuler" and Escape give none.
        QCOMPARE(dialog.bt_annuler->text(), QString("Annuler"));
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::mouseClick(dialog.bt_ok, Qt::LeftButton); });
        const std::optional<TNivSettings> r = dialog.Run(Settings(TWeighting::Default, 0.3));
        QVERIFY(r);
        QCOMPARE(r->mode, TWeighting::Default);
        QCOMPARE(r->sigma, 0.3);
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QVERIFY(!dialog.Run(Settings(TWeighting::Default, 0.3)));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::mouseClick(dialog.bt_annuler, Qt::LeftButton); });
        QVERIFY(!dialog.Run(Settings(TWeighting::Default, 0.3)));
    }
};

QTEST_MAIN(LevellingCommandsTest)
#include "levelling_commands_test.moc"
