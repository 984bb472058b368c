#include "exports/check_listing.hpp"

#include "base/format.hpp"
#include "base/param.hpp"
#include "exports/export_common.hpp"
#include "exports/residuals.hpp"

namespace kestrova {

namespace {

// Name, Hz and V of one line: "%-16s" and the angles as A ("%10.<angle>f").
void AppendNameAngles(std::string& line, const std::string& name, double hz, double v, int a) {
    AppendPadRight(line, name, 16);
    line += ' ';
    AppendFixed(line, hz, a, 10);
    line += ' ';
    AppendFixed(line, v, a, 10);
}

// " " + Dp as L, or eleven blanks without distance.
void AppendDistanceOrBlanks(std::string& line, double dp, int l) {
    if (HasDistance(dp)) {
        line += ' ';
        AppendFixed(line, dp, l, 10);
    } else {
        line.append(11, ' ');
    }
}

void AppendStation(TLineSink& out, const TStation& st, int k, int a, int l) {
    std::string line;
    out.Add(Format("Station n°%d", k));
    out.Add("");

    // Raw data.
    out.Add("Données brutes");
    out.Add("Station " + st.pt_sta);
    out.Add(Format("Temperature : %.1f °C", st.temp));
    out.Add(Format("Pression : %.1f mmHg", st.press));
    out.Add("Formule météo : " + Param().formule_meteo);
    out.Add("Correction meteo : " + FormatFixed(st.ppm, 1) + " ppm");
    out.Add("");
    out.Add("Point visé            Hz         V          Dp         ppm");
    for (const Tobs& o : st.obs) {
        line.clear();
        AppendNameAngles(line, o.pt_vis, o.Hz, o.V, a);
        if (HasDistance(o.Dp)) {
            line += ' ';
            AppendFixed(line, o.Dp, l, 10);
            line += ' ';
            AppendFixed(line, o.ppm, 1, 8);
        }
        out.Add(line);
    }
    out.Add("");

    // Sorted by circle and target, with residuals for a valid station.
    out.Add("Données triées");
    out.Add("Station " + st.pt_sta);
    out.Add("Nom                   Hz         V          Dp      Delta Hz Delta V  Delta Dp");
    const std::vector<TPointingResidual> res =
        st.valid ? ComputeResiduals(st, false) : std::vector<TPointingResidual>();
    const Tobs* first = st.obs.empty() ? nullptr : st.obs.data();
    for (int c = 1; c <= 2; ++c) {
        for (const TPt_vise& t : st.pts_vise) {
            for (const Tobs* o : c == 1 ? t.obsC1 : t.obsC2) {
                line.clear();
                AppendNameAngles(line, o->pt_vis, o->Hz, o->V, a);
                AppendDistanceOrBlanks(line, o->Dp, l);
                if (st.valid && first) {
                    const TPointingResidual& r = res[static_cast<std::size_t>(o - first)];
                    AppendFixed(line, r.dHz, 0, 8);
                    line += ' ';
                    AppendFixed(line, r.dV, 0, 8);
                    if (HasDistance(o->Dp)) {
                        line += ' ';
                        AppendFixed(line, r.dDp, 1, 8);
                    }
                }
                out.Add(line);
            }
        }
        out.Add("");
    }

    // Counts per target.
    out.Add("Station " + st.pt_sta);
    for (const TPt_vise& t : st.pts_vise) {
        line.clear();
        AppendPadLeft(line, t.pt_vis, 8);
        line += " C1 = ";
        AppendInt(line, t.NObsC1, 2);
        line += " C2 = ";
        AppendInt(line, t.NObsC2, 2);
        out.Add(line);
    }
    out.Add("");

    // Verdict.
    if (st.valid) {
        out.Add("Station valide");
        out.Add(std::string(st.cercles ? "2 Cercles" : "1 cercle") +
                (st.fermeture ? " avec fermeture" : " sans fermeture"));
        out.Add(Format("nombre de pointés = %d", st.NbPointes));
    } else {
        out.Add("Station non valide");
    }
    out.Add("");

    for (const std::string& m : st.logs) out.Add(m);
    // Pointing lines read only in part are told here, not as station
    // messages: the station stays valid.
    for (const TPartialLine& p : st.lignes_partielles) {
        std::string text = Format("Ligne %d du fichier carnet lue en partie seulement", p.ligne + 1);
        if (p.remplacee_par >= 0) text += Format(", remplacée par la ligne %d", p.remplacee_par + 1);
        out.Add(text);
    }
    out.Add("");

    // Reduced values.
    if (st.valid) {
        out.Add("Données réduites");
        out.Add(" ");
        for (const TPt_vise& t : st.pts_vise) {
            line.clear();
            AppendNameAngles(line, t.pt_vis, t.Hz, t.V, a);
            AppendDistanceOrBlanks(line, t.Dp, l);
            out.Add(line);
        }
        out.Add(" ");
    }
}

}  // namespace

void ProduceCheckListing(const Tday_obs& book, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const int a = Param().angle;
    const int l = Param().longueur;
    const std::string stars(74, '*');
    for (std::size_t i = 0; i < book.stations.size(); ++i) {
        if (i > 0) {
            out.Add("");
            out.Add("");
            out.Add(stars);
        }
        AppendStation(out, book.stations[i], static_cast<int>(i) + 1, a, l);
    }
}

std::vector<std::string> CheckListingLines(const Tday_obs& book) {
    TLineCollector c;
    ProduceCheckListing(book, c);
    return std::move(c.lines);
}

bool WriteCheckListing(const Tday_obs& book, const std::string& path, std::string* error) {
    return WriteLinesAtomically(path, FileEncoding::Cp1252, error,
                                [&](TLineSink& sink) { ProduceCheckListing(book, sink); });
}

}  // namespace kestrova
