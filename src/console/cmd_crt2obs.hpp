// Console command "crt2obs": reduces a field book (text or XML form) and
// writes the check listing, the XML report and its stylesheet, the Brelix
// observation file, the Geolab file and the "_out.gsi" file.
#pragma once
#include <string>

namespace kestrova {

// `in`: the field book; `out`: the output name (its extension is replaced
// by ".obs" and the others). Returns 0, or 1 when the field book cannot be
// read (nothing is written) or an output cannot be written; the reason
// goes to stderr.
int RunCrt2Obs(const std::string& in, const std::string& out);

}  // namespace kestrova
