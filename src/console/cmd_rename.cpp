#include "console/cmd_rename.hpp"

#include <iostream>

#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "console/console_commands.hpp"
#include "tools/rename_point.hpp"

namespace kestrova {

int RunRename(const ConsoleArgs& args) {
    const std::string from = Trim(CleanFieldText(args.Get('f')));
    const std::string to = Trim(CleanFieldText(args.Get('t')));
    if (from.empty() || to.empty()) {
        std::cerr << "rename : l'ancien nom (--from) et le nouveau nom (--to) sont nécessaires\n";
        return 2;
    }
    TRenameOptions options;
    options.stations = args.Has('a');
    options.targets = !args.Has('n');
    args.progress->Stage("Renommage du point " + from);

    std::vector<std::string> lines;
    try {
        lines = ReadTextLines(args.in);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire le carnet " << e.what() << "\n";
        return 1;
    }
    int renamed = 0;
    const auto result = RenamePoint(lines, from, to, options, &renamed);
    if (!result) {
        std::cerr << args.in << " n'est ni un carnet de terrain ni un carnet de nivellement : rien n'est écrit\n";
        return 1;
    }
    if (renamed == 0) {
        std::cerr << "Aucune ligne de " << args.in << " ne nomme le point " << from << " : rien n'est écrit\n";
        return 1;
    }
    try {
        WriteRenamedBook(args.in, lines, *result);
    } catch (const TextFileError& e) {
        std::cerr << "Impossible d'écrire le fichier " << e.what() << " : rien n'est écrit\n";
        return 1;
    }
    std::cerr << "Point " << from << " renommé " << to << " sur " << renamed
              << (renamed > 1 ? " lignes" : " ligne") << " ; ancien carnet : " << BackupName(args.in) << "\n";
    return 0;
}

}  // namespace kestrova
