#include "console/cmd_renorm.hpp"

#include <iostream>

#include "base/param.hpp"
#include "base/text_file.hpp"
#include "console/obs_command_support.hpp"
#include "exports/obs_convert.hpp"

namespace kestrova {

int RunRenorm(const ConsoleArgs& args) {
    if (!Param().renormalisation) {
        std::cerr << "La renormalisation n'est pas activée (renormalisation=N dans Kestrova.ini) : rien n'est écrit\n";
        return 1;
    }
    const std::string out = ChangeFileExt(args.out, ".obs");
    if (OutputReplacesInput({out}, {args.in})) return 1;
    if (!ConsoleInputExists(args.in, "obs")) return 1;
    return RunConversion(
        [&](std::vector<std::string>& warnings) {
            TFileLineSource lines(args.in);
            WriteRenormalisedObsFile(lines, args.in, out, RenormSign::Signed, *args.progress, nullptr, &warnings);
        },
        args.in);
}

}  // namespace kestrova
