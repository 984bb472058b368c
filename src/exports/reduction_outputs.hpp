// The files written from one reduced field book, and their names derived
// from the output name chosen by the user.
#pragma once
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

struct ReductionFiles {
    std::string obs, chk, xml, xsl, iob, gkf, gsi;
};

// The observation file is the given name with its extension replaced by
// ".obs" (added when it has none); the others replace that extension by
// ".chk", ".xml", ".xsl", ".iob", ".gkf", and by "_out.gsi".
ReductionFiles ReductionFileNames(const std::string& outOrObsName);

// The output that would replace the file `input` (an XML field book named
// "chantier.xml" reduced to "chantier"), or "" when none does. The .gkf
// counts only when `withGkf` (the console writes none).
std::string ReductionOutputReplacing(const ReductionFiles& files, const std::string& input, bool withGkf);

// Both write through one output set: every file is complete before any
// replaces an earlier one, and on a failure or a cancel through `progress`
// (TCancelled) none does (see TOutputSet). The files are produced at the
// same time, each into its own staged file.
//
// Console order: .chk, .xml, .xsl, .obs (always the single file), .iob,
// _out.gsi; no .gkf. Throws TextFileError naming the file that failed.
// Returns the files written.
std::vector<std::string> WriteConsoleReductionOutputs(const Tday_obs& book, const ReductionFiles& files,
                                                      TProgress& progress = NoProgress());

// Menu order: the observation file (one file per station when the book
// carries cycle numbers), .chk, .xml, .xsl, .gkf, .iob, _out.gsi. Throws
// TextFileError naming the file (or the station folder) that failed.
// Returns the files written.
std::vector<std::string> WriteInteractiveReductionOutputs(const Tday_obs& book, const ReductionFiles& files,
                                                          TProgress& progress = NoProgress());

}  // namespace kestrova
