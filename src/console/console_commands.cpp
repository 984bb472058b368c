#include "console/console_commands.hpp"

#include "console/cmd_crt2obs.hpp"
#include "console/cmd_gsi2xcrt.hpp"
#include "console/cmd_crt2xcrt.hpp"
#include "console/cmd_gdm2crt.hpp"
#include "console/cmd_gsi2crt.hpp"
#include "console/cmd_shoot2crt.hpp"
#include "console/cmd_rename.hpp"

namespace kestrova {

const std::vector<ConsoleCommand>& ConsoleCommands() {
    static const std::vector<ConsoleCommand> commands = {
        {"crt2obs", "carnet (.crt, .xcrt) -> .chk .xml .xsl .obs .iob _out.gsi", true,
         [](const ConsoleArgs& a) { return RunCrt2Obs(a.in, a.out); }},
        {"gsi2xcrt", "enregistrement GSI -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunGsi2Xcrt(a.in, a.out, *a.progress); }},
        {"gsi2crt", "enregistrement GSI -> carnet texte (.carnet)", true,
         [](const ConsoleArgs& a) { return RunGsi2Crt(a.in, a.out, *a.progress); }},
        {"gdm2crt", "enregistrement GDM (Trimble) -> carnet texte (.carnet)", true,
         [](const ConsoleArgs& a) { return RunGdm2Crt(a.in, a.out); }},
        {"gdm2xcrt", "enregistrement GDM (Trimble) -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunGdm2Xcrt(a.in, a.out); }},
        {"shoot2crt", "fichier shoot (Pivra, Ondil) -> carnets .crt et .xcrt", true,
         [](const ConsoleArgs& a) { return RunShoot2Crt(a.in, a.out, *a.progress); }},
        {"crt2xcrt", "carnet texte (.crt, .carnet) -> carnet XML (.xcrt)", true,
         [](const ConsoleArgs& a) { return RunCrt2Xcrt(a.in, a.out); }},
        {"rename", "renomme un point d'un carnet (.crt) ou d'un carnet de nivellement (.na3), copie .backup", false,
         [](const ConsoleArgs& a) { return RunRename(a); }},
    };
    return commands;
}

}  // namespace kestrova
