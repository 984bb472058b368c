// An XML reduction report as the viewer shows it: the summary (title,
// table of contents, parameters, prisms, global Z0) rendered at once, each
// station's section rendered when asked for, through the report's own
// stylesheet. A report this cannot split (another stylesheet, another
// document) is rendered whole.
#pragma once
#include <cstddef>
#include <map>
#include <ostream>
#include <string>

#include "base/progress.hpp"
#include "shell/report_sections.hpp"
#include "shell/xslt_render.hpp"

namespace kestrova {

class TReportPages {
public:
    // Scans and renders the summary. False with the reason in Error() when
    // the file is no report with a usable stylesheet.
    bool Open(const std::string& path, TProgress& progress = NoProgress());

    // True when the report is shown in parts; otherwise Whole() is the
    // complete page.
    bool Split() const { return split_; }
    const std::string& Whole() const { return head_; }
    const std::string& Error() const { return error_; }

    // The page before the first station's section (from "<html>") and
    // after the last one (to "</html>").
    const std::string& Head() const { return head_; }
    const std::string& Tail() const { return tail_; }

    std::size_t StationCount() const { return sections_.Count(); }
    // The index of the station whose section carries the anchor `name`
    // ("station_12"), or -1.
    long StationOfAnchor(const std::string& name) const;
    // The anchor name of station i's section.
    std::string AnchorOf(std::size_t i) const { return "station_" + sections_.At(i).num; }

    // The HTML section of station i, as it stands in the complete page.
    // A station that cannot be rendered gives a short paragraph saying so.
    std::string StationHtml(std::size_t i) const;

    // The SVG sketch of station i (see exports/station_sketch.hpp); empty
    // when its part of the report cannot be read.
    std::string StationSketchSvg(std::size_t i) const;

    // The complete page, section by section (memory bounded by one
    // section). A cancel through `progress` throws TCancelled.
    void WriteWhole(std::ostream& out, TProgress& progress = NoProgress()) const;

private:
    TReportSections sections_;
    TXsltRenderer renderer_;
    std::map<std::string, std::size_t> anchors_;
    std::string head_, tail_, error_;
    bool split_ = false;
};

// The station section of a rendered page: from the rule before its
// "<a name=\"station_" anchor to the rule before "<a name=\"Bottom\"",
// both found from `from`. False when the page has no such markers.
bool FindStationSection(const std::string& html, std::size_t from, std::size_t* begin, std::size_t* end);

}  // namespace kestrova
