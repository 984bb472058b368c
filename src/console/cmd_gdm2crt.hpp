// Console commands "gdm2crt" and "gdm2xcrt": a Trimble GDM recording to a
// text field book or to an XML field book.
#pragma once
#include <string>

namespace kestrova {

// `out` is written under that exact name. Returns 0, or 1 when the
// recording cannot be read or converted or the book cannot be written
// (nothing is written, the reason goes to stderr).
int RunGdm2Crt(const std::string& in, const std::string& out);
int RunGdm2Xcrt(const std::string& in, const std::string& out);

}  // namespace kestrova
