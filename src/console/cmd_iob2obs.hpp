// Console command "iob2obs": Geolab height differences (.iob) -> Brelix
// records (.obs), in input order.
#pragma once

namespace kestrova {

struct ConsoleArgs;

int RunIob2Obs(const ConsoleArgs& args);

}  // namespace kestrova
