// The console's progress: one line on stderr, rewritten in place ("\r"),
// for commands that run longer than about a second, and only when stderr
// is a terminal. The line is cleared when the command ends.
#pragma once
#include <chrono>
#include <ostream>
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// True when `stream` writes to a terminal (std::cerr on a tty).
bool IsTerminal(const std::ostream& stream);

class TConsoleProgressLine {
public:
    explicit TConsoleProgressLine(std::ostream& out, std::chrono::milliseconds delay = std::chrono::seconds(1));
    ~TConsoleProgressLine();  // clears the line when one was shown

    TProgress::Listener Listener();
    // "Lecture du carnet 42 %", or the stage alone when the share is unknown.
    static std::string Text(const std::string& stage, double fraction);

private:
    void Show(const std::string& stage, double fraction);

    std::ostream& out_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_{};
    std::chrono::milliseconds delay_;
    std::string shown_;
};

}  // namespace kestrova
