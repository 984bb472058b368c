// Long work of a menu command (reading, reducing, writing, converting,
// rendering) behind a progress dialog that names the current step and can
// cancel. The work gets a TProgress; it must not touch widgets.
#pragma once
#include <functional>

#include <QString>

#include "base/progress.hpp"

class QWidget;

namespace kestrova {

// Runs `work` and returns true when it ran to its end, false when the user
// cancelled it (TCancelled). Any other exception of the work is thrown
// again to the caller, on the caller's thread.
bool RunWithProgress(QWidget* parent, const QString& title, const std::function<void(TProgress&)>& work);

// Tests: `hook` is called on the worker thread each time the work starts a
// new stage, after the dialog was told (it may block to let the test act
// on the dialog). Empty: none.
void SetStageHookForTests(std::function<void(const std::string& stage)> hook);

}  // namespace kestrova
