#include "shell/command_runner.hpp"

namespace kestrova {

bool RunWithProgress(QWidget* parent, const QString& title, const std::function<void(TProgress&)>& work) {
    TProgress progress;
    try {
        work(progress);
    } catch (const TCancelled&) {
        return false;
    }
    return true;
}

}  // namespace kestrova
