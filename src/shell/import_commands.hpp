// The "&Topo / &Conversion" commands that bring Trimble GDM recordings and
// monitoring shot logs into field books, and the XML form of a text book.
#pragma once

class QAction;

namespace kestrova {

class TFMain_velka;

// Appends the four entries to the main window's "&Conversion" menu (in the
// menu's order: text book to XML, GDM to text book, GDM to XML, shoot).
void AddImportConversionEntries(TFMain_velka& main);

void Conversion_crt2xcrt1Click(TFMain_velka& main);
void GDMformatcarnetcrt1Click(TFMain_velka& main);
void ConversionGDMTrimbleformatcarnetxmlxcrt1Click(TFMain_velka& main);
void pivra2crtClick(TFMain_velka& main);

}  // namespace kestrova
