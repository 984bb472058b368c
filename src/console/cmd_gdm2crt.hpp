// Console commands "gdm2crt" and "gdm2xcrt": a Trimble GDM recording to a
// text field book or to an XML field book.
#pragma once
#include <string>

namespace kestrova {

// `out` is written under that exact name. `angles` is the unit of the
// recording's angles given on the command line ("gon", "dms", "deg"; empty:
// the ini's `angles_gdm`). Returns 0, 1 when the recording cannot be read
// or converted or the book cannot be written (nothing is written, the
// reason goes to stderr), or 2 for an unknown unit.
int RunGdm2Crt(const std::string& in, const std::string& out, const std::string& angles = {});
int RunGdm2Xcrt(const std::string& in, const std::string& out, const std::string& angles = {});

}  // namespace kestrova
