// The XML reduction report read back (the report viewer, the HTML page):
// the report streamed from its file and the report read from memory give
// the same stations (or the same refusal), and the HTML page made from it
// is well-formed XML, as it promises.
// seeds: tests/data/**/*.xml
#include <cstdio>
#include <fstream>

#include "exports/html_report.hpp"
#include "exports/report_reader.hpp"
#include "fuzz_support.hpp"

namespace {

struct Seen {
    bool failed = false;
    std::vector<std::vector<std::pair<std::string, std::string>>> stations;
};

template <typename Read>
Seen Collect(Read read) {
    Seen seen;
    try {
        read([](const kestrova::TReportHead&) {},
             [&](const kestrova::TReportStation& s) {
                 seen.stations.push_back(s.attrs.items);
                 for (const auto& r : s.reduced) seen.stations.back().insert(seen.stations.back().end(), r.items.begin(), r.items.end());
             });
    } catch (const kestrova::TReportReadError&) {
        seen.failed = true;
    }
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    const std::string_view bytes = fuzz::Bytes(data, size);
    static const std::string path = fuzz::ScratchPath("report.xml");
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    using OnHead = std::function<void(const TReportHead&)>;
    using OnStation = std::function<void(const TReportStation&)>;
    const Seen streamed = Collect([&](OnHead h, OnStation s) { ReadXmlReport(path, true, h, s); });
    const Seen inMemory = Collect([&](OnHead h, OnStation s) { ReadXmlReportText(std::string(bytes), "report.xml", true, h, s); });
    FUZZ_CHECK(streamed.failed == inMemory.failed, "refus en flux / en mémoire");
    if (!streamed.failed) FUZZ_CHECK(streamed.stations == inMemory.stations, "stations en flux / en mémoire");

    TLineCollector html;
    try {
        ProduceHtmlReport(path, "rapport", html);
        fuzz::CheckXmlParses(html.lines, "page HTML");
    } catch (const TReportReadError&) {
    }
    std::remove(path.c_str());
    return 0;
}
