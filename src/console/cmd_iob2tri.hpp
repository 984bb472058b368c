// Console command "iob2tri": file of height differences (.obs or .iob) ->
// sorted Geolab records (.tri).
#pragma once

namespace kestrova {

struct ConsoleArgs;

int RunIob2Tri(const ConsoleArgs& args);

}  // namespace kestrova
