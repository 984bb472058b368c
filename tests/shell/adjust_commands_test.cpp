// « Ajustement (GNU Gama)… » of the Topo and levelling menus driven through
// scripted dialogs: the blunder network adjusted and its report shown in a
// viewer, the blunder first; gama-local absent; and a cancel while
// gama-local runs, which kills it and writes nothing.
#include <signal.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstdlib>

#include "base/param.hpp"
#include "shell/adjust_commands.hpp"
#include "shell/edit_form.hpp"
#include "shell/editing_tools.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

const QString kData = QString(KESTROVA_TEST_DATA) + "/adjust";

QAction* Entry(QMenu* menu, const char* name) {
    for (QAction* a : menu->actions())
        if (a->objectName() == name) return a;
    return nullptr;
}

// Sets GAMA_LOCAL while it lives.
struct GamaLocalSet {
    QByteArray saved;
    bool had;
    explicit GamaLocalSet(const QString& path) : saved(qgetenv("GAMA_LOCAL")), had(qEnvironmentVariableIsSet("GAMA_LOCAL")) {
        qputenv("GAMA_LOCAL", path.toUtf8());
    }
    ~GamaLocalSet() {
        if (had) qputenv("GAMA_LOCAL", saved);
        else qunsetenv("GAMA_LOCAL");
    }
};

}  // namespace

class AdjustCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
        Param().export_hauteurs_brelix = "Y";
    }

    void entriesInBothMenus() {
        Shell shell;
        QVERIFY(Entry(shell.main->Topo1, "AjustementTopo1"));
        QCOMPARE(Entry(shell.main->Topo1, "AjustementTopo1")->text(), QString::fromUtf8("Ajustement (GNU Gama)…"));
        QVERIFY(Entry(LevellingMenu(*shell.main), "AjustementNivellement1"));
        // Without a document nothing is asked.
        Entry(shell.main->Topo1, "AjustementTopo1")->trigger();
        QVERIFY(shell.prompts->dialogs.empty());
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void blunderNetworkReportInViewer() {
        if (qgetenv("GAMA_LOCAL").isEmpty() || !QFile::exists(qgetenv("GAMA_LOCAL")))
            QSKIP("gama-local absent (GAMA_LOCAL) : test d'ajustement non exécuté");
        const QString dir = ScratchDir("blunder");
        QFile::copy(kData + "/chantier_faute.obs", dir + "/faute.obs");
        QFile::copy(kData + "/chantier.cor", dir + "/faute.cor");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/faute.obs");
        shell.prompts->names = {dir + "/faute.cor", dir + "/faute_ajustement.html"};
        Entry(shell.main->Topo1, "AjustementTopo1")->trigger();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join("\n")));
        QVERIFY(shell.prompts->unexpected.isEmpty());
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/faute_ajustement.html");
        for (const char* name : {"/faute.gkf", "/faute_gama.xml", "/faute_gama.txt", "/faute_ajustement.html"})
            QVERIFY2(QFile::exists(dir + name), name);
        TForm_XMLView* viewer = shell.main->ActiveReportViewer();
        QVERIFY(viewer);
        const QString text = viewer->XMLview->toPlainText();
        const int faults = text.indexOf("Fautes probables");
        QVERIFY(faults >= 0);
        // The blunder, 1004 -> 1005 at line 77, heads the list.
        const int first = text.indexOf(QString::fromUtf8("distance inclinée"), faults);
        QVERIFY(first > faults);
        QVERIFY(text.mid(faults, first - faults).contains("1004"));
        QVERIFY(text.mid(first, 80).contains("77"));
        // The plan is drawn as an image.
        QVERIFY(viewer->XMLview->toHtml().contains("croquis:0"));
        // « Ouvrir dans le navigateur » hands the page itself to the browser.
        QList<QUrl> opened;
        viewer->openUrl = [&opened](const QUrl& url) {
            opened << url;
            return true;
        };
        viewer->OpenInBrowserAction->trigger();
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir + "/faute_ajustement.html")});
    }

    void gamaLocalAbsent() {
        const QString dir = ScratchDir("absent");
        QFile::copy(kData + "/chantier.obs", dir + "/c.obs");
        GamaLocalSet gama(dir + "/nulle-part/gama-local");
        Shell shell;
        shell.main->OpenAsDocument(dir + "/c.obs");
        Entry(shell.main->Topo1, "AjustementTopo1")->trigger();
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains("gama-local, le programme d'ajustement de GNU Gama, est introuvable"));
        QVERIFY(shell.prompts->dialogs.empty());
    }

    void cancelKillsGamaLocal() {
        const QString dir = ScratchDir("cancel");
        QFile::copy(kData + "/chantier.obs", dir + "/c.obs");
        QFile::copy(kData + "/chantier.cor", dir + "/c.cor");
        // A gama-local that never ends.
        const QString fake = dir + "/gama-local";
        {
            QFile f(fake);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(("#!/bin/sh\nif [ \"$1\" = --version ]; then echo 'gama-local (GNU Gama) 2.24'; exit 0; fi\n"
                     "echo $$ > '" + dir + "/pid'\nexec sleep 600\n").toUtf8());
        }
        QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GamaLocalSet gama(fake);
        Shell shell;
        shell.main->OpenAsDocument(dir + "/c.obs");
        shell.prompts->names = {dir + "/c.cor", dir + "/c_ajustement.html"};
        QTimer timer;
        bool clicked = false;
        connect(&timer, &QTimer::timeout, &timer, [&] {
            if (!QFile::exists(dir + "/pid")) return;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != "kestrovaProgressDialog" || !w->isVisible()) continue;
                timer.stop();
                w->findChild<QPushButton*>("cancel")->click();
                clicked = true;
            }
        });
        timer.start(20);
        Entry(shell.main->Topo1, "AjustementTopo1")->trigger();
        QVERIFY(clicked);
        QFile pidFile(dir + "/pid");
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        const int pid = pidFile.readAll().trimmed().toInt();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid, 0), -1);  // killed and reaped
        QVERIFY(shell.prompts->errors.isEmpty());
        QVERIFY(!QFile::exists(dir + "/c.gkf"));
        QVERIFY(!QFile::exists(dir + "/c_ajustement.html"));
        QVERIFY(!shell.main->ActiveReportViewer());
    }
};

QTEST_MAIN(AdjustCommandsTest)
#include "adjust_commands_test.moc"
