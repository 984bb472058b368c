#include "console/cmd_obs2iob.hpp"

#include "base/fixed_text.hpp"
#include "base/text_file.hpp"
#include "console/obs_command_support.hpp"
#include "exports/obs_convert.hpp"

namespace kestrova {

int RunObs2Iob(const ConsoleArgs& args) {
    const std::string iob = ChangeFileExt(args.out, ".iob");
    const std::string renormalised = GeolabOffersRenormalisedObs() ? PathWithoutExt(args.out) + "_2.obs" : "";
    std::vector<std::string> outputs = {iob};
    if (!renormalised.empty()) outputs.push_back(renormalised);
    if (OutputReplacesInput(outputs, {args.in})) return 1;
    if (!ConsoleInputExists(args.in, "obs")) return 1;
    return RunConversion(
        [&](std::vector<std::string>& warnings) {
            TFileLineSource lines(args.in);
            ConvertObsToGeolab(lines, args.in, iob, renormalised, *args.progress, &warnings);
        },
        args.in);
}

}  // namespace kestrova
