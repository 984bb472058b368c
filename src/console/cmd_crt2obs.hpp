// Console command "crt2obs": reduces a field book (text or XML form) and
// writes the check listing, the XML report and its stylesheet, the Brelix
// observation file, the Geolab file and the "_out.gsi" file.
#pragma once
#include <iosfwd>
#include <string>

#include "base/progress.hpp"

#include "fieldbook/model.hpp"

namespace kestrova {

// Tells on `err` what the reading of the book `in` left out: nothing read
// (returns false: the command writes nothing) or a reading stopped part-way
// (a warning naming the line, element and attribute; returns true).
bool ReportBookReading(const Tday_obs& book, const std::string& in, std::ostream& err);

// `in`: the field book; `out`: the output name (its extension is replaced
// by ".obs" and the others). Returns 0, or 1 when the field book cannot be
// read (nothing is written) or an output cannot be written; the reason
// goes to stderr.
int RunCrt2Obs(const std::string& in, const std::string& out, TProgress& progress = NoProgress());

}  // namespace kestrova
