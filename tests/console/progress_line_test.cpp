// The console's progress line: nothing before its delay, one line rewritten
// in place with the stage and its share, cleared at the end; a stream that
// is not a terminal gets nothing at all.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "console/progress_line.hpp"

using namespace kestrova;

TEST(ConsoleProgressLine, RewritesOneLineAndClearsItAtTheEnd) {
    std::ostringstream out;
    {
        TConsoleProgressLine line(out, std::chrono::milliseconds(0));
        TProgress progress(line.Listener());
        progress.Stage("Lecture du carnet");
        progress.Advance(42, 100);  // too soon after the stage: skipped
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        progress.Advance(43, 100);
        progress.Stage("Écriture");  // a new stage shows at once
        progress.Advance(1, 1);      // too soon: skipped
    }
    const std::string previous = "Lecture du carnet 43 %";
    const std::string shown = "\rLecture du carnet\r" + previous + "\rÉcriture" +
                              std::string(previous.size() - std::string("Écriture").size(), ' ');
    EXPECT_EQ(out.str().substr(0, shown.size()), shown);
    // Cleared: blanks over the last text, then back to the start.
    const std::string end = out.str().substr(shown.size());
    EXPECT_EQ(end, "\r" + std::string(std::string("Écriture").size(), ' ') + "\r");
    EXPECT_FALSE(IsTerminal(out));
}

TEST(ConsoleProgressLine, ShortCommandsShowNothing) {
    std::ostringstream out;
    {
        TConsoleProgressLine line(out, std::chrono::seconds(1));
        TProgress progress(line.Listener());
        progress.Stage("Lecture du carnet");
        progress.Advance(1, 2);
    }
    EXPECT_EQ(out.str(), "");
}
