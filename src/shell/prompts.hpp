// Every dialog a menu command needs, behind one small interface so that the
// commands can be driven without a person in front of the screen.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "levelling/niv_model.hpp"
#include "tools/calibration_editor.hpp"
#include "tools/target_assignment.hpp"

class QDialog;
class QPrinter;
class QWidget;

namespace kestrova {

class TF_opt;

class Prompts {
public:
    enum class Answer { Yes, No, Cancel };
    // How the reduction dialog was left: "Valider", "Annuler", or closed
    // another way (title-bar button, Escape).
    enum class ReductionChoice { Valider, Annuler, Closed };

    virtual ~Prompts() = default;

    // Open dialog. `filter` uses the program's own "Description|*.a;*.b|..."
    // form. Returns the chosen path, or nothing when cancelled.
    virtual std::optional<QString> AskOpenName(QWidget* parent, const QString& title,
                                               const QString& filter, const QString& folder) = 0;
    // Save dialog with `proposed` as the starting name; an existing file is
    // chosen only after the dialog's own overwrite confirmation.
    virtual std::optional<QString> AskSaveName(QWidget* parent, const QString& title,
                                               const QString& filter, const QString& proposed) = 0;
    // Message box with one OK button.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // Error message box with one OK button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Warning (a command that went through but has something to say), one
    // OK button; shown like a message unless the dialogs say otherwise.
    virtual void Warning(QWidget* parent, const QString& text) { Message(parent, text); }
    // Question with the buttons Yes, No and Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& text) = 0;
    // The "Réduction" dialog (TFChoixReduc).
    virtual ReductionChoice ChooseReduction(QWidget* parent) = 0;
    // Proposes a GSI header style from the lines and lets the user confirm
    // it in the options dialog; the chosen style is left in Param().
    virtual void ConfirmGsiFormat(QWidget* parent, const std::vector<std::string>& lines) = 0;
    // The unit of a GDM recording's angles ("gon", "dms" or "deg"),
    // `proposed` first; nothing when cancelled. By default the proposed
    // unit, unasked (the real dialog is QtPrompts').
    virtual std::optional<std::string> ChooseGdmAngleUnit(QWidget* parent, const std::string& proposed);
    // Print dialog; true when the user confirmed printing on `printer`.
    virtual bool AskPrint(QWidget* parent, QPrinter& printer) = 0;
    // Printer set-up (page) dialog.
    virtual void PrinterSetup(QWidget* parent, QPrinter& printer) = 0;

    // ---- Editing tools (line editor, insertions, renaming): their own
    // dialogs, run modally or shown beside the documents.
    // Runs `dialog` modally; returns its result (QDialog::Accepted or Rejected).
    virtual int ExecDialog(QDialog& dialog);
    // Shows a modeless `dialog` and gives it the focus.
    virtual void ShowDialog(QDialog& dialog);

    // ---- Levelling
    // The weighting dialog "Nivellement" (TFniv), shown with `settings`;
    // gives the settings it was closed with by "Ok", nothing on "Annuler".
    virtual std::optional<TNivSettings> ChooseLevellingWeighting(QWidget* parent, const TNivSettings& settings) = 0;

    // ---- Calibration editor and target assignment (the real dialogs by
    // default, in calibration_dialogs.cpp)
    // The calibration editor (TFEtalonnage): what it holds when "Valider"
    // is pressed, nothing when it is left otherwise.
    virtual std::optional<TCalibrationInput> EditCalibration(QWidget* parent);
    // The target assignment (TAffectEtal) opened on `station` (from 0): the
    // assignment table when "Valider" is pressed.
    virtual std::optional<TAssignmentTable> AssignTargets(QWidget* parent, const std::vector<TAssignStation>& stations,
                                                          const std::vector<TCible>& cibles, int station);
};

// The real dialogs.
class QtPrompts : public Prompts {
public:
    // `options` is the options dialog used for the GSI format confirmation
    // (owned elsewhere; may be set later).
    explicit QtPrompts(TF_opt* options = nullptr) : options_(options) {}
    void SetOptionsDialog(TF_opt* options) { options_ = options; }

    std::optional<QString> AskOpenName(QWidget* parent, const QString& title,
                                       const QString& filter, const QString& folder) override;
    std::optional<QString> AskSaveName(QWidget* parent, const QString& title,
                                       const QString& filter, const QString& proposed) override;
    void Message(QWidget* parent, const QString& text) override;
    void Error(QWidget* parent, const QString& text) override;
    void Warning(QWidget* parent, const QString& text) override;
    Answer AskYesNoCancel(QWidget* parent, const QString& text) override;
    ReductionChoice ChooseReduction(QWidget* parent) override;
    void ConfirmGsiFormat(QWidget* parent, const std::vector<std::string>& lines) override;
    std::optional<std::string> ChooseGdmAngleUnit(QWidget* parent, const std::string& proposed) override;
    bool AskPrint(QWidget* parent, QPrinter& printer) override;
    void PrinterSetup(QWidget* parent, QPrinter& printer) override;
    std::optional<TNivSettings> ChooseLevellingWeighting(QWidget* parent, const TNivSettings& settings) override;

private:
    TF_opt* options_;
    // The filter last chosen in the open dialog, offered again next time
    // (the first filter until then).
    QString open_filter_;
};

// "Desc|*.a;*.b|Desc2|*.c" -> "Desc (*.a *.b);;Desc2 (*.c)" for Qt's dialogs.
QString QtFileFilter(const QString& filter);

}  // namespace kestrova
