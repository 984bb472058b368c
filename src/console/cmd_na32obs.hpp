// Console command "na32obs": levelling book -> height differences without
// turning points, as ".obs", ".iob" and ".gkf".
#pragma once

namespace kestrova {

struct ConsoleArgs;

// -w/--weighting 0|1|2 (default 2), -s/--sigma MM (default 0.1). 0; 1 when
// the book cannot be read, holds no run ("Fichier réduit vide") or an output
// cannot be written (nothing written); 2 for a bad -w or -s.
int RunNa32Obs(const ConsoleArgs& args);

}  // namespace kestrova
