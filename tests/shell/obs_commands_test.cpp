// The "&Topo / &Conversion" entries on observation files, driven through
// scripted dialogs on the files of tests/data/obsconv: what is asked, the
// files written (compared with the console's golden files) and the
// documents opened.
#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

#include "base/param.hpp"
#include "shell/edit_form.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const QString kData = QString(KESTROVA_TEST_DATA) + "/obsconv";

QAction* Entry(TFMain_velka& main, const char* name) {
    for (QAction* a : main.Conversion1->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

QString ActiveFile(TFMain_velka& main) {
    TEditForm* d = main.ActiveDocument();
    return d ? d->FileName() : QString();
}

// The file with its dates and its folder masked as in the golden files.
QByteArray Masked(const QString& path, const QString& folder) {
    QByteArray bytes = ReadBytes(path);
    bytes.replace(folder.toUtf8(), "@OUT@");
    QString text = QString::fromLatin1(bytes);
    text.replace(QRegularExpression("\\d\\d[/-]\\d\\d[/-]\\d{4}( \u00E0)? \\d\\d:\\d\\d:\\d\\d"), "@DATE@");
    return text.toLatin1();
}

void SetRenormalisation() {
    TParam& p = Param();
    p.renormalisation = true;
    p.AH_add = 0.0003;
    p.AV_mult = 1.5;
    p.Dp_add = 0.001;
    p.Dp_mult = 2.0;
}

}  // namespace

class ObsCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void entriesAfterTheImportOnes() {
        Shell shell;
        QStringList captions;
        for (QAction* a : shell.main->Conversion1->actions()) captions << a->text();
        const int shoot = captions.indexOf("Conversion shoot (Pivra) --> format carnet (*.crt) et xml (*.xcrt)");
        QVERIFY(shoot >= 0);
        QCOMPARE(captions.mid(shoot + 1, 3), (QStringList{"Renormalistation de fichier obs (Brelix)",
                                                          "Conversion obs (Brelix) --> iob (Geolab)",
                                                          "Conversion obs (Brelix) --> gkf (Gnu Gama)"}));
        for (const char* name : {"RenormalistationdefichierBrelix1", "BrelixGeolab1", "brelix2gnugama"})
            Entry(*shell.main, name)->trigger();
        QVERIFY(shell.prompts->dialogs.empty());
    }

    void renormalisation() {
        const QString dir = ScratchDir("renorm");
        QFile::copy(kData + "/reseau.obs", dir + "/reseau.obs");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/reseau.obs");
        // Switched off in the options: the command does nothing.
        Param().renormalisation = false;
        Entry(*shell.main, "RenormalistationdefichierBrelix1")->trigger();
        QVERIFY(shell.prompts->dialogs.empty());

        SetRenormalisation();
        shell.prompts->names = {dir + "/res.obs"};
        Entry(*shell.main, "RenormalistationdefichierBrelix1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString("Choix du nom du fichier Brelix"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Brelix (*.obs)|*.obs"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/reseau_2.obs");
        QCOMPARE(Masked(dir + "/res.obs", dir), ReadBytes(kData + "/golden/renorm/res.obs"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/res.obs");
        QVERIFY(shell.prompts->messages.isEmpty());
        QVERIFY(shell.prompts->errors.isEmpty());
    }

    void geolabWithTheRenormalisedFile() {
        const QString dir = ScratchDir("geolab");
        QFile::copy(kData + "/reseau.obs", dir + "/reseau.obs");
        QFile::copy(kData + "/notes.txt", dir + "/notes.txt");
        SetRenormalisation();
        Shell shell;
        shell.main->OpenAsDocument(dir + "/reseau.obs");
        shell.prompts->names = {dir + "/res.iob", dir + "/res_2.obs"};
        Entry(*shell.main, "BrelixGeolab1")->trigger();
        QCOMPARE(shell.prompts->dialogs.size(), std::size_t(2));
        QCOMPARE(shell.prompts->dialogs[0].title, QString("Choix du nom du fichier Geloab"));
        QCOMPARE(shell.prompts->dialogs[0].filter, QString("Fichier Geolab (*.iob)|*.iob"));
        QCOMPARE(shell.prompts->dialogs[0].proposed, dir + "/reseau.iob");
        QCOMPARE(shell.prompts->dialogs[1].title, QString("Choix du nom du fichier Brelix"));
        QCOMPARE(shell.prompts->dialogs[1].proposed, dir + "/reseau_2.obs");
        QCOMPARE(Masked(dir + "/res.iob", dir), ReadBytes(kData + "/golden/obs2iob/res.iob"));
        QCOMPARE(Masked(dir + "/res_2.obs", dir), ReadBytes(kData + "/golden/obs2iob/res_2.obs"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/res.iob");

        // A document without observation: said, nothing written.
        shell.main->OpenAsDocument(dir + "/notes.txt");
        shell.prompts->names = {dir + "/notes.iob"};
        Entry(*shell.main, "BrelixGeolab1")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{"Format non reconnu !"});
        QVERIFY(!QFile::exists(dir + "/notes.iob"));
        QVERIFY(shell.prompts->errors.isEmpty());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void gnuGamaWithTheCoordinates() {
        const QString dir = ScratchDir("gama");
        for (const char* f : {"reseau.obs", "reseau.cor", "bad_sigma.obs"}) QFile::copy(kData + "/" + f, dir + "/" + f);
        Shell shell;
        shell.main->OpenAsDocument(dir + "/reseau.obs");
        shell.prompts->names = {dir + "/res.gkf", dir + "/reseau.cor"};
        Entry(*shell.main, "brelix2gnugama")->trigger();
        QCOMPARE(shell.prompts->dialogs.size(), std::size_t(2));
        QCOMPARE(shell.prompts->dialogs[0].title, QString("Choix du nom du fichier GnuGama"));
        QCOMPARE(shell.prompts->dialogs[0].filter, QString("Fichier GnuGama (*.gkf)|*.gkf"));
        QCOMPARE(shell.prompts->dialogs[0].proposed, dir + "/reseau.gkf");
        QCOMPARE(shell.prompts->dialogs[1].kind, QString("open"));
        QCOMPARE(shell.prompts->dialogs[1].title, QString::fromUtf8("Choix du nom du fichier coordonnées"));
        QCOMPARE(shell.prompts->dialogs[1].filter, QString::fromUtf8("Fichier Coordonnées (*.cor)|*.cor"));
        QCOMPARE(ReadBytes(dir + "/res.gkf"), ReadBytes(kData + "/golden/obs2gkf/res.gkf"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/res.gkf");

        // A standard deviation that is not a number: named, and no question
        // about the coordinates, nothing written.
        shell.main->OpenAsDocument(dir + "/bad_sigma.obs");
        shell.prompts->names = {dir + "/bad.gkf"};
        Entry(*shell.main, "brelix2gnugama")->trigger();
        QCOMPARE(shell.prompts->dialogs.size(), std::size_t(3));
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains(QString::fromUtf8("ligne 3 : écart type « 8e-4x » non numérique")));
        QVERIFY(!QFile::exists(dir + "/bad.gkf"));

        // A coordinate file without any point.
        shell.main->OpenAsDocument(dir + "/reseau.obs");
        shell.prompts->names = {dir + "/res2.gkf", dir + "/bad_sigma.obs"};
        Entry(*shell.main, "brelix2gnugama")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{"Format non reconnu !"});
        QVERIFY(!QFile::exists(dir + "/res2.gkf"));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    // The menu routes apply the converters' rule: a decimal comma stops
    // the command with the line, the field and the hint, nothing written;
    // a name with a blank is read whole and named in a warning.
    void numbersAndNamesInTheMenuRoutes() {
        const QString dir = ScratchDir("numbers");
        WriteBytes(dir + "/virgule.obs", "7 S1 T1 0.0000 0.0008\r\n6 S1 T1 99,5000 0.0012\r\n");
        WriteBytes(dir + "/blanc.obs",
                   "7 A B              1001                 0.0000     0.0008 0.0000   0.0000   0.0000 \r\n");
        SetRenormalisation();
        Shell shell;
        shell.main->OpenAsDocument(dir + "/virgule.obs");
        shell.prompts->names = {dir + "/virgule.iob"};
        Entry(*shell.main, "BrelixGeolab1")->trigger();
        shell.prompts->names = {dir + "/virgule_2.obs"};
        Entry(*shell.main, "RenormalistationdefichierBrelix1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 2);
        for (const QString& error : shell.prompts->errors)
            QVERIFY2(error.contains(QString::fromUtf8("ligne 2 : valeur « 99,5000 » non numérique (utilisez le point "
                                                      "décimal)")),
                     qPrintable(error));
        QVERIFY(!QFile::exists(dir + "/virgule.iob"));
        QVERIFY(!QFile::exists(dir + "/virgule_2.obs"));

        Param().renormalisation = false;
        shell.main->OpenAsDocument(dir + "/blanc.obs");
        shell.prompts->names = {dir + "/blanc.iob"};
        Entry(*shell.main, "BrelixGeolab1")->trigger();
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY2(shell.prompts->messages[0].contains(QString::fromUtf8("le nom « A B » contient un blanc, il devient "
                                                                       "« A_B »")),
                 qPrintable(shell.prompts->messages[0]));
        QVERIFY(ReadBytes(dir + "/blanc.iob").contains(" DIR      A_B          1001 "));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }
};

QTEST_MAIN(ObsCommandsTest)
#include "obs_commands_test.moc"
