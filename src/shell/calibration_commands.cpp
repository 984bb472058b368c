#include "shell/calibration_commands.hpp"

#include <functional>
#include <optional>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QObject>

#include "shell/command_runner.hpp"
#include "shell/edit_form.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"
#include "tools/calibration_editor.hpp"
#include "tools/target_assignment.hpp"

namespace kestrova {

namespace {

// The targets of the last calibration validated in this run, and the
// assignment entry that it enables.
class TCalibrationState : public QObject {
public:
    explicit TCalibrationState(QObject* parent) : QObject(parent) { setObjectName("CalibrationState"); }
    std::vector<TCible> cibles;
    QAction* affecter = nullptr;
};

TCalibrationState* State(TFMain_velka& main) { return main.findChild<TCalibrationState*>("CalibrationState"); }

// The document's lines and the work on them on a worker (a large book
// is neither copied nor rewritten on the window's thread).
bool RunCalibrationWork(TFMain_velka& main, TEditForm& document,
                        const std::function<void(const std::vector<std::string>&)>& work) {
    const std::optional<std::vector<std::string>> lines = document.LinesForCommand();
    if (!lines) return false;
    return RunWithProgress(&main, QString::fromUtf8("Etalonnage"), [&](TProgress&) { work(*lines); });
}

void ShowMessages(TFMain_velka& main, const std::vector<std::string>& messages) {
    for (const std::string& m : messages) main.prompts().Message(&main, Q(m));
}

}  // namespace

void AddCalibrationEntries(TFMain_velka& main) {
    auto* state = new TCalibrationState(&main);
    QMenu* topo = main.Topo1;
    // Right after "Modifier l'observation" when it is there.
    QAction* before = nullptr;
    const QList<QAction*> actions = topo->actions();
    for (qsizetype i = 0; i + 1 < actions.size(); ++i)
        if (actions[i]->objectName() == "Modifierlobservation1") before = actions[i + 1];
    auto add = [&](const char* name, const char* caption, const QKeySequence& key, void (*command)(TFMain_velka&)) {
        auto* a = new QAction(QString::fromUtf8(caption), topo);
        a->setObjectName(name);
        a->setShortcut(key);
        QObject::connect(a, &QAction::triggered, &main, [&main, command] { command(main); });
        topo->insertAction(before, a);  // appended when `before` is null
        return a;
    };
    add("Etalonnage1", "Etalonnage", QKeySequence(Qt::Key_F8), &Etalonnage1Click);
    state->affecter = add("Affecterlescibles1", "Affecter les cibles aux points",
                          QKeySequence(Qt::SHIFT | Qt::Key_F9), &Affecterlescibles1Click);
    state->affecter->setEnabled(false);
}

void Etalonnage1Click(TFMain_velka& main) {
    if (main.Children().isEmpty()) return;
    TEditForm* document = main.ActiveDocument();
    if (!document) return;
    // Said before the targets are typed, not after.
    if (const auto refusal = CalibrationBookRefusal(document->LineCount() > 0 ? document->LineAt(0) : std::string())) {
        main.prompts().Message(&main, Q(*refusal));
        return;
    }
    const auto input = main.prompts().EditCalibration(&main);
    if (!input) return;
    TToolResult r;
    std::string text;
    if (!RunCalibrationWork(main, *document, [&](const std::vector<std::string>& lines) {
            r = ValidateCalibration(lines, *input);
            if (r.written) text = JoinEditorLines(r.lines);
        }))
        return;
    ShowMessages(main, r.messages);
    if (!r.written) return;
    // An edit of the document like any other: it is now modified.
    document->SetText(text);
    if (TCalibrationState* state = State(main)) {
        state->cibles = input->cibles;
        state->affecter->setEnabled(true);
    }
}

void Affecterlescibles1Click(TFMain_velka& main) {
    TCalibrationState* state = State(main);
    TEditForm* document = main.ActiveDocument();
    if (!state || !document || !state->affecter->isEnabled()) return;
    if (const auto refusal = CalibrationBookRefusal(document->LineCount() > 0 ? document->LineAt(0) : std::string())) {
        main.prompts().Message(&main, Q(*refusal));
        return;
    }
    const std::optional<std::vector<std::string>> copied = document->LinesForCommand();
    if (!copied) return;
    const std::vector<std::string>& lines = *copied;
    const auto stations = AssignmentStations(lines);
    if (!stations) {
        main.prompts().Message(&main, "carnet");
        return;
    }
    const int start = AssignmentStartStation(lines, document->CaretLine(), stations->size());
    const auto table = main.prompts().AssignTargets(&main, *stations, state->cibles, start);
    if (!table) return;
    TToolResult r;
    std::string text;
    if (!RunWithProgress(&main, QString::fromUtf8("Affecter les cibles aux points"), [&](TProgress&) {
            r = ApplyAssignment(lines, state->cibles, *table);
            if (r.written) text = JoinEditorLines(r.lines);
        }))
        return;
    ShowMessages(main, r.messages);
    if (r.written) document->SetText(text);
}

}  // namespace kestrova
