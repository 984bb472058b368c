#include "console/progress_line.hpp"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace kestrova {

bool IsTerminal(const std::ostream& stream) {
    if (stream.rdbuf() == std::cerr.rdbuf() || stream.rdbuf() == std::clog.rdbuf()) return ::isatty(2) == 1;
    if (stream.rdbuf() == std::cout.rdbuf()) return ::isatty(1) == 1;
    return false;
}

TConsoleProgressLine::TConsoleProgressLine(std::ostream& out, std::chrono::milliseconds delay)
    : out_(out), start_(std::chrono::steady_clock::now()), delay_(delay) {}

TConsoleProgressLine::~TConsoleProgressLine() {
    if (shown_.empty()) return;
    out_ << '\r' << std::string(shown_.size(), ' ') << '\r';
    out_.flush();
}

TProgress::Listener TConsoleProgressLine::Listener() {
    return [this](const std::string& stage, double fraction) { Show(stage, fraction); };
}

std::string TConsoleProgressLine::Text(const std::string& stage, double fraction) {
    if (fraction < 0) return stage;
    char percent[16];
    std::snprintf(percent, sizeof percent, " %d %%", static_cast<int>(fraction * 100 + 0.5 > 100 ? 100 : fraction * 100));
    return stage + percent;
}

void TConsoleProgressLine::Show(const std::string& stage, double fraction) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < delay_) return;
    // A few updates a second at most, but a new stage at once.
    const std::string text = Text(stage, fraction);
    if (text == shown_ || (now - last_ < std::chrono::milliseconds(100) && shown_.rfind(stage, 0) == 0)) return;
    last_ = now;
    std::string line = "\r" + text;
    if (text.size() < shown_.size()) line += std::string(shown_.size() - text.size(), ' ');
    out_ << line;
    out_.flush();
    shown_ = text;
}

}  // namespace kestrova
