#include "shell/editing_tools.hpp"

#include <QAction>
#include <QMenu>

#include "shell/edit_form.hpp"
#include "shell/insertion_dialogs.hpp"
#include "shell/line_editor_dialog.hpp"
#include "shell/main_window.hpp"
#include "shell/prompts.hpp"
#include "shell/rename_dialog.hpp"

namespace kestrova {

namespace {

QAction* AddEntry(QMenu* menu, TFMain_velka& main, const char* name, const char* caption,
                  void (*command)(TFMain_velka&), QKeySequence key = {}) {
    QAction* a = menu->addAction(QString::fromUtf8(caption), &main, [&main, command] { command(main); });
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

template <typename Dialog>
Dialog* Single(TFMain_velka& main, const char* name) {
    for (Dialog* d : main.findChildren<Dialog*>())
        if (d->objectName() == name) return d;
    return nullptr;
}

}  // namespace

QMenu* LevellingMenu(TFMain_velka& main) {
    if (auto* menu = main.findChild<QMenu*>("Nivellement1")) return menu;
    auto* menu = new QMenu(QString::fromUtf8("Ni&vellement"), &main);
    menu->setObjectName("Nivellement1");
    menu->setToolTipsVisible(true);
    menu->menuAction()->setStatusTip("Traitement des observations de nivellement au Na3003 et Dna03");
    return menu;
}

void AddEditingToolEntries(TFMain_velka& main) {
    QMenu* topo = main.Topo1;
    AddEntry(topo, main, "Modifierlobservation1", "Modifier l'observation", &Modifierlobservation1Click,
             QKeySequence(Qt::Key_F7));
    AddEntry(topo, main, "InsererEnteteStation1", "Insérer une entête de station (gsi ou carnet)",
             &InsererEnteteStation1Click);
    AddEntry(topo, main, "InsererDefinitionPrisme1", "Insérer une définition de prisme (carnet)",
             &InsererDefinitionPrisme1Click);
    AddEntry(topo, main, "InsererEquationCentrage1", "Insérer une équation de centrage (obs)",
             &InsererEquationCentrage1Click);
    AddEntry(topo, main, "InsererDefinitionHauteur1",
             "Insérer une définition de hauteur de voyant ou de station (carnet)", &InsererDefinitionHauteur1Click);
    AddEntry(LevellingMenu(main), main, "RenommerunPoint1", "Renommer un point (carnet)", &RenommerunPoint1Click,
             QKeySequence(Qt::CTRL | Qt::Key_F2));

    // The single dialogs, created once and reused.
    new TF_add_station(main);
    new TDefinitionDialog(main, TDefinitionDialog::Kind::Prism);
    new TDefinitionDialog(main, TDefinitionDialog::Kind::Height);
    new TFAddEquationCentrage(main);
    new TFRename_Point(main);
}

void AddEditingToolContextEntries(TFMain_velka& main, TEditForm& document) {
    QAction* a = document.PopupMenu1->addAction("Modifier l'observation", &main,
                                                [&main] { Modifierlobservation1Click(main); });
    a->setObjectName("Modifierlobservation2");
    a = document.PopupMenu1->addAction(QString::fromUtf8("Ajouter une ligne d'entête"), &main,
                                       [&main] { InsererEnteteStation1Click(main); });
    a->setObjectName("add_header");
}

void InsererEnteteStation1Click(TFMain_velka& main) {
    if (!main.ActiveDocument()) return;
    TF_add_station* dialog = Single<TF_add_station>(main, "F_add_station");
    dialog->Prepare();
    main.prompts().ExecDialog(*dialog);
}

void InsererDefinitionPrisme1Click(TFMain_velka& main) {
    if (!main.ActiveDocument()) return;
    main.prompts().ShowDialog(*Single<TDefinitionDialog>(main, "F_add_prism"));
}

void InsererDefinitionHauteur1Click(TFMain_velka& main) {
    if (!main.ActiveDocument()) return;
    main.prompts().ShowDialog(*Single<TDefinitionDialog>(main, "F_add_defhauteur"));
}

void InsererEquationCentrage1Click(TFMain_velka& main) {
    if (!main.ActiveDocument()) return;
    main.prompts().ShowDialog(*Single<TFAddEquationCentrage>(main, "FAddEquationCentrage"));
}

}  // namespace kestrova
