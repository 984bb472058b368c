// Conversion of a GSI recording file into a field-book file, the shape every
// caller uses (console commands, menu commands).
#pragma once
#include <string>

#include "base/output_set.hpp"
#include "base/progress.hpp"
#include "import/gsi_convert.hpp"

namespace kestrova {

// Reads the recording `in` as it streams by and stages the book (text
// ".carnet" in Windows-1252, or XML ".xcrt") as `out` in `outputs`; the
// caller commits the set. Returns what the conversion met (warnings).
// Throws TextFileError (reading `in`, staging `out`), GsiConversionError
// (an unreadable value, or no GSI block at all) and TCancelled; the set is
// then left uncommitted and nothing is written.
GsiReport ConvertGsiFile(const std::string& in, const std::string& out, GsiBookForm form,
                         const std::string& headerStyle, TOutputSet& outputs, TProgress& progress);

}  // namespace kestrova
