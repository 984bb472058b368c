// Record lines of height differences in the three adjustment formats.
#pragma once
#include <string>

#include "levelling/niv_model.hpp"

namespace kestrova {

// Brelix ".obs": "4 %8s %8s %12.5f  %8.5f ..." (code 4), or "* " and the
// comment of a comment entry.
std::string BrelixRecord(const Tdeniv& d);
// Geolab ".iob": " OHDF     %-12s %-12s ...", or "* " and the comment.
std::string GeolabRecord(const Tdeniv& d);
// GNU Gama ".gkf": "        <dh from=... />" with `decimals` decimals, or
// an XML comment. Names are escaped (non-ASCII as character references).
std::string GamaRecord(const Tdeniv& d, int decimals);

// True when the standard deviation (metres) would be written as zero in the
// ".gkf" with `decimals` decimals or in the ".obs" ("%8.5f"): gama-local
// refuses a zero weight, and a zero in the ".obs" is no better.
bool IsZeroStdev(double sigma, int decimals);

// Run headers.
std::string BrelixRunHeader(int run);  // "* Cheminement %d" (.obs and .iob)
std::string GamaRunHeader(int run);    // "        <!-- Cheminement %d -->"

// Text for an XML attribute or comment of a file in the 8-bit code page:
// &, <, >, " escaped, non-ASCII as character references, control
// characters as "?".
std::string GamaXmlText(const std::string& text);

}  // namespace kestrova
