// The menu entries of the field-book editing tools: the observation line
// editor, the four insertions and the point renaming.
#pragma once

class QMenu;

namespace kestrova {

class TEditForm;
class TFMain_velka;

// Appends the entries to the main window's "&Topo" menu and the renaming to
// its "Ni&vellement" menu; creates the single insertion and renaming dialogs.
void AddEditingToolEntries(TFMain_velka& main);

// Appends "Modifier l'observation" and "Ajouter une ligne d'entête" to a
// document's context menu.
void AddEditingToolContextEntries(TFMain_velka& main, TEditForm& document);

// The "Ni&vellement" menu (objectName "Nivellement1"), made on first use.
QMenu* LevellingMenu(TFMain_velka& main);

// The commands.
void InsererEnteteStation1Click(TFMain_velka& main);
void InsererDefinitionPrisme1Click(TFMain_velka& main);
void InsererEquationCentrage1Click(TFMain_velka& main);
void InsererDefinitionHauteur1Click(TFMain_velka& main);

}  // namespace kestrova
