#include "shell/command_runner.hpp"

#include <atomic>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QStringList>
#include <QVBoxLayout>

#include "base/text_file.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

namespace {

// Work shorter than this never shows the dialog (no flash on small books);
// user input waits meanwhile, as it would behind a busy window.
constexpr int kShowDelayMs = 250;
// How often the dialog takes the worker's latest stage and fraction.
constexpr int kRefreshMs = 50;

// What the worker last said, read by the GUI thread on its timer.
struct SharedState {
    std::mutex mutex;
    std::string stage;
    double fraction = -1.0;
    bool changed = false;
};

// The dialog: the current stage, a bar, "Annuler". Escape and the close
// button cancel too; the dialog closes only when the work has stopped.
class TProgressDialog : public QDialog {
public:
    TProgressDialog(QWidget* parent, const QString& title, TProgress& progress)
        : QDialog(parent), progress_(progress) {
        setObjectName("kestrovaProgressDialog");
        setWindowTitle(title);
        setModal(true);
        stage_ = new QLabel(title, this);
        stage_->setObjectName("stage");
        stage_->setMinimumWidth(360);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 0);  // busy until the first fraction
        cancel_ = new QPushButton(QString::fromUtf8("Annuler"), this);
        cancel_->setObjectName("cancel");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(stage_);
        layout->addWidget(bar_);
        layout->addWidget(cancel_, 0, Qt::AlignRight);
        connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
    }

    void Show(const QString& stage, double fraction) {
        stage_->setText(stage);
        if (fraction < 0) {
            bar_->setRange(0, 0);
        } else {
            bar_->setRange(0, 1000);
            bar_->setValue(static_cast<int>(fraction * 1000 + 0.5));
        }
    }

    void Cancel() {
        progress_.Cancel();
        cancel_->setEnabled(false);
        stage_->setText(QString::fromUtf8("Annulation en cours…"));
    }

    void reject() override { Cancel(); }  // Escape, close button

private:
    TProgress& progress_;
    QLabel* stage_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

std::function<void(const std::string&)>& StageHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

}  // namespace

void CentreOver(QWidget& dialog, const QWidget* over) {
    const QWidget* frame = over ? over->window() : nullptr;
    if (!frame || !frame->isVisible()) return;  // the window system places it
    // At the size it will be shown with: polished, laid out.
    dialog.ensurePolished();
    if (QLayout* layout = dialog.layout()) layout->activate();
    dialog.adjustSize();
    // A dialog not shown yet has no frame: it gets the main window's.
    QRect box = dialog.frameGeometry();
    if (!dialog.isVisible()) {
        const QRect outer = frame->frameGeometry(), inner = frame->geometry();
        box.setSize(dialog.size() + outer.size() - inner.size());
    }
    box.moveCenter(frame->frameGeometry().center());
    dialog.move(box.topLeft());
}

void SetStageHookForTests(std::function<void(const std::string& stage)> hook) { StageHook() = std::move(hook); }

bool RunWithProgress(QWidget* parent, const QString& title, const std::function<void(TProgress&)>& work) {
    SharedState state;
    const std::function<void(const std::string&)> hook = StageHook();
    TProgress progress([&state, &hook](const std::string& stage, double fraction) {
        bool newStage = false;
        {
            std::lock_guard<std::mutex> lock(state.mutex);
            newStage = state.stage != stage;
            if (newStage) state.stage = stage;
            state.fraction = fraction;
            state.changed = true;
        }
        if (newStage && hook) hook(stage);
    });

    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
        // Wakes the loop on the GUI thread; the loop outlives the worker.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });

    TProgressDialog dialog(parent, title, progress);
    QTimer refresh;
    refresh.setInterval(kRefreshMs);
    auto update = [&] {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (!state.changed || progress.Cancelled()) return;
        state.changed = false;
        dialog.Show(QString::fromStdString(state.stage), state.fraction);
    };
    QObject::connect(&refresh, &QTimer::timeout, &dialog, update);

    // First the short wait, painting but not taking input; then the
    // dialog, modal, until the work stops.
    QTimer::singleShot(kShowDelayMs, &loop, &QEventLoop::quit);
    if (!finished.load()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished.load()) {
        update();  // the current stage from the first paint on
        // Over the window it works for (a report viewer's dialog over the
        // main window), not wherever the window system would put it.
        CentreOver(dialog, parent);
        dialog.show();
        refresh.start();
        while (!finished.load()) loop.exec();
        refresh.stop();
        dialog.hide();
    }
    worker.join();

    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const TCancelled&) {
            return false;
        }
    }
    return true;
}


bool RunMenuCommand(QWidget* parent, Prompts& prompts, const QString& source, const QString& title,
                    const QString& failure, const std::function<void(TProgress&)>& work) {
    QString text;
    try {
        return RunWithProgress(parent, title, work);
    } catch (const TextFileError& error) {
        text = QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2").arg(Q(error.path()), Q(error.reason()));
    } catch (const std::exception& error) {
        text = failure.arg(source, QString::fromUtf8(error.what()));
    }
    prompts.Error(parent, text);
    return false;
}

void ShowCommandWarnings(QWidget* parent, Prompts& prompts, const QString& heading, const QString& source,
                         const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    QStringList text;
    for (const std::string& w : warnings) text << Q(w);
    prompts.Warning(parent, heading.arg(source, text.join('\n')));
}

}  // namespace kestrova
