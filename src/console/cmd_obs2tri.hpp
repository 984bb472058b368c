// Console command "obs2tri": file of height differences (.obs or .iob) ->
// sorted Brelix records (.tri).
#pragma once

namespace kestrova {

struct ConsoleArgs;

int RunObs2Tri(const ConsoleArgs& args);

}  // namespace kestrova
