// The XML reduction report read back as it streams by, one station at a
// time: the calibrations and the reduction settings first, then each
// station with its raw pointings, counts, messages and reduced values, the
// attribute texts exactly as the report holds them (UTF-8). Memory follows
// the largest station, not the report.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

// The attributes of one element, in document order.
struct TReportAttrs {
    std::vector<std::pair<std::string, std::string>> items;
    // The value of `name`, "" when absent.
    const std::string& Get(std::string_view name) const;
};

struct TReportHead {
    std::string version;                    // carnet/@version
    std::vector<TReportAttrs> etalonnages;  // one per calibration
    TReportAttrs stations;                  // the <stations> element (Z0, sigmas, settings)
};

struct TReportStation {
    TReportAttrs attrs;              // num, pt_sta, temp, ... NbPointesC2
    std::vector<TReportAttrs> raw;   // rawdata/obs, field-book order
    std::vector<TReportAttrs> nobs;  // CheckNobs/Nobs
    std::vector<std::string> logs;   // Logs/log/@mess
    std::vector<TReportAttrs> reduced;  // Data_Ok/obs
};

class TReportReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the report at `path`. `onHead` is called once, when the first
// <stations> element starts (the calibrations are before it); `onStation`
// once per station in order. With `bodies` false a station carries its
// attributes only and its content is skipped. Progress advances with the
// bytes read. Throws TReportReadError (unreadable file, ill-formed XML, no
// reduction report) with a French message naming the file.
void ReadXmlReport(const std::string& path, bool bodies, const std::function<void(const TReportHead&)>& onHead,
                   const std::function<void(const TReportStation&)>& onStation, TProgress& progress = NoProgress());

// The same with each station's attributes and, of its raw pointings, only
// their residuals (dHz, dV, dDp): what the table of contents needs to
// point at the stations with residuals beyond their limit.
void ReadXmlReportResiduals(const std::string& path, const std::function<void(const TReportHead&)>& onHead,
                            const std::function<void(const TReportStation&)>& onStation,
                            TProgress& progress = NoProgress());

// The same on a report held in memory (`name` names it in the messages):
// the small documents of one station that the report viewer renders.
void ReadXmlReportText(const std::string& xml, const std::string& name, bool bodies,
                       const std::function<void(const TReportHead&)>& onHead,
                       const std::function<void(const TReportStation&)>& onStation);

}  // namespace kestrova
