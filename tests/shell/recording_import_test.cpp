// « Fichier › Importer un relevé… » of the main window and of the
// documents, driven through scripted dialogs: the recording is recognised, the book
// written and opened; a file that is no recording is refused.
#include <QMenu>
#include <QtTest>

#include "base/param.hpp"
#include "shell/edit_form.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const QString kData = QString(KESTROVA_TEST_DATA);

QAction* Entry(QMenu& menu) {
    for (QAction* a : menu.actions())
        if (a->objectName() == "ImporterUnReleve1") return a;
    return nullptr;
}

}  // namespace

class RecordingImportTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void importsFromTheMainAndTheDocumentMenus() {
        const QString dir = ScratchDir("recording_import");
        Shell shell;
        QAction* entry = Entry(*shell.main->Fichier1);
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString::fromUtf8("&Importer un relevé…"));
        shell.prompts->names = {kData + "/import/chantier_sdr33.sdr", dir + "/sdr33.crt"};
        entry->trigger();
        QCOMPARE(shell.prompts->dialogs.back().kind, QString("save"));
        QCOMPARE(shell.prompts->dialogs.back().proposed, kData + "/import/chantier_sdr33.xcrt");
        QCOMPARE(ActiveFile(*shell.main), dir + "/sdr33.crt");
        QVERIFY(ReadBytes(dir + "/sdr33.crt")
                    .contains("  numero 101      AH_gr 123.45670 AV_gr  99.87650 Dp_m   45.1234 ppm_cste_mm "
                              "0000-030 hv_m     1.600\r\n"));
        QVERIFY2(shell.prompts->messages.back().contains("Format reconnu : Sokkia SDR33 / SDR2x"),
                 qPrintable(shell.prompts->messages.back()));

        // The entry of a document's own menu; a level's recording gives a
        // levelling book.
        shell.prompts->names = {kData + "/import/nivellement_dini.m5", dir + "/ligne.na3"};
        Entry(*shell.main->ActiveDocument()->Fichier1)->trigger();
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Fichier Carnet niv (*.na3)|*.na3"));
        QCOMPARE(ActiveFile(*shell.main), dir + "/ligne.na3");
        QVERIFY(ReadBytes(dir + "/ligne.na3").contains("   700001   0.0       1.02213"));
        QVERIFY(shell.prompts->errors.isEmpty());
    }

    void refusesWhatItCannotRecognise() {
        Shell shell;
        shell.prompts->names = {kData + "/crt2obs/text_book.crt"};
        Entry(*shell.main->Fichier1)->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY2(shell.prompts->errors[0].startsWith(QString::fromUtf8("Format de relevé non reconnu")),
                 qPrintable(shell.prompts->errors[0]));
        QCOMPARE(shell.prompts->dialogs.size(), size_t(1));  // no save dialog
        QVERIFY(shell.main->Children().isEmpty());
    }

private:
    static QString ActiveFile(TFMain_velka& main) {
        TEditForm* d = main.ActiveDocument();
        return d ? d->FileName() : QString();
    }
};

QTEST_MAIN(RecordingImportTest)
#include "recording_import_test.moc"
