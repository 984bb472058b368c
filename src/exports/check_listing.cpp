#include "exports/check_listing.hpp"

#include "base/format.hpp"
#include "base/line_text.hpp"
#include "base/param.hpp"
#include "exports/export_common.hpp"
#include "exports/residuals.hpp"
#include "fieldbook/text_reader.hpp"

namespace kestrova {

namespace {

// Name, Hz and V of one line: "%-16s" and the angles as A ("%10.<angle>f").
TLineText& NameAngles(TLineText& line, const std::string& name, double hz, double v, int a) {
    return line.Clear().PadRight(name, 16).Char(' ').Fixed(hz, a, 10).Char(' ').Fixed(v, a, 10);
}

// " " + Dp as L, or eleven blanks without distance.
TLineText& DistanceOrBlanks(TLineText& line, double dp, int l) {
    return HasDistance(dp) ? line.Char(' ').Fixed(dp, l, 10) : line.Blanks(11);
}

// `line`, `heads` and `headEnds` keep their room from station to station.
void AppendStation(TLineSink& out, const TStation& st, int k, int a, int l, TLineText& line, TLineText& heads,
                   std::vector<std::size_t>& headEnds) {
    out.Add(line.Clear().Text("Station n°").Int(k));
    out.Add("");

    // Raw data.
    const std::string_view station = line.Clear().Text("Station ").Text(st.pt_sta).View();
    const std::string stationLine(station);
    out.Add("Données brutes");
    out.Add(stationLine);
    out.Add(line.Clear().Text("Temperature : ").Fixed(st.temp, 1).Text(" °C"));
    out.Add(line.Clear().Text("Pression : ").Fixed(st.press, 1).Text(" mmHg"));
    out.Add(line.Clear().Text("Formule météo : ").Text(Param().formule_meteo));
    out.Add(line.Clear().Text("Correction meteo : ").Fixed(st.ppm, 1).Text(" ppm"));
    out.Add("");
    out.Add("Point visé            Hz         V          Dp         ppm");
    // Each pointing's name, angles and distance (or blanks) as printed
    // here start its line of the sorted section too: kept in `heads`.
    heads.Clear();
    headEnds.clear();
    TFixedMemo ppmMemo;  // the station's, mostly
    for (const Tobs& o : st.obs) {
        const std::size_t nameAngles = NameAngles(line, o.pt_vis, o.Hz, o.V, a).Size();
        DistanceOrBlanks(line, o.Dp, l);
        heads.Part(line, 0, line.Size());
        headEnds.push_back(heads.Size());
        if (HasDistance(o.Dp))
            out.Add(line.Char(' ').Fixed(o.ppm, 1, 8, ppmMemo));
        else
            out.Add(line.View().substr(0, nameAngles));
    }
    out.Add("");

    // Sorted by circle and target, with residuals for a valid station.
    out.Add("Données triées");
    out.Add(stationLine);
    out.Add("Nom                   Hz         V          Dp      Delta Hz Delta V  Delta Dp");
    const std::vector<TPointingResidual> res =
        st.valid ? ComputeResiduals(st, false) : std::vector<TPointingResidual>();
    const Tobs* first = st.obs.empty() ? nullptr : st.obs.data();
    for (int c = 1; c <= 2; ++c) {
        for (const TPt_vise& t : st.pts_vise) {
            for (const Tobs* o : c == 1 ? t.obsC1 : t.obsC2) {
                const std::size_t i = first ? static_cast<std::size_t>(o - first) : headEnds.size();
                if (i < headEnds.size()) {
                    const std::size_t start = i == 0 ? 0 : headEnds[i - 1];
                    line.Clear().Part(heads, start, headEnds[i] - start);
                } else {
                    DistanceOrBlanks(NameAngles(line, o->pt_vis, o->Hz, o->V, a), o->Dp, l);
                }
                if (st.valid && first) {
                    const TPointingResidual& r = res[i];
                    line.Fixed(r.dHz, 0, 8).Char(' ').Fixed(r.dV, 0, 8);
                    if (HasDistance(o->Dp)) line.Char(' ').Fixed(r.dDp, 1, 8);
                }
                out.Add(line);
            }
        }
        out.Add("");
    }

    // Counts per target.
    out.Add(stationLine);
    for (const TPt_vise& t : st.pts_vise) {
        line.Clear().PadLeft(t.pt_vis, 8).Text(" C1 = ").Int(t.NObsC1, 2).Text(" C2 = ").Int(t.NObsC2, 2);
        out.Add(line);
    }
    out.Add("");

    // Verdict.
    if (st.valid) {
        out.Add("Station valide");
        out.Add(line.Clear()
                    .Text(st.cercles ? "2 Cercles" : "1 cercle")
                    .Text(st.fermeture ? " avec fermeture" : " sans fermeture")
                    .View());
        out.Add(line.Clear().Text("nombre de pointés = ").Int(st.NbPointes));
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
    // Values that are not numbers, read as 0 (or the field's default).
    constexpr std::size_t kUnreadShown = 20;
    for (std::size_t i = 0; i < st.valeurs_illisibles.size() && i < kUnreadShown; ++i)
        out.Add("Valeur illisible du fichier carnet, " + UnreadValueText(st.valeurs_illisibles[i]));
    if (st.valeurs_illisibles.size() > kUnreadShown)
        out.Add(Format("… et %d autres valeurs illisibles dans cette station",
                       static_cast<int>(st.valeurs_illisibles.size() - kUnreadShown)));
    out.Add("");

    // Reduced values.
    if (st.valid) {
        out.Add("Données réduites");
        out.Add(" ");
        for (const TPt_vise& t : st.pts_vise) {
            NameAngles(line, t.pt_vis, t.Hz, t.V, a);
            out.Add(DistanceOrBlanks(line, t.Dp, l));
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
    TLineText line, heads;
    std::vector<std::size_t> headEnds;
    for (std::size_t i = 0; i < book.stations.size(); ++i) {
        if (i > 0) {
            out.Add("");
            out.Add("");
            out.Add(stars);
        }
        AppendStation(out, book.stations[i], static_cast<int>(i) + 1, a, l, line, heads, headEnds);
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
