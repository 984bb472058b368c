// The stations of an XML reduction report found in the file without
// loading it: where each <station> element lies, its start tag, and the
// text before the first and after the last one. From these come the small
// documents the viewer renders one part at a time: the summary (every
// station as an empty element, for the table of contents) and one document
// per station (the report with that station alone).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kestrova {

class TReportSections {
public:
    struct Station {
        std::uint64_t begin = 0;  // offset of "<station"
        std::uint64_t end = 0;    // just after its end tag
        std::string startTag;     // "<station ...>" as written
        std::string num;          // its "num" attribute ("" when none)
    };

    // Scans the file with a bounded buffer. False when it cannot be read or
    // holds no <stations> element with <station> children (the caller then
    // renders the file whole).
    bool Scan(const std::string& path);

    std::size_t Count() const { return stations_.size(); }
    const Station& At(std::size_t i) const { return stations_[i]; }

    // The report with every station emptied of its content.
    std::string SummaryDocument() const;
    // The report holding station `i` alone, read from the file again.
    // Throws std::runtime_error when the file cannot be read.
    std::string StationDocument(std::size_t i) const;

private:
    std::string path_;
    std::string prefix_;  // up to the first station
    std::string suffix_;  // after the last station
    std::vector<Station> stations_;
};

}  // namespace kestrova
