// Long work of a menu command (reading, reducing, writing, converting,
// rendering) behind a progress dialog that names the current step and can
// cancel. The work gets a TProgress; it must not touch widgets.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "base/progress.hpp"

class QWidget;

namespace kestrova {

class Prompts;

// Runs `work` and returns true when it ran to its end, false when the user
// cancelled it (TCancelled). Any other exception of the work is thrown
// again to the caller, on the caller's thread.
bool RunWithProgress(QWidget* parent, const QString& title, const std::function<void(TProgress&)>& work);

// A menu command's long work: as RunWithProgress, and any failure shown in
// an error box through `prompts` — a write error names the file written,
// any other error is `failure` ("... %1 ...:\n%2") filled with `source`
// and the error's text, so nothing leaves the command through the event
// loop. True when the work ran to its end.
bool RunMenuCommand(QWidget* parent, Prompts& prompts, const QString& source, const QString& title,
                    const QString& failure, const std::function<void(TProgress&)>& work);

// The warnings of a command, one message box for all of them, under
// `heading` filled with `source`; nothing when there are none.
void ShowCommandWarnings(QWidget* parent, Prompts& prompts, const QString& heading, const QString& source,
                         const std::vector<std::string>& warnings);

// Puts `dialog` (at its size hint) centred over the window of `over`;
// nothing when there is no such window or it is not shown.
void CentreOver(QWidget& dialog, const QWidget* over);

// Tests: `hook` is called on the worker thread each time the work starts a
// new stage, after the dialog was told (it may block to let the test act
// on the dialog). Empty: none.
void SetStageHookForTests(std::function<void(const std::string& stage)> hook);

}  // namespace kestrova
