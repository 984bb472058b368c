// Checks on a field book read by a fuzz target: two readings are the same
// book, and the outputs of its reduction keep their formats.
#pragma once
#include <cstring>

#include "base/text_helpers.hpp"
#include "exports/check_listing.hpp"
#include "exports/export_common.hpp"
#include "exports/gama_writer.hpp"
#include "exports/geolab_writer.hpp"
#include "exports/gsi_writer.hpp"
#include "exports/obs_writer.hpp"
#include "exports/xml_report.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "fuzz_support.hpp"

namespace fuzz {

inline bool SameNumber(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || a == b; }

inline void CheckSameBook(const kestrova::Tday_obs& a, const kestrova::Tday_obs& b, const char* what) {
    FUZZ_CHECK(a.stations.size() == b.stations.size(), what);
    for (std::size_t i = 0; i < a.stations.size(); ++i) {
        const kestrova::TStation& s = a.stations[i];
        const kestrova::TStation& t = b.stations[i];
        FUZZ_CHECK(s.pt_sta == t.pt_sta, what);
        FUZZ_CHECK(SameNumber(s.temp, t.temp) && SameNumber(s.press, t.press) && SameNumber(s.Ht, t.Ht), what);
        FUZZ_CHECK(s.obs.size() == t.obs.size(), what);
        for (std::size_t k = 0; k < s.obs.size(); ++k) {
            const kestrova::Tobs& o = s.obs[k];
            const kestrova::Tobs& p = t.obs[k];
            FUZZ_CHECK(o.pt_vis == p.pt_vis, what);
            FUZZ_CHECK(SameNumber(o.Hz, p.Hz) && SameNumber(o.V, p.V) && SameNumber(o.Dp, p.Dp) &&
                           SameNumber(o.Hv, p.Hv),
                       what);
        }
    }
}

// No control character inside the lines of a column file.
inline void CheckPrintable(const std::vector<std::string>& lines, const char* what) {
    for (const std::string& l : lines) FUZZ_CHECK(!kestrova::HasControlCharacter(l), std::string(what) + " : " + l);
}

// Reduces the book as crt2obs does and checks every output in memory.
inline void ReduceAndCheckOutputs(kestrova::Tday_obs& book) {
    if (book.stations.empty()) return;
    kestrova::BuildTargetsAndCheck(book);
    kestrova::CorrectAndReduce(book);
    const kestrova::TExportTime time{};
    CheckXmlParses(kestrova::XmlReportLines(book, "out.xsl"), "rapport XML");
    CheckXmlParses(kestrova::GamaFileLines(book, "out.gkf", time), "fichier GNU Gama");
    CheckPrintable(kestrova::CheckListingLines(book), ".chk");
    CheckPrintable(kestrova::ObsFileLines(book, "out.obs", time), ".obs");
    CheckPrintable(kestrova::GeolabFileLines(book), ".iob");
    CheckPrintable(kestrova::GsiFileLines(book), "_out.gsi");
}

}  // namespace fuzz
