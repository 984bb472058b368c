// Prompts answered from a script, recording what the program asked.
#pragma once
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QString>
#include <QStringList>

#include "base/param.hpp"
#include "shell/prompts.hpp"

namespace kestrova::testing {

class ScriptedPrompts : public Prompts {
public:
    struct Dialog {
        QString kind;  // "open" or "save"
        QString title, filter, proposed;
    };

    // Answers, used in order. An empty queue answers "cancel" and records
    // an unexpected question.
    std::deque<std::optional<QString>> names;
    std::deque<Answer> answers;
    std::deque<ReductionChoice> reductionChoices;
    std::optional<std::string> gsiStyle;  // what the user leaves in the options dialog
    std::function<bool(QPrinter&)> print;

    // What was asked.
    std::vector<Dialog> dialogs;
    QStringList messages;
    QStringList errors;
    QStringList questions;
    int reductionDialogs = 0;
    std::vector<std::vector<std::string>> gsiConfirmations;
    QStringList unexpected;

    std::optional<QString> AskOpenName(QWidget*, const QString& title, const QString& filter,
                                       const QString& folder) override {
        dialogs.push_back({"open", title, filter, folder});
        return NextName("open " + title);
    }
    std::optional<QString> AskSaveName(QWidget*, const QString& title, const QString& filter,
                                       const QString& proposed) override {
        dialogs.push_back({"save", title, filter, proposed});
        return NextName("save " + title);
    }
    void Message(QWidget*, const QString& text) override { messages << text; }
    void Error(QWidget*, const QString& text) override { errors << text; }
    Answer AskYesNoCancel(QWidget*, const QString& text) override {
        questions << text;
        if (answers.empty()) {
            unexpected << "question " + text;
            return Answer::Cancel;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    ReductionChoice ChooseReduction(QWidget*) override {
        ++reductionDialogs;
        if (reductionChoices.empty()) {
            unexpected << "reduction dialog";
            return ReductionChoice::Annuler;
        }
        const ReductionChoice c = reductionChoices.front();
        reductionChoices.pop_front();
        return c;
    }
    void ConfirmGsiFormat(QWidget*, const std::vector<std::string>& lines) override {
        gsiConfirmations.push_back(lines);
        if (gsiStyle) Param().entete_gsi = *gsiStyle;
    }
    bool AskPrint(QWidget*, QPrinter& printer) override { return print ? print(printer) : false; }
    void PrinterSetup(QWidget*, QPrinter&) override {}

    // ---- Editing-tool dialogs: each script plays the user on the next
    // dialog (fills its fields, presses its buttons); `dialogTitles` records
    // every dialog run or shown.
    std::deque<std::function<void(QDialog&)>> dialogScripts;
    QStringList dialogTitles;
    int ExecDialog(QDialog& dialog) override {
        dialogTitles << dialog.windowTitle();
        if (dialogScripts.empty()) {
            unexpected << "dialog " + dialog.windowTitle();
            return QDialog::Rejected;
        }
        auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        dialog.setResult(QDialog::Rejected);
        script(dialog);
        return dialog.result();
    }
    void ShowDialog(QDialog& dialog) override {
        dialogTitles << dialog.windowTitle();
        dialog.show();
        if (dialogScripts.empty()) return;  // the test plays it afterwards
        auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        script(dialog);
    }

    // Levelling: the settings the weighting dialog is closed with (none:
    // left as shown); the settings it was shown with. While
    // `weightingCancelled` is set, the dialog is left by "Annuler".
    std::deque<std::optional<TNivSettings>> weightings;
    std::vector<TNivSettings> weightingShown;
    bool weightingCancelled = false;
    std::optional<TNivSettings> ChooseLevellingWeighting(QWidget*, const TNivSettings& settings) override {
        weightingShown.push_back(settings);
        if (weightingCancelled) return std::nullopt;
        if (weightings.empty()) {
            unexpected << "weighting dialog";
            return settings;
        }
        const auto w = weightings.front();
        weightings.pop_front();
        return w ? *w : settings;
    }

    // ---- Calibration editor and target assignment: the answers in order
    // (nothing: "Annuler"), and what the assignment form was opened with.
    std::deque<std::optional<TCalibrationInput>> calibrations;
    std::deque<std::optional<TAssignmentTable>> assignments;
    struct AssignmentForm {
        std::vector<TAssignStation> stations;
        std::vector<TCible> cibles;
        int station = -1;
    };
    std::vector<AssignmentForm> assignmentForms;
    std::optional<TCalibrationInput> EditCalibration(QWidget*) override {
        if (calibrations.empty()) {
            unexpected << "calibration editor";
            return std::nullopt;
        }
        auto c = calibrations.front();
        calibrations.pop_front();
        return c;
    }
    std::optional<TAssignmentTable> AssignTargets(QWidget*, const std::vector<TAssignStation>& stations,
                                                  const std::vector<TCible>& cibles, int station) override {
        assignmentForms.push_back({stations, cibles, station});
        if (assignments.empty()) {
            unexpected << "target assignment";
            return std::nullopt;
        }
        auto a = assignments.front();
        assignments.pop_front();
        return a;
    }

private:
    std::optional<QString> NextName(const QString& what) {
        if (names.empty()) {
            unexpected << what;
            return std::nullopt;
        }
        auto n = names.front();
        names.pop_front();
        return n;
    }
};

}  // namespace kestrova::testing
