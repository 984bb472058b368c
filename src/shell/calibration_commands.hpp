// The "&Topo" entries of the calibration editor ("Etalonnage", F8) and of
// the target assignment ("Affecter les cibles aux points", Shift+F9: F9 is
// the block selection of the documents). The assignment is enabled once a
// calibration has been validated.
#pragma once

namespace kestrova {

class TFMain_velka;

// Appends the two entries to the main window's "&Topo" menu.
void AddCalibrationEntries(TFMain_velka& main);

void Etalonnage1Click(TFMain_velka& main);
void Affecterlescibles1Click(TFMain_velka& main);

}  // namespace kestrova
