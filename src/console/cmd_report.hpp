// Console command "report": an XML reduction report to its self-contained
// HTML page (tables, messages, table of contents and station sketches).
#pragma once
#include <string>

#include "base/progress.hpp"

namespace kestrova {

// Writes the page under `out` with the extension ".html". Exit status: 0,
// or 1 after a message on stderr (unreadable or ill-formed report, write
// failure, output named like the input); nothing is written on failure.
int RunReport(const std::string& in, const std::string& out, TProgress& progress);

}  // namespace kestrova
