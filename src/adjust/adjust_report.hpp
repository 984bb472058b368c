// The adjustment report: one self-contained HTML page (no file beside it,
// plain ASCII with other characters as references) that a surveyor can
// read, print and sign. Summary of the network and of gama-local's run,
// probable faults first, a plan of the network (or the profile of a
// levelling network), the adjusted points with their ellipses and their
// differences to the approximate and known coordinates, the orientation
// unknowns and every observation.
#pragma once
#include <string>
#include <vector>

#include "adjust/adjust_input.hpp"
#include "adjust/adjustment.hpp"
#include "base/line_sink.hpp"

namespace kestrova {

// One observation of the results with what the report says of it.
struct TObservationRow {
    std::size_t index = 0;   // in results.observations
    int line = 0;            // line of the observation file it came from; 0 unknown
    bool flagged = false;    // standardized residual above the critical value
};

// Every observation, in gama-local's order, with its source line (when the
// observations were read from an observation file) and its flag.
std::vector<TObservationRow> ObservationRows(const AdjustOutcome& outcome, const AdjustSource& source);

// The flagged rows, largest standardized residual first.
std::vector<TObservationRow> ProbableFaults(const AdjustOutcome& outcome, const std::vector<TObservationRow>& rows);

// Known coordinates of the coordinate file: its "*= NAME X Y Z" lines.
struct TKnownPoint {
    std::string name;
    double x = 0, y = 0, z = 0;
};
std::vector<TKnownPoint> KnownPoints(const std::vector<std::string>& corLines);

// The files the report names (as the user gave them).
struct AdjustFiles {
    std::string gkf, xml, txt, html;
};
// BASE.gkf, BASE_gama.xml, BASE_gama.txt, BASE_ajustement.html from the
// output name (its extension dropped).
AdjustFiles AdjustFileNames(const std::string& out);

void ProduceAdjustReport(const AdjustOutcome& outcome, const AdjustSource& source, const AdjustFiles& files,
                         TLineSink& sink);

// Text turned into HTML: "&<>\"" escaped, every character outside ASCII
// as a numeric reference.
std::string HtmlText(const std::string& utf8);
// Only the characters outside ASCII as references (markup kept), unless
// `escapeMarkup`.
std::string NonAsciiAsReferences(const std::string& utf8, bool escapeMarkup = false);

}  // namespace kestrova

namespace kestrova {

class TOutputSet;

// Stages gama-local's XML and text outputs of the last run (as the
// program's other files: Windows-1252 or ISO-8859-1 XML, CR LF) and the
// input of that run.
void WriteGamaOutputs(const AdjustOutcome& outcome, TOutputSet& outputs, const AdjustFiles& files);

}  // namespace kestrova

namespace kestrova {

// What the console prints once the files are written: the run in two
// lines, the probable faults (the first few), then every adjusted point
// with its difference to the known coordinates of the coordinate file
// (mm) and the largest of them.
std::vector<std::string> AdjustSummaryLines(const AdjustOutcome& outcome, const AdjustSource& source);

}  // namespace kestrova

namespace kestrova {

// The adjustment command, the same from the console and from the window:
// the source read from the input's and the coordinate file's lines (its
// warnings in `warnings`, filled before gama-local runs), gama-local run
// until the approximations settle, and the four files written together
// (nothing written on failure or cancel). Throws what MakeAdjustSource,
// BuildGamaInput and AdjustWithGama throw, and the output set's errors.
struct AdjustRun {
    AdjustSource source;
    AdjustOutcome outcome;
};
AdjustRun RunAdjustment(const std::string& program, AdjustInputKind kind, const std::vector<std::string>& lines,
                        const std::string& name, const std::vector<std::string>& corLines,
                        const std::string& corName, const AdjustFiles& files, std::vector<std::string>& warnings,
                        TProgress& progress);

}  // namespace kestrova
