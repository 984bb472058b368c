// « Topo › Ajustement (GNU Gama)… » and « Nivellement › Ajustement (GNU
// Gama)… »: the active document (observation file, field book or levelling
// book) and a coordinate file adjusted by gama-local behind the progress
// dialog (a cancel kills gama-local and writes nothing), then the report
// shown in a report viewer.
#pragma once
#include <QString>

namespace kestrova {

class TFMain_velka;
class TForm_XMLView;

// Puts the two entries at the end of the Topo menu and of the levelling menu.
void AddAdjustEntries(TFMain_velka& main);

void AjustementTopoClick(TFMain_velka& main);
void AjustementNivellementClick(TFMain_velka& main);

// Shows the adjustment report `htmlPath` in `viewer`, its drawing as an
// image (the viewer's browser draws no SVG). False when it cannot be read.
bool ShowAdjustReport(TForm_XMLView& viewer, const QString& htmlPath);

}  // namespace kestrova
