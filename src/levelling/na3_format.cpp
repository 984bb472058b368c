#include "levelling/na3_format.hpp"

#include <cmath>

#include "base/format.hpp"

namespace kestrova {

const std::vector<std::string>& Na3HeaderLines() {
    static const std::vector<std::string> lines = [] {
        std::string rule;
        for (int i = 0; i < 79; ++i) rule += "\xC3\x84";  // U+00C4
        rule += ' ';
        return std::vector<std::string>{
            "",
            "*****     W I L D  N A 2 0 0 0    \\    C A R N E T  de  T E R R A I N     *****",
            "",
            " Num?ro     lecture  lecture    lecture   Nombre   lecture   Distance  Altitude",
            " de point   Arri?re  Avant      Rayon.    /E.M.Q.  Implant.  horiz.",
            rule,
        };
    }();
    return lines;
}

const std::string& Na3CodeLine() {
    static const std::string line = "Code= +?......1 Info1=          Info2=          Info3=          Info4=";
    return line;
}

std::string Na3Row(const Tobs_niv& o) {
    std::string row = Format("%9s", o.name);
    const double b = std::fabs(o.backsight);
    const double f = std::fabs(o.foresight);
    if (b + f == 0.0)
        row += Format("   %3.1f       %3.1f    ", o.backsight, o.foresight);
    else if (b > f)
        row += Format("%10.5f   %3.1f    ", o.backsight, o.foresight);
    else
        row += Format("   %3.1f    %10.5f", o.backsight, o.foresight);
    // An E.M.Q. under 0.05 mm (a DNA03 gives 0.04) keeps a second decimal:
    // written 0.0 it would weigh the difference with a zero standard
    // deviation.
    const char* emq = o.emq > 0.0 && o.emq < 0.05 ? "%4.2f" : "%3.1f";
    if (o.intermediate == 0.0)
        row += Format("%6.1f  %4d / ", o.intermediate, o.count);
    else
        row += Format("%10.5f %0d / ", o.intermediate, o.count);
    row += Format(emq, o.emq) + Format("   %3.1f", 0.0);
    if (o.distance > 0.0)
        row += Format("%12.3f", o.distance);
    else
        row += Format("%10.1f  ", o.distance);
    if (b + f + std::fabs(o.intermediate) > 0.0)
        row += Format("%9.1f", o.altitude);
    else
        row += Format("  %10.4f", o.altitude);
    return row;
}

}  // namespace kestrova
