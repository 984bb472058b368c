// The "&Topo / &Conversion" entries for GDM recordings, shoot files and the
// XML form of a text book, driven through scripted dialogs.
#include <QMdiSubWindow>
#include <QMenu>
#include <QtTest>

#include "base/param.hpp"
#include "import/shoot_convert.hpp"
#include "shell/edit_form.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const QString kData = QString(KESTROVA_TEST_DATA) + "/import";

QAction* Entry(TFMain_velka& main, const char* name) {
    for (QAction* a : main.Conversion1->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

QString ActiveFile(TFMain_velka& main) {
    TEditForm* d = main.ActiveDocument();
    return d ? d->FileName() : QString();
}

}  // namespace

class ImportCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void entriesFollowTheGsiOnesInTheMenuOrder() {
        Shell shell;
        QStringList captions;
        for (QAction* a : shell.main->Conversion1->actions()) captions << a->text();
        const int gsiXml = captions.indexOf("Conversion GSI (Leica) --> format carnet xml (*.xcrt)");
        QVERIFY(gsiXml >= 0);
        QCOMPARE(captions.mid(gsiXml + 1, 4),
                 (QStringList{"Conversion carnet (*.carnet, *.crt) --> format carnet xml (*.xcrt)",
                              "Conversion GDM (Trimble) --> format carnet (*.carnet)",
                              "Conversion GDM (Trimble) --> format carnet xml (*.xcrt)",
                              "Conversion shoot (Pivra) --> format carnet (*.crt) et xml (*.xcrt)"}));
        // Without a document nothing is asked.
        for (const char* name : {"Conversion_crt2xcrt1", "GDMformatcarnetcrt1",
                                 "ConversionGDMTrimbleformatcarnetxmlxcrt1", "pivra2crt"})
            Entry(*shell.main, name)->trigger();
        QVERIFY(shell.prompts->dialogs.empty());
    }

    void gdmBothRoutes() {
        const QString dir = ScratchDir("gdm");
        QFile::copy(kData + "/chantier.gdm", dir + "/chantier.gdm");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/chantier.gdm");
        shell.prompts->names = {dir + "/chantier.carnet", dir + "/chantier.xcrt"};
        Entry(*shell.main, "GDMformatcarnetcrt1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().title, QString("Choix du nom du fichier carnet"));
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Carnet (*.carnet)|*.carnet"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/chantier.carnet");
        QCOMPARE(ReadBytes(dir + "/chantier.carnet"), ReadBytes(kData + "/golden/chantier.carnet"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/chantier.carnet");

        // The XML route runs on the recording, not on the book just opened.
        shell.main->OpenAsDocument(dir + "/chantier.gdm");
        Entry(*shell.main, "ConversionGDMTrimbleformatcarnetxmlxcrt1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Carnet (*.xcrt)|*.xcrt"));
        QCOMPARE(ReadBytes(dir + "/chantier.xcrt"), ReadBytes(kData + "/golden/chantier.xcrt"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/chantier.xcrt");
        QVERIFY(shell.prompts->errors.isEmpty());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void gdmUnreadableAngleWritesNothing() {
        const QString dir = ScratchDir("gdm_error");
        WriteBytes(dir + "/bad.gdm", "2=S1\r\n5=P1\r\n8=9x\r\n");
        WriteBytes(dir + "/bad.carnet", "previous");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/bad.gdm");
        shell.prompts->names = {dir + "/bad.carnet"};
        Entry(*shell.main, "GDMformatcarnetcrt1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains("ligne 3"), qPrintable(shell.prompts->errors[0]));
        QCOMPARE(ReadBytes(dir + "/bad.carnet"), QByteArray("previous"));
        QCOMPARE(shell.main->Children().size(), 1);
    }

    void gdmInDegreesAndShootWithoutShots() {
        const QString dir = ScratchDir("gdm_deg");
        WriteBytes(dir + "/deg.gdm", "2=ST1\r\n5=P1\r\n7=84.0459\r\n8=95.1230\r\n9=100.4146\r\n");
        Shell shell;
        // The dialog proposes the unit of the ini; the one chosen is kept.
        Param().angles_gdm = "dms";
        shell.main->OpenAsDocument(dir + "/deg.gdm");
        shell.prompts->names = {dir + "/deg.xcrt"};
        Entry(*shell.main, "ConversionGDMTrimbleformatcarnetxmlxcrt1")->trigger();
        QVERIFY(shell.prompts->errors.isEmpty());
        QVERIFY(ReadBytes(dir + "/deg.xcrt").contains("Hz=\"93.42562\" V=\"105.78704\""));
        QCOMPARE(Param().angles_gdm, std::string("dms"));

        // A shot log without any shot: an error, both earlier books kept.
        WriteBytes(dir + "/vide.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\r\n");
        WriteBytes(dir + "/vide.crt", "earlier text book");
        WriteBytes(dir + "/vide.xcrt", "earlier XML book");
        shell.main->OpenAsDocument(dir + "/vide.shoot");
        shell.prompts->names = {dir + "/vide.crt"};
        Entry(*shell.main, "pivra2crt")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].contains("Aucun tir lu"), qPrintable(shell.prompts->errors[0]));
        QCOMPARE(ReadBytes(dir + "/vide.crt"), QByteArray("earlier text book"));
        QCOMPARE(ReadBytes(dir + "/vide.xcrt"), QByteArray("earlier XML book"));
    }

    void shootWritesBothBooksAndOpensTheXmlOne() {
        const QString dir = ScratchDir("shoot");
        QFile::copy(kData + "/surveillance.shoot", dir + "/surveillance.shoot");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/surveillance.shoot");
        shell.prompts->names = {dir + "/surveillance.crt"};
        Entry(*shell.main, "pivra2crt")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier carnet (*.crt)|*.crt"));
        QCOMPARE(ReadBytes(dir + "/surveillance.crt"), ReadBytes(kData + "/golden/surveillance.crt"));
        QCOMPARE(ReadBytes(dir + "/surveillance.xcrt"), ReadBytes(kData + "/golden/surveillance.xcrt"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/surveillance.xcrt");
        QVERIFY(shell.prompts->messages.isEmpty());

        // A header without "CYCLE": the message, the default columns.
        WriteBytes(dir + "/sans.shoot", "DATE TIME CYC TARGET HZ V DIST FOUND\r\n"
                                        "15/06/2021 10:00:00 1 P1 100 100 10 1\r\n");
        shell.main->OpenAsDocument(dir + "/sans.shoot");
        shell.prompts->names = {dir + "/sans.crt"};
        Entry(*shell.main, "pivra2crt")->trigger();
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY(shell.prompts->messages[0].contains(QString::fromUtf8(kShootMissingHeader)));
        QVERIFY(QFile::exists(dir + "/sans.xcrt"));

        // An impossible time: nothing written, the line named.
        WriteBytes(dir + "/heure.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\r\n"
                                         "15/06/2021 25:00:00 1 P1 100 100 10 1\r\n");
        shell.main->OpenAsDocument(dir + "/heure.shoot");
        shell.prompts->names = {dir + "/heure.crt"};
        Entry(*shell.main, "pivra2crt")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains("ligne 2"));
        QVERIFY(!QFile::exists(dir + "/heure.crt"));
        QVERIFY(!QFile::exists(dir + "/heure.xcrt"));
    }

    void textBookToXmlNamesTheLineReadInPart() {
        const QString dir = ScratchDir("crt2xcrt");
        QFile::copy(kData + "/lecture_partielle.crt", dir + "/partiel.crt");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/partiel.crt");
        shell.prompts->names = {dir + "/partiel.xcrt"};
        Entry(*shell.main, "Conversion_crt2xcrt1")->trigger();
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Carnet xml (*.xcrt)|*.xcrt"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/partiel.xcrt");
        QCOMPARE(shell.prompts->messages.size(), 1);
        QVERIFY2(shell.prompts->messages[0].contains("ligne 17"), qPrintable(shell.prompts->messages[0]));
        // What was read is written and opened.
        const QByteArray xml = ReadBytes(dir + "/partiel.xcrt");
        QVERIFY(xml.contains("<obs pt_vis=\"1002\""));
        QVERIFY(xml.contains("<obs pt_vis=\"2002\""));
        QCOMPARE(ActiveFile(*shell.main), dir + "/partiel.xcrt");

        // Converting the XML book onto itself is refused.
        shell.prompts->names = {dir + "/partiel.xcrt"};
        Entry(*shell.main, "Conversion_crt2xcrt1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QCOMPARE(ReadBytes(dir + "/partiel.xcrt"), xml);
    }
};

QTEST_MAIN(ImportCommandsTest)
#include "import_commands_test.moc"
