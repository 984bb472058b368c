#include "exports/check_listing.hpp"

#include "app/format.hpp"
#include "app/param.hpp"
#include "app/text_file.hpp"
#include "exports/export_common.hpp"
#include "exports/residuals.hpp"

namespace kestrova {

namespace {

const std::string kNoDistance(11, ' ');

void AppendStation(std::vector<std::string>& out, const TStation& st, int k, const std::string& A,
                   const std::string& L) {
    out.push_back(Format("Station n°%d", k));
    out.emplace_back();

    // Raw data.
    out.push_back("Données brutes");
    out.push_back("Station " + st.pt_sta);
    out.push_back(Format("Temperature : %.1f °C", st.temp));
    out.push_back(Format("Pression : %.1f mmHg", st.press));
    out.push_back("Formule météo : " + Param().formule_meteo);
    out.push_back("Correction meteo : " + FormatFixed(st.ppm, 1) + " ppm");
    out.emplace_back();
    out.push_back("Point visé            Hz         V          Dp         ppm");
    for (const Tobs& o : st.obs) {
        std::string line = Format("%-16s ", o.pt_vis) + Format(A, o.Hz) + " " + Format(A, o.V);
        if (HasDistance(o.Dp)) line += " " + Format(L, o.Dp) + " " + Format("%8.1f", o.ppm);
        out.push_back(std::move(line));
    }
    out.emplace_back();

    // Sorted by circle and target, with residuals for a valid station.
    out.push_back("Données triées");
    out.push_back("Station " + st.pt_sta);
    out.push_back("Nom                   Hz         V          Dp      Delta Hz Delta V  Delta Dp");
    const std::vector<TPointingResidual> res = ComputeResiduals(st, false);
    const Tobs* first = st.obs.empty() ? nullptr : st.obs.data();
    for (int c = 1; c <= 2; ++c) {
        for (const TPt_vise& t : st.pts_vise) {
            for (const Tobs* o : c == 1 ? t.obsC1 : t.obsC2) {
                std::string line = Format("%-16s ", o->pt_vis) + Format(A, o->Hz) + " " + Format(A, o->V);
                line += HasDistance(o->Dp) ? " " + Format(L, o->Dp) : kNoDistance;
                if (st.valid && first) {
                    const TPointingResidual& r = res[static_cast<std::size_t>(o - first)];
                    line += Format("%8.0f %8.0f", r.dHz, r.dV);
                    if (HasDistance(o->Dp)) line += Format(" %8.1f", r.dDp);
                }
                out.push_back(std::move(line));
            }
        }
        out.emplace_back();
    }

    // Counts per target.
    out.push_back("Station " + st.pt_sta);
    for (const TPt_vise& t : st.pts_vise)
        out.push_back(Format("%8s C1 = %2d C2 = %2d", t.pt_vis, t.NObsC1, t.NObsC2));
    out.emplace_back();

    // Verdict.
    if (st.valid) {
        out.push_back("Station valide");
        out.push_back(std::string(st.cercles ? "2 Cercles" : "1 cercle") +
                      (st.fermeture ? " avec fermeture" : " sans fermeture"));
        out.push_back(Format("nombre de pointés = %d", st.NbPointes));
    } else {
        out.push_back("Station non valide");
    }
    out.emplace_back();

    for (const std::string& m : st.logs) out.push_back(m);
    out.emplace_back();

    // Reduced values.
    if (st.valid) {
        out.push_back("Données réduites");
        out.emplace_back(" ");
        for (const TPt_vise& t : st.pts_vise) {
            std::string line = Format("%-16s ", t.pt_vis) + Format(A, t.Hz) + " " + Format(A, t.V);
            line += HasDistance(t.Dp) ? " " + Format(L, t.Dp) : kNoDistance;
            out.push_back(std::move(line));
        }
        out.emplace_back(" ");
    }
}

}  // namespace

std::vector<std::string> CheckListingLines(const Tday_obs& book) {
    const std::string A = FixedFormat(10, Param().angle);
    const std::string L = FixedFormat(10, Param().longueur);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < book.stations.size(); ++i) {
        if (i > 0) {
            out.emplace_back();
            out.emplace_back();
            out.push_back(std::string(74, '*'));
        }
        AppendStation(out, book.stations[i], static_cast<int>(i) + 1, A, L);
    }
    return out;
}

bool WriteCheckListing(const Tday_obs& book, const std::string& path, std::string* error) {
    return TryWriteTextLines(path, CheckListingLines(book), FileEncoding::Cp1252, error);
}

}  // namespace kestrova
