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

    TRenameFileResult result;
    try {
        result = RenameBookFile(args.in, from, args.Get('t'), options, *args.progress);
    } catch (const TextFileError& e) {
        std::cerr << "Renommage impossible, fichier " << e.what() << " : rien n'est écrit\n";
        return 1;
    }
    if (result.book == TRenameBook::Other) {
        std::cerr << args.in << " n'est ni un carnet de terrain ni un carnet de nivellement : rien n'est écrit\n";
        return 1;
    }
    if (!result.refused.empty()) {
        std::cerr << "rename : " << result.refused << " ; rien n'est écrit\n";
        return 2;
    }
    if (result.renamed == 0) {
        std::cerr << "Aucune ligne de " << args.in << " ne nomme le point " << from << " : rien n'est écrit\n";
        return 1;
    }
    std::cerr << "Point " << from << " renommé " << to << " sur " << result.renamed
              << (result.renamed > 1 ? " lignes" : " ligne") << " ; ancien carnet : " << BackupName(args.in) << "\n";
    return 0;
}

}  // namespace kestrova
