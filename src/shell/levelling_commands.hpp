// The "Ni&vellement" menu: digital-level GSI to levelling book, turning
// points eliminated into .obs/.iob/.gkf, the two sorts and iob -> obs.
#pragma once

namespace kestrova {

class TFMain_velka;
struct TNivSettings;

// Puts the five commands at the head of the "Ni&vellement" menu
// (LevellingMenu of the editing tools).
void AddLevellingEntries(TFMain_velka& main);

// The weighting settings, kept for the whole run of the program.
TNivSettings& LevellingSettings(TFMain_velka& main);

void ConversionGSIna3Click(TFMain_velka& main);
void SuppressionCrapaudsClick(TFMain_velka& main);
void TriObsClick(TFMain_velka& main);
void TriGeolabClick(TFMain_velka& main);
void ConvertirIobObsClick(TFMain_velka& main);

}  // namespace kestrova
