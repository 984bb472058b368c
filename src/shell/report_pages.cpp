#include "shell/report_pages.hpp"

#include <vector>

#include "base/text_file.hpp"
#include "exports/html_report.hpp"
#include "exports/report_reader.hpp"
#include "exports/sketch_svg.hpp"
#include "exports/station_sketch.hpp"

namespace kestrova {

namespace {

constexpr const char* kStationAnchor = "<a name=\"station_";
constexpr const char* kBottomAnchor = "<a name=\"Bottom\"";

// The start of the last "<hr" before `pos`, or `pos` when there is none
// between the previous tag boundary and it.
std::size_t RuleBefore(const std::string& html, std::size_t pos) {
    const std::size_t hr = html.rfind("<hr", pos);
    if (hr == std::string::npos) return pos;
    // Only blanks and the rule's own tag between the two.
    const std::size_t close = html.find('>', hr);
    if (close == std::string::npos || close >= pos) return pos;
    for (std::size_t i = close + 1; i < pos; ++i)
        if (html[i] != ' ' && html[i] != '\n' && html[i] != '\r' && html[i] != '\t') return pos;
    return hr;
}

// What the summary adds to the stylesheet's rendering, from one reading of
// the report: the stations the table of contents marks (residuals beyond
// their limit, the sketch's red rule, counted per reduced station, -1 for
// an invalid one) and the calibrations whose names the « Prismes » table
// shows. Nothing for a file that is no reduction report.
struct TSummaryMarks {
    std::map<std::string, int> over;
    std::vector<TReportAttrs> etalonnages;
};

TSummaryMarks ReadSummaryMarks(const std::string& path, TProgress& progress) {
    TSummaryMarks marks;
    try {
        TSketchLimits limits;
        ReadXmlReportResiduals(
            path,
            [&](const TReportHead& head) {
                limits = SketchLimitsFromReport(head.stations);
                marks.etalonnages = head.etalonnages;
            },
            [&](const TReportStation& st) {
                const int over = st.attrs.Get("valid") == "Y" ? ResidualsOverLimit(st, limits) : -1;
                if (over != 0) marks.over[st.attrs.Get("num")] = over;
            },
            progress);
    } catch (const TReportReadError&) {
        // The calibrations come before the first station: a report damaged
        // further on still names its prisms.
        marks.over.clear();
    }
    return marks;
}

// The summary as shown: the table of contents marked, one row for the
// book's own default prism, the prisms by their names.
std::string MarkedSummary(const std::string& html, const TSummaryMarks& marks) {
    return WithPrismNames(WithoutDoubleDefaultPrism(MarkTableOfContents(html, marks.over)), marks.etalonnages);
}

}  // namespace

bool FindStationSection(const std::string& html, std::size_t from, std::size_t* begin, std::size_t* end) {
    const std::size_t anchor = html.find(kStationAnchor, from);
    if (anchor == std::string::npos) return false;
    const std::size_t bottom = html.find(kBottomAnchor, anchor);
    if (bottom == std::string::npos) return false;
    *begin = RuleBefore(html, anchor);
    *end = RuleBefore(html, bottom);
    return true;
}

bool TReportPages::Open(const std::string& path, TProgress& progress) {
    split_ = false;
    head_.clear();
    tail_.clear();
    error_.clear();
    anchors_.clear();
    progress.Stage("Lecture du rapport");
    if (sections_.Scan(path)) {
        progress.ThrowIfCancelled();
        const std::string summary = sections_.SummaryDocument();
        progress.Stage("Mise en forme du sommaire");
        if (!renderer_.Load(path, summary, &error_)) return false;
        // Only the page around the station sections is kept from the
        // summary: with the stylesheet's station loop kept to its first
        // station, the thousands of empty sections of a large report are
        // never built (nearly a gigabyte for a million pointings). A stylesheet that cannot be
        // narrowed so renders them all.
        XsltResult page;
        {
            TXsltRenderer firstStationOnly;
            page = firstStationOnly.LoadFirstBlockOnly(renderer_, "station_") ? firstStationOnly.Render(summary)
                                                                              : renderer_.Render(summary);
        }
        if (!page.ok) {
            error_ = page.error;
            return false;
        }
        progress.ThrowIfCancelled();
        std::size_t begin = 0, end = 0;
        if (FindStationSection(page.html, 0, &begin, &end)) {
            const std::size_t bottom = page.html.find(kBottomAnchor, begin);
            head_ = page.html.substr(0, begin);
            tail_ = page.html.substr(RuleBefore(page.html, bottom));
            progress.Stage("Recherche des écarts hors tolérance");
            head_ = MarkedSummary(head_, ReadSummaryMarks(path, progress));
            for (std::size_t i = 0; i < sections_.Count(); ++i) anchors_.emplace(AnchorOf(i), i);
            split_ = true;
            return true;
        }
    }
    // Whole: a small document, or a stylesheet whose page this cannot cut.
    progress.Stage("Mise en forme du rapport");
    std::string xml;
    try {
        xml = ReadFileBytes(path);
    } catch (const TextFileError& e) {
        error_ = e.reason();
        return false;
    }
    progress.ThrowIfCancelled();
    if (!renderer_.Load(path, xml, &error_)) return false;
    XsltResult page = renderer_.Render(xml);
    if (!page.ok) {
        error_ = page.error;
        return false;
    }
    head_ = MarkedSummary(page.html, ReadSummaryMarks(path, progress));
    return true;
}

long TReportPages::StationOfAnchor(const std::string& name) const {
    const auto it = anchors_.find(name);
    return it == anchors_.end() ? -1 : static_cast<long>(it->second);
}

std::string TReportPages::StationHtml(std::size_t i) const {
    std::string reason;
    try {
        const XsltResult page = renderer_.Render(sections_.StationDocument(i));
        std::size_t begin = 0, end = 0;
        if (page.ok && FindStationSection(page.html, 0, &begin, &end)) return page.html.substr(begin, end - begin);
        reason = page.ok ? "section introuvable" : page.error;
    } catch (const std::exception& e) {
        reason = e.what();
    }
    std::string text;
    for (char c : reason) text += c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
    return "<hr><a name=\"" + AnchorOf(i) + "\"></a><p>Station " + sections_.At(i).num +
           " : affichage impossible (" + text + ")</p>\n";
}

std::string TReportPages::StationSketchSvg(std::size_t i) const {
    if (!split_ || i >= sections_.Count()) return std::string();
    std::string svg;
    try {
        TSketchLimits limits;
        ReadXmlReportText(
            sections_.StationDocument(i), "station", true,
            [&](const TReportHead& head) { limits = SketchLimitsFromReport(head.stations); },
            [&](const TReportStation& st) { svg = SketchSvg(BuildStationSketch(st, limits)); });
    } catch (const std::exception&) {
        return std::string();
    }
    return svg;
}

void TReportPages::WriteWhole(std::ostream& out, TProgress& progress) const {
    out << head_;
    if (split_) {
        progress.Stage("Mise en forme des stations");
        const std::size_t n = sections_.Count();
        for (std::size_t i = 0; i < n; ++i) {
            progress.Advance(static_cast<double>(i), static_cast<double>(n));
            out << StationHtml(i);
        }
        out << tail_;
    }
}

}  // namespace kestrova
