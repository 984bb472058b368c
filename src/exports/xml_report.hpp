// The XML reduction report (".xml"): calibrations, reduction settings and,
// per station, the raw pointings with residuals, the counts per target, the
// check messages and the reduced values. It names its stylesheet so that a
// browser or the report viewer shows it as an HTML page.
#pragma once
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// `stylesheetName` goes into the xml-stylesheet instruction as it is.
void ProduceXmlReport(const Tday_obs& book, const std::string& stylesheetName, TLineSink& sink);
std::vector<std::string> XmlReportLines(const Tday_obs& book, const std::string& stylesheetName);

// Writes the report; its stylesheet is named after `path` with the
// extension ".xsl", without directory. Atomic; false on failure.
bool WriteXmlReport(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

}  // namespace kestrova
