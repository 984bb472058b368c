// Running another program as a child process: its standard output and
// error gathered, its exit status read, and the child killed when the
// command is cancelled meanwhile.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

struct ChildResult {
    int exitStatus = -1;   // the child's exit status; -1 when a signal ended it
    int signal = 0;        // the signal that ended it, or 0
    std::string output;    // what it wrote on its standard output
    std::string errors;    // and on its standard error
};

// The program could not be started at all (not found, not executable).
class ChildStartError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs `argv[0]` with the arguments `argv` (no shell, no PATH search) and
// waits for its end. The child's standard input is /dev/null. While it
// runs, `progress` is looked at every few hundredths of a second: once it
// is cancelled, the child is killed (SIGKILL), reaped, and TCancelled is
// thrown. Throws ChildStartError when the child cannot be started. While
// it runs, the child is among the running children of process_end.hpp: a
// console run ended by a signal kills and reaps it.
ChildResult RunChild(const std::vector<std::string>& argv, TProgress& progress = NoProgress());

}  // namespace kestrova
