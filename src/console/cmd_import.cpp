#include "console/cmd_import.hpp"

#include <iostream>

#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "console/console_commands.hpp"
#include "import/recording_import.hpp"

namespace kestrova {

int RunImport(const ConsoleArgs& args) {
    std::optional<TRecordingFormat> format;
    if (args.Has('r')) {
        format = FormatFromName(args.Get('r'));
        if (!format) {
            std::cerr << "Format de relevé « " << args.Get('r')
                      << " » inconnu : gsi, gdm, shoot, m5, sdr, rw5 ou nikon sont attendus.\n";
            return 2;
        }
    }
    if (!FileExists(args.in)) {
        std::cerr << "Impossible de lire le relevé " << args.in << " : fichier introuvable\n";
        return 1;
    }
    try {
        TOutputSet outputs;
        TImportResult result;
        try {
            // The book may get the name with ".na3" (a level's recording).
            for (const std::string& target : {args.out, ChangeFileExt(args.out, ".na3")})
                if (SameFile(args.in, target)) {
                    std::cerr << "Le fichier de sortie " << target << " est le relevé lu : rien n'est écrit\n";
                    return 1;
                }
            result = ImportRecording(args.in, args.out, format, outputs, *args.progress);
        } catch (const TImportError& e) {
            std::cerr << args.in << " : " << e.what() << (e.lineNumber() > 0 ? " Rien n'est écrit." : "") << "\n";
            return 1;
        }
        for (const std::string& w : result.warnings) std::cerr << args.in << " : " << w << "\n";
        outputs.Commit();
        for (const std::string& line : ImportSummary(result)) std::cout << line << "\n";
    } catch (const TextFileError& e) {
        std::cerr << "Impossible de lire ou d'écrire " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kestrova
