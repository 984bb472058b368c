// Console command "gsi2xcrt": converts a Leica GSI recording into an XML
// field book, with the GSI header style of the parameters.
#pragma once
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// `in`: the GSI file; `out`: the XML field book, written under that exact
// name. Returns 0, or 1 when the recording cannot be read or converted
// (nothing is written) or the book cannot be written; the reason goes to
// stderr, as do the warnings of the conversion. A file holding no GSI
// block is refused the same way.
int RunGsi2Xcrt(const std::string& in, const std::string& out, TProgress& progress);

}  // namespace kestrova
