// The "&Topo / &Conversion" commands on an observation file (.obs) held in
// the active document: its renormalisation, and its conversion to Geolab
// (.iob) and, with a coordinate file (.cor), to GNU Gama (.gkf).
#pragma once

namespace kestrova {

class TFMain_velka;

// Appends the three entries to the main window's "&Conversion" menu.
void AddObsConversionEntries(TFMain_velka& main);

void RenormalistationdefichierBrelix1Click(TFMain_velka& main);
void BrelixGeolab1Click(TFMain_velka& main);
void brelix2gnugamaClick(TFMain_velka& main);

}  // namespace kestrova
