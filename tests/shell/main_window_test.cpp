// The main window: caption and size, menus with their captions and keys,
// toolbar hints, window arrangement, shortcuts of the merged menus, the
// small dialogs.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "shell/about_dialog.hpp"
#include "shell/edit_form.hpp"
#include "shell/options_dialog.hpp"
#include "shell/pressure_dialog.hpp"
#include "shell/prompts.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

// "caption=keys" of the entries of a menu, separators left out.
QStringList Entries(QMenu* menu) {
    QStringList entries;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        entries << a->text() + "=" + a->shortcut().toString();
    }
    return entries;
}

// Runs `action` and reports the class of the modal dialog it showed
// (closed right away).
QString ModalShownBy(const std::function<void()>& action) {
    QString shown;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = modal->metaObject()->className();
            modal->close();
        }
    });
    action();
    return shown;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionAndClientArea() {
        Shell shell;
        QCOMPARE(shell.main->windowTitle(), QString("Kestrova - v1.1.2 - 2018-01-12"));
        QCOMPARE(shell.main->MdiArea()->size(), QSize(900, 600));
    }

    void menusHoldTheirCaptionsAndKeys() {
        Shell shell;
        TFMain_velka& m = *shell.main;
        QCOMPARE(Entries(m.Fichier1), (QStringList{"&Nouveau=Ctrl+N", "&Ouvrir=Ctrl+O",
                                                   QString::fromUtf8("&Importer un relevé…="), "&Quitter=Ctrl+Q"}));
        // "Affecter les cibles aux points" on Shift+F9: F9 is the documents'
        // block selection.
        QCOMPARE(Entries(m.Topo1),
                 (QStringList{"&Conversion=", QString::fromUtf8("Réduction d'un carnet de terrain (*.carnet, *.crt ou *.xcrt)="),
                              "Options=F11", "Modifier l'observation=F7", "Etalonnage=F8",
                              "Affecter les cibles aux points=Shift+F9",
                              QString::fromUtf8("Insérer une entête de station (gsi ou carnet)="),
                              QString::fromUtf8("Insérer une définition de prisme (carnet)="),
                              QString::fromUtf8("Insérer une équation de centrage (obs)="),
                              QString::fromUtf8("Insérer une définition de hauteur de voyant ou de station (carnet)="),
                              QString::fromUtf8("Ajustement (GNU Gama)…=")}));
        // The GSI entries come first; the other conversions follow them.
        QCOMPARE(Entries(m.Conversion1).mid(0, 2), (QStringList{"Convert GSI (Leica) --> Notebook format (*.carnet)=",
                                                      "Conversion GSI (Leica) --> format carnet xml (*.xcrt)="}));
        QCOMPARE(Entries(m.Outils1), QStringList{"Hpa <-> mmHg="});
        QCOMPARE(Entries(m.Fenetre1), (QStringList{"&Cascade=", QString::fromUtf8("&Mosaïque="),
                                                   QString::fromUtf8("Fenêtre &suivante=Ctrl+Tab"),
                                                   QString::fromUtf8("Fenêtre &précédente=Ctrl+Shift+Tab")}));
        QCOMPARE(Entries(m.Aide1), QStringList{"A Propos="});

        TEditForm* doc = m.NewDocument();
        QCOMPARE(Entries(doc->Edit1),
                 (QStringList{"Cou&per=Ctrl+X", "&Copier=Ctrl+C", "Co&ller=Ctrl+V", "&Supprimer=Ctrl+D",
                              QString::fromUtf8("T&out sélectionner=Ctrl+A"), QString::fromUtf8("Sélection par bloc=F9"),
                              QString::fromUtf8("Active/Désactive la ligne=F4")}));
    }

    void toolbarButtonsShowTheirHints() {
        Shell shell;
        QStringList hints;
        for (QAction* a : shell.main->ToolBar1->actions())
            hints << (a->isSeparator() ? QString("|") : a->statusTip());
        QCOMPARE(hints, (QStringList{"Nouveau", "Ouvrir", "Sauvegarder", "Quitter", "|",
                                     QString::fromUtf8(kGsiButtonHint),
                                     "Reduction du fichier carnet (crt)"}));
        // Hovering a button puts its hint in the status bar.
        QWidget* button = shell.main->ToolBar1->widgetForAction(shell.main->ToolButtonReduc);
        QTest::mouseMove(button, button->rect().center());
        QTRY_COMPARE(shell.main->statusBar()->currentMessage(), QString("Reduction du fichier carnet (crt)"));
    }

    void dialogFiltersForQt() {
        // Every description keeps its patterns; "*.*" lists every file.
        const QStringList open = QtFileFilter(kOpenFilter).split(";;");
        QCOMPARE(open.size(), 10);
        // The dialog starts on every book and recording the program reads.
        for (const char* pattern : {"*.crt", "*.carnet", "*.xcrt", "*.na3", "*.gsi", "*.rec", "*.gdm", "*.job",
                                    "*.raw", "*.shoot"})
            QVERIFY2(open.first().section('(', 1).chopped(1).split(' ').contains(pattern), pattern);
        QVERIFY(open.first().startsWith(QString::fromUtf8("Carnets et relevés (")));
        QCOMPARE(open[1], QString("Brut(rec, gsi, gdm, raw) (*.gsi *.rec *.gdm *.raw)"));
        QCOMPARE(open[3], QString("Carnet (carnet, crt, na3) (*.carnet *.crt *.na3)"));
        QCOMPARE(open.last(), QString("Tous (*)"));
        QCOMPARE(QtFileFilter("Plain text files (*.txt)|*.txt|All files|*.*"),
                 QString("Plain text files (*.txt);;All files (*)"));
    }

    void windowsCascadeAndTile() {
        Shell shell;
        shell.main->NewDocument();
        shell.main->NewDocument();
        shell.main->Cascade1Click();
        auto children = shell.main->Children();
        QVERIFY(!children[0]->isMaximized());
        QVERIFY(children[0]->pos() != children[1]->pos());
        shell.main->Mosaique1Click();
        QVERIFY(!children[0]->geometry().intersects(children[1]->geometry()));
    }

    void shortcutsFollowTheActiveDocument() {
        Shell shell;
        shell.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shell.main.get()));
        // Without a document the main "&Nouveau" answers Ctrl+N.
        QTest::keyClick(shell.main.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(shell.main->Children().size(), 1);
        // With a document active its own menu answers (no ambiguity).
        TEditForm* doc = shell.main->ActiveDocument();
        QVERIFY(doc);
        doc->Editor->setFocus();
        QTest::keyClick(doc->Editor, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(shell.main->Children().size(), 2);
        doc = shell.main->ActiveDocument();
        doc->Editor->setFocus();
        QTest::keyClicks(doc->Editor, "  ligne");
        QTest::keyClick(doc->Editor, Qt::Key_F4);
        QCOMPARE(doc->Lines(), std::vector<std::string>{"*ligne"});
        QTest::keyClick(doc->Editor, Qt::Key_F9);
        QVERIFY(doc->Selectionparbloc->isChecked());
    }

    void windowMenuListsAndCyclesTheDocuments() {
        const QString dir = ScratchDir("fenetre");
        QDir().mkpath(dir + "/nord");
        for (const char* name : {"/big.crt", "/big5.crt", "/nord/big.crt"}) WriteBytes(dir + name, "* carnet\r\n");
        Shell shell;
        shell.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shell.main.get()));
        TEditForm* first = shell.main->OpenAsDocument(dir + "/big.crt");
        TEditForm* second = shell.main->OpenAsDocument(dir + "/big5.crt");
        TEditForm* third = shell.main->OpenAsDocument(dir + "/nord/big.crt");
        const QList<QMdiSubWindow*> children = shell.main->Children();
        QCOMPARE(children.size(), 3);

        // Captions: the file name first, then the folder; the document keeps
        // its path for the commands.
        const QString folder = QDir::toNativeSeparators(dir);
        QCOMPARE(children[0]->windowTitle(), QString::fromUtf8("big.crt — ") + folder);
        QCOMPARE(children[1]->windowTitle(), QString::fromUtf8("big5.crt — ") + folder);
        QCOMPARE(children[2]->windowTitle(), QString::fromUtf8("big.crt — ") + folder + "/nord");
        QCOMPARE(first->windowTitle(), dir + "/big.crt");
        QCOMPARE(DisplayCaption(TEditForm::kUntitled), QString(TEditForm::kUntitled));

        // The menu lists them, the active one checked.
        auto listed = [&] {
            emit shell.main->Fenetre1->aboutToShow();
            QStringList entries;
            bool afterTools = false;
            for (QAction* a : shell.main->Fenetre1->actions()) {
                if (a == shell.main->FenetrePrecedente1) afterTools = true;
                else if (afterTools && !a->isSeparator()) entries << (a->isChecked() ? "[x] " : "[ ] ") + a->text();
            }
            return entries;
        };
        QCOMPARE(listed(), (QStringList{QString::fromUtf8("[ ] &1 big.crt — ") + folder,
                                        QString::fromUtf8("[ ] &2 big5.crt — ") + folder,
                                        QString::fromUtf8("[x] &3 big.crt — ") + folder + "/nord"}));
        QCOMPARE(shell.main->ActiveDocument(), third);

        // Ctrl+Tab goes on in the order of opening, round to the first;
        // Ctrl+Shift+Tab goes back. The keys as a keyboard sends them: Ctrl
        // pressed, Tab, Ctrl released (one step each, not two).
        auto cycle = [](TEditForm* from, Qt::Key key, Qt::KeyboardModifiers modifiers) {
            from->Editor->setFocus();
            QTest::keyPress(from->Editor, Qt::Key_Control, Qt::ControlModifier);
            QTest::keyClick(from->Editor, key, modifiers);
            QTest::keyRelease(from->Editor, Qt::Key_Control, Qt::NoModifier);
        };
        cycle(third, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(shell.main->ActiveDocument(), first);
        cycle(first, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(shell.main->ActiveDocument(), second);
        cycle(second, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(shell.main->ActiveDocument(), first);
        QVERIFY(first->Lines() == std::vector<std::string>{"* carnet"});  // no tab typed into the book
        QCOMPARE(listed()[0], QString::fromUtf8("[x] &1 big.crt — ") + folder);

        // Choosing an entry brings its window forward.
        bool afterTools = false;
        QAction* thirdEntry = nullptr;
        for (QAction* a : shell.main->Fenetre1->actions()) {
            if (a == shell.main->FenetrePrecedente1) afterTools = true;
            else if (afterTools && a->text().startsWith("&3")) thirdEntry = a;
        }
        QVERIFY(thirdEntry);
        thirdEntry->trigger();
        QCOMPARE(shell.main->ActiveDocument(), third);

        // A closed window leaves the list.
        children[1]->close();
        QCOMPARE(listed().size(), 2);
    }

    void gdmGivenToTheGsiConversionSaysWhereItsConversionIs() {
        const QString dir = ScratchDir("gdm");
        WriteBytes(dir + "/job.gdm", "50=CHANTIER\r\n2=S1\r\n3=1.550\r\n");
        WriteBytes(dir + "/job.txt", "50=CHANTIER\r\n2=S1\r\n");
        WriteBytes(dir + "/notes.crt", "* rien\r\n");
        Shell shell;
        for (const char* name : {"/job.gdm", "/job.txt", "/notes.crt"}) {
            shell.main->OpenAsDocument(dir + name);
            shell.main->GSIformatcarnet1Click();
        }
        QCOMPARE(shell.prompts->errors.size(), 3);
        QVERIFY(shell.prompts->errors[0].endsWith(QString::fromUtf8(kGdmConversionPlace)));
        QVERIFY(shell.prompts->errors[1].endsWith(QString::fromUtf8(kGdmConversionPlace)));
        QVERIFY(!shell.prompts->errors[2].contains("GDM"));
        QVERIFY(shell.prompts->dialogs.empty());  // no name asked, nothing written
        // The toolbar's hint says what the button does.
        QVERIFY(!QString::fromUtf8(kGsiButtonHint).contains("GSI ou Trimble GDM"));
    }

    void smallDialogsOpenFromTheMenus() {
        Shell shell;
        QCOMPARE(ModalShownBy([&] { shell.main->Options1->trigger(); }), QString("kestrova::TF_opt"));
        QCOMPARE(ModalShownBy([&] { shell.main->HPammHg1Click(); }), QString("kestrova::TF_HPa2mmHg"));
        QCOMPARE(ModalShownBy([&] { shell.main->APropos1Click(); }), QString("kestrova::TAboutBox"));
        // The pressure converter is the same window each time.
        QCOMPARE(shell.main->findChildren<TF_HPa2mmHg*>().size(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
