// Measurements for the benchmarks (bench/bench_gui.sh). With KESTROVA_PROBE
// naming a file in the environment, the window appends to it a line at each
// named moment: the seconds since the start, the name, the largest delay of
// a 10 ms timer since the previous moment (how long the event loop was
// blocked), the peak resident memory so far and the resident memory now;
// and a "block" line after every block of 100 ms or more. Without it,
// nothing happens.
#pragma once

namespace kestrova {

void StartEventLoopProbe();
void ProbeMark(const char* what);

}  // namespace kestrova
