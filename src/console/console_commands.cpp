#include "console/console_commands.hpp"

#include "console/cmd_adjust.hpp"
#include "console/cmd_crt2obs.hpp"
#include "console/cmd_gsi2xcrt.hpp"
#include "console/cmd_crt2xcrt.hpp"
#include "console/cmd_gdm2crt.hpp"
#include "console/cmd_import.hpp"
#include "console/cmd_gsi2crt.hpp"
#include "console/cmd_shoot2crt.hpp"
#include "console/cmd_rename.hpp"
#include "console/cmd_gsi2na3.hpp"
#include "console/cmd_iob2obs.hpp"
#include "console/cmd_iob2tri.hpp"
#include "console/cmd_na32obs.hpp"
#include "console/cmd_obs2tri.hpp"
#include "console/cmd_obs2gkf.hpp"
#include "console/cmd_obs2iob.hpp"
#include "console/cmd_reduce.hpp"
#include "console/cmd_renorm.hpp"
#include "console/cmd_report.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
        {"crt2obs", "carnet (.crt, .xcrt) -> .chk .xml .xsl .obs .iob _out.gsi", true,
         [](const ConsoleArgs& a) { return RunCrt2Obs(a.in, a.out, *a.progress); }},
        {"gsi2xcrt", "enregistrement GSI -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunGsi2Xcrt(a.in, a.out, *a.progress); }},
        {"gsi2crt", "enregistrement GSI -> carnet texte (.carnet)", true,
         [](const ConsoleArgs& a) { return RunGsi2Crt(a.in, a.out, *a.progress); }},
        {"gdm2crt", "enregistrement GDM (Trimble) -> carnet texte (.carnet)", true,
         [](const ConsoleArgs& a) { return RunGdm2Crt(a.in, a.out, a.Get('g')); }},
        {"gdm2xcrt", "enregistrement GDM (Trimble) -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunGdm2Xcrt(a.in, a.out, a.Get('g')); }},
        {"shoot2crt", "fichier shoot (Pivra, Ondil) -> carnets .crt et .xcrt", true,
         [](const ConsoleArgs& a) { return RunShoot2Crt(a.in, a.out, *a.progress); }},
        {"crt2xcrt", "carnet texte (.crt, .carnet) -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunCrt2Xcrt(a.in, a.out); }},
        {"rename", "renomme un point d'un carnet (.crt) ou d'un carnet de nivellement (.na3), copie .backup", false,
         [](const ConsoleArgs& a) { return RunRename(a); }},
        {"import", "relevé d'instrument (GSI, GDM, shoot, M5, SDR, RW5, Nikon RAW) reconnu -> carnet (.xcrt, .crt) ou .na3 (-r FORMAT)", true,
         RunImport},
        {"gsi2na3", "enregistrement GSI de niveau -> carnet de nivellement (.na3)", true, RunGsi2Na3},
        {"na32obs", "carnet de nivellement (.na3) -> .obs .iob .gkf sans crapauds (-w, -s)", true, RunNa32Obs},
        {"obs2tri", "dénivelées (.obs, .iob) -> fichier obs trié (.tri)", true, RunObs2Tri},
        {"iob2tri", "dénivelées (.obs, .iob) -> fichier geolab trié (.tri)", true, RunIob2Tri},
        {"iob2obs", "dénivelées (.iob) -> fichier Brelix (.obs)", true, RunIob2Obs},
        {"reduce", "carnet -> .obs (un par station si cycles) .chk .xml .xsl .gkf .iob _out.gsi", true, RunReduce},
        {"obs2iob", "fichier obs -> .iob (Geolab) [+ _2.obs renormalisé selon Kestrova.ini]", true, RunObs2Iob},
        {"obs2gkf", "fichier obs + coordonnées (-c FICHIER.cor) -> .gkf (GNU Gama)", true, RunObs2Gkf},
        {"adjust", "observations (.obs, carnet, .na3) + coordonnées (-c FICHIER.cor) -> ajustement GNU Gama (.gkf _gama.xml _gama.txt _ajustement.html)", true, RunAdjust},
        {"renorm", "fichier obs -> .obs aux écarts types renormalisés", true, RunRenorm},
        {"report", "compte rendu de réduction (.xml) -> page HTML autonome avec croquis (.html)", true,
         [](const ConsoleArgs& a) { return RunReport(a.in, a.out, *a.progress); }},
    };
    return commands;
}

}  // namespace kestrova
