// What makes the window a finished desktop program: Qt's own dialogs in
// French, the program's icon, progress dialogs over the main window,
// warnings shown as warnings, and a report page that still gets to the user
// when no browser starts.
#include <chrono>
#include <future>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "shell/app_setup.hpp"
#include "shell/command_runner.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

// Records warnings apart from plain messages.
class WarningPrompts : public ScriptedPrompts {
public:
    QStringList warnings;
    void Warning(QWidget*, const QString& text) override { warnings << text; }
};

QStringList ButtonTexts(QWidget& dialog) {
    QStringList texts;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) texts << b->text().remove('&');
    return texts;
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void programIconIsDrawn() {
        const QIcon icon = ProgramIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(48, 48).toImage();
        QVERIFY(!image.isNull());
        // Not a blank square: the icon's own colours are there.
        QVERIFY(image.pixelColor(24, 2).alpha() > 0);
        QVERIFY(image.pixelColor(24, 2) != image.pixelColor(24, 22));
    }

    void progressDialogIsCentredOverTheMainWindow() {
        Shell shell;
        shell.main->move(37, 53);
        shell.main->resize(1000, 700);
        QWidget* inner = shell.main->MdiArea()->viewport();  // a widget deep inside, as a report viewer is

        // CentreOver alone.
        QDialog lone;
        lone.resize(200, 100);
        CentreOver(lone, inner);
        lone.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lone));
        QVERIFY((lone.frameGeometry().center() - shell.main->frameGeometry().center()).manhattanLength() <= 2);
        QDialog untouched;
        untouched.move(5, 7);
        CentreOver(untouched, nullptr);
        QCOMPARE(untouched.pos(), QPoint(5, 7));

        // The dialog of a long piece of work, looked at while it is shown.
        std::promise<void> seen;
        auto seenFuture = seen.get_future();
        QPoint centre;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != "kestrovaProgressDialog" || !w->isVisible()) continue;
                centre = w->frameGeometry().center();
                poll.stop();
                seen.set_value();
                return;
            }
        });
        poll.start(10);
        const bool done = RunWithProgress(inner, "Essai", [&](TProgress& progress) {
            progress.Stage("Attente");
            seenFuture.wait_for(std::chrono::seconds(20));
        });
        QVERIFY(done);
        QVERIFY(!centre.isNull());
        QVERIFY2((centre - shell.main->frameGeometry().center()).manhattanLength() <= 2,
                 qPrintable(QString("%1,%2").arg(centre.x()).arg(centre.y())));
    }

    void commandWarningsUseTheWarningBox() {
        WarningPrompts prompts;
        ShowCommandWarnings(nullptr, prompts, QString::fromUtf8("Conversion du fichier %1 :\n%2"), "a.gdm",
                            {"ligne 3 : angle illisible", "ligne 9 : station sans nom"});
        QCOMPARE(prompts.warnings,
                 QStringList{QString::fromUtf8("Conversion du fichier a.gdm :\nligne 3 : angle illisible\nligne 9 : station sans nom")});
        QVERIFY(prompts.messages.isEmpty());
        ShowCommandWarnings(nullptr, prompts, "%1 %2", "b", {});
        QCOMPARE(prompts.warnings.size(), 1);
    }

    void browserThatDoesNotStartIsReportedWithThePage() {
        const QString dir = ScratchDir("browser");
        const QString xml = dir + "/liste.xml";
        WriteBytes(xml, "<?xml version=\"1.0\"?>\n<liste><point nom=\"12\"/></liste>\n");
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(xml));
        QStringList warned;
        viewer.warn = [&](const QString& text) { warned << text; };

        viewer.openUrl = [](const QUrl&) { return false; };
        const QString page = viewer.OpenInBrowser();
        QVERIFY(!page.isEmpty());
        QVERIFY(QFileInfo(page).size() > 0);  // the page is there for the user to open
        QCOMPARE(warned.size(), 1);
        QVERIFY(warned[0].startsWith(QString::fromUtf8("Aucun navigateur n'a pu être lancé.")));
        QVERIFY(warned[0].endsWith(QDir::toNativeSeparators(page)));

        // A browser that starts: nothing to say.
        viewer.openUrl = [](const QUrl&) { return true; };
        QVERIFY(!viewer.OpenInBrowser().isEmpty());
        QCOMPARE(warned.size(), 1);
    }

    // Last: the translators stay installed for the rest of the program.
    void qtDialogsSpeakFrench() {
        QVERIFY(InstallFrenchTranslations(*qApp, ScratchDir("no-catalogue")).isEmpty());
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFileInfo::exists(folder + "/qtbase_fr.qm"))
            QSKIP("qtbase_fr.qm absent (paquet qt6-translations-l10n)");
        const QStringList loaded = InstallFrenchTranslations(*qApp);
        QVERIFY(loaded.contains("qtbase_fr"));
        if (QFileInfo::exists(folder + "/qscintilla_fr.qm")) QVERIFY(loaded.contains("qscintilla_fr"));

        // The file dialog and the message boxes, as the user sees them.
        QFileDialog open(nullptr, "Ouvrir");
        open.setOption(QFileDialog::DontUseNativeDialog);
        open.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList buttons = ButtonTexts(open);
        QVERIFY2(buttons.contains("Ouvrir") && buttons.contains("Annuler"), qPrintable(buttons.join(",")));
        QStringList labels;
        for (QLabel* l : open.findChildren<QLabel*>()) labels << l->text();
        QVERIFY2(!labels.contains("Look in:") && !labels.contains("File name:"), qPrintable(labels.join(",")));
        QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
        QStringList boxButtons = ButtonTexts(box);
        boxButtons.sort();
        QCOMPARE(boxButtons, (QStringList{"Annuler", "Non", "Oui"}));
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
