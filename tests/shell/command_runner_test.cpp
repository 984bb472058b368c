// Long work behind the progress dialog: it runs on another thread while the
// window's event loop goes on, its errors come back to the caller, and a
// reduction cancelled from the dialog writes nothing.
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "base/param.hpp"
#include "shell/command_runner.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

// Two stations measured in two faces.
std::vector<std::string> Book() {
    std::vector<std::string> lines = {"* Carnet d'essai"};
    for (const char* station : {"1001", "1005"}) {
        lines.push_back(std::string(" station ") + station + "     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420");
        lines.push_back("  numero 1002     AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0012+000 hv_m    1.6000");
        lines.push_back("  numero 1003     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0012+000 hv_m    1.6500");
        lines.push_back("  numero 1002     AH_gr   12.3451 AV_gr  100.4138 Dp_m  187.4516 ppm_cste_mm 0012+000 hv_m    1.6000");
        lines.push_back("  numero 1002     AH_gr  212.3457 AV_gr  299.5884 Dp_m  187.4498 ppm_cste_mm 0012+000 hv_m    1.6000");
        lines.push_back("  numero 1003     AH_gr  275.5976 AV_gr  300.8137 Dp_m  142.3372 ppm_cste_mm 0012+000 hv_m    1.6500");
        lines.push_back("  numero 1002     AH_gr  212.3461 AV_gr  299.5891 Dp_m  187.4522 ppm_cste_mm 0012+000 hv_m    1.6000");
    }
    return lines;
}

QDialog* VisibleProgressDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "kestrovaProgressDialog" && w->isVisible()) return qobject_cast<QDialog*>(w);
    return nullptr;
}

// While the work waits at `stage`, clicks "Annuler" in the dialog (once it
// shows that stage), then lets the work go on. What the dialog showed goes
// into `shown`.
struct CancelAtStage {
    std::string stage;
    std::promise<void> clicked;
    QString shown;
    bool gaveUp = false;

    explicit CancelAtStage(std::string s) : stage(std::move(s)) {
        SetStageHookForTests([this](const std::string& current) {
            if (current != stage) return;
            auto future = clicked.get_future();
            if (future.wait_for(std::chrono::seconds(20)) != std::future_status::ready) gaveUp = true;
        });
    }
    ~CancelAtStage() { SetStageHookForTests({}); }

    // Polls the GUI side from a timer of the nested event loop.
    void Arm(QObject* owner) {
        auto* timer = new QTimer(owner);
        QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
            QDialog* dialog = VisibleProgressDialog();
            if (!dialog) return;
            auto* label = dialog->findChild<QLabel*>("stage");
            if (!label || label->text() != QString::fromStdString(stage)) return;
            shown = dialog->windowTitle() + " / " + label->text();
            timer->stop();
            dialog->findChild<QPushButton*>("cancel")->click();
            clicked.set_value();
        });
        timer->start(10);
    }
};

}  // namespace

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        LastFolder().clear();
        Param() = TParam();
    }

    void workRunsOffTheWindowThreadAndItsErrorsComeBack() {
        QWidget window;
        // The work waits for a timer of the window's thread: it can only
        // end when the event loop goes on during the work.
        std::promise<void> tick;
        auto ticked = tick.get_future();
        QTimer::singleShot(400, &window, [&] { tick.set_value(); });
        std::thread::id workThread;
        bool tickedDuringWork = false;
        const bool done = RunWithProgress(&window, "Essai", [&](TProgress& progress) {
            workThread = std::this_thread::get_id();
            progress.Stage("Attente");
            tickedDuringWork = ticked.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        });
        QVERIFY(done);
        QVERIFY(tickedDuringWork);
        QVERIFY(workThread != std::this_thread::get_id());
        QVERIFY(!VisibleProgressDialog());

        QVERIFY_THROWS_EXCEPTION(std::runtime_error, RunWithProgress(&window, "Essai", [](TProgress&) {
                                     throw std::runtime_error("panne");
                                 }));
        // A cancel seen by the work itself is a cancelled command, not an error.
        QVERIFY(!RunWithProgress(&window, "Essai", [](TProgress& progress) {
            progress.Cancel();
            progress.Advance(1, 2);
        }));
    }

    void cancelledReductionWritesNothing() {
        const QString dir = ScratchDir("cancel_reduction");
        WriteBytes(dir + "/book.crt", CrLf(Book()));
        Shell shell;
        shell.main->OpenAsDocument(dir + "/book.crt");
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        {
            CancelAtStage cancel("Réduction des stations");
            cancel.Arm(shell.main.get());
            shell.main->Reduction1Click();
            QVERIFY(!cancel.gaveUp);
            QCOMPARE(cancel.shown, QString::fromUtf8("Réduction / Réduction des stations"));
        }
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"book.crt"});
        QCOMPARE(shell.main->Children().size(), 1);
        QVERIFY(!shell.main->ActiveReportViewer());
        QVERIFY(!VisibleProgressDialog());

        // The same command not cancelled writes its files.
        shell.prompts->reductionChoices = {Prompts::ReductionChoice::Valider};
        shell.prompts->names = {dir + "/out.obs"};
        shell.main->Reduction1Click();
        QVERIFY2(shell.prompts->errors.isEmpty(), qPrintable(shell.prompts->errors.join('\n')));
        QVERIFY(ReadBytes(dir + "/out.obs").contains("1005"));
        QVERIFY(shell.main->ActiveReportViewer());
    }
};

QTEST_MAIN(CommandRunnerTest)
#include "command_runner_test.moc"
