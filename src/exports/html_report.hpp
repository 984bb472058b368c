// The reduction report as one self-contained HTML page: the content of the
// stylesheet's rendering (title, table of contents, reduction settings,
// prisms, global Z0, every station with its tables and messages) plus the
// sketch of each station as inline SVG, with its own small style sheet,
// readable and printable in any browser (one station a page when printed).
// It is made from the XML report, read twice as it streams by (the table of
// contents, then the sections), so time is linear and memory follows one
// station. The page is plain ASCII (other characters as references) and
// well-formed XML as well as HTML.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "exports/report_reader.hpp"
#include "exports/station_sketch.hpp"

#include "base/line_sink.hpp"
#include "base/progress.hpp"

namespace kestrova {

// Writes the page of the report at `xmlPath` into `sink`; `title` is the
// page's title. Throws TReportReadError when the report cannot be read,
// TCancelled on a cancel.
void ProduceHtmlReport(const std::string& xmlPath, const std::string& title, TLineSink& sink,
                       TProgress& progress = NoProgress());

// Writes `htmlPath` from `xmlPath` atomically (nothing is written on a
// failure or a cancel). Throws TReportReadError, TextFileError, TCancelled.
void WriteHtmlReport(const std::string& xmlPath, const std::string& htmlPath, TProgress& progress = NoProgress());

// The residuals of a valid station's raw pointings (dHz, dV, dDp) beyond
// their limit, the sketch's red rule; 0 for an invalid station.
int ResidualsOverLimit(const TReportStation& station, const TSketchLimits& limits);

// What the table of contents adds to a reduced station with residuals
// beyond their limit: " — 2 écarts hors tolérance" ("" for none).
std::string OverLimitText(int count);

// The table of contents of a page rendered by the report's stylesheet,
// marked: each station link whose number is in `over` (its count of
// residuals beyond their limit, -1 for an invalid station) is drawn red,
// a reduced one followed by OverLimitText. `html` is UTF-8.
std::string MarkTableOfContents(const std::string& html, const std::map<std::string, int>& over);

// A book that defines its own default calibration ("defaut", as the GSI
// conversion writes it) and the reduction's default one ("default") with
// the same constant are one thing: the « Prismes » table of a page rendered
// by the report's stylesheet keeps the book's row only. Any other page is
// returned as it is.
std::string WithoutDoubleDefaultPrism(const std::string& html);

// What the « Prismes » table names a calibration by: the target's name the
// calibration editor gave it (`nom`), else its `id`.
const std::string& PrismLabel(const TReportAttrs& etalonnage);

// The « Prismes » table of a page rendered by the report's stylesheet, its
// rows named by PrismLabel: row after row, a first cell that holds the id
// of the next calibration of `etalonnages` (the report's, in order) is
// given that calibration's name. A row whose first cell is no id of what
// remains of the list, and any page without that table, are left as they
// are.
std::string WithPrismNames(const std::string& html, const std::vector<TReportAttrs>& etalonnages);

// A number the way the report's stylesheet prints the result of an XPath
// expression ("-1 * @M", "@num_ligne + 1"): integers without decimals,
// others with their significant digits and no trailing zero, "NaN" for
// what is not a number.
std::string XPathNumberText(double value);

}  // namespace kestrova
