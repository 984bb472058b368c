// Console command "na32obs": levelling book -> height differences without
// turning points, as ".obs", ".iob" and ".gkf".
#pragma once

namespace kestrova {

struct ConsoleArgs;

// -w/--weighting 0|1|2 (default 2), -s/--sigma MM (default 0.1). 0; 1 when
// the book cannot be read, is no levelling book or gives no height
// difference ("Fichier réduit vide"), when the weighting would give a zero
// standard deviation, or when an output cannot be written (nothing written
// in each case); 2 for a bad -w or -s.
int RunNa32Obs(const ConsoleArgs& args);

}  // namespace kestrova
