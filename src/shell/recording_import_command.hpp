// « Fichier › Importer un relevé… »: any instrument recording the import
// recognises (GSI, GDM, shoot, M5, SDR, RW5, Nikon RAW) becomes a field
// book (or a levelling book for a level's recording), opened as a document.
#pragma once

class QMenu;

namespace kestrova {

class TFMain_velka;

// Puts the entry into `fichier` just after its "&Ouvrir" entry (at the
// end when there is none).
void AddRecordingImportEntry(TFMain_velka& main, QMenu& fichier);

void ImporterUnReleve1Click(TFMain_velka& main);

}  // namespace kestrova
