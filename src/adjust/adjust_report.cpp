#include "adjust/adjust_report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "adjust/adjust_plan.hpp"
#include "adjust/ellipse.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "exports/obs_records.hpp"

namespace kestrova {

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;font-size:10pt;margin:1.5em;color:#000}"
    "h1{font-size:15pt}h2{font-size:12pt;border-bottom:1px solid #888;margin-top:1.5em}"
    "table{border-collapse:collapse;margin:0.5em 0}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:right}"
    "th{background:#eee}td.t,th.t{text-align:left}"
    "tr.faute td{color:#c00000;font-weight:bold}"
    "table.resume td{text-align:left}table.resume th{text-align:left}"
    "p.ok{color:#006000}p.alerte{color:#c00000;font-weight:bold}"
    "p.visa{margin-top:3em}"
    "@media print{h2{page-break-after:avoid}tr{page-break-inside:avoid}}";

// "%.Nf" without the "*" of the format helper's width handling.
std::string F(double v, int decimals) {
    switch (decimals) {
        case 0: return Format("%.0f", v);
        case 1: return Format("%.1f", v);
        case 2: return Format("%.2f", v);
        case 3: return Format("%.3f", v);
        case 4: return Format("%.4f", v);
        case 5: return Format("%.5f", v);
        default: return Format("%.6f", v);
    }
}

std::string Td(const std::string& html, bool text = false) {
    return text ? "<td class=\"t\">" + html + "</td>" : "<td>" + html + "</td>";
}

// A heading cell of plain text.
std::string Th(const std::string& label, bool text = false) {
    return (text ? "<th class=\"t\">" : "<th>") + HtmlText(label) + "</th>";
}

std::string SummaryRow(const std::string& label, const std::string& valueHtml) {
    return "<tr><th>" + HtmlText(label) + "</th><td>" + valueHtml + "</td></tr>";
}

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string ObservationValue(const GamaObservation& o, double v) { return F(v, o.angular() ? 6 : 5); }

std::string LineText(const TObservationRow& row) { return row.line > 0 ? std::to_string(row.line) : ""; }

}  // namespace

std::string HtmlText(const std::string& utf8) { return NonAsciiAsReferences(utf8, true); }

std::string NonAsciiAsReferences(const std::string& utf8, bool escapeMarkup) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            switch (escapeMarkup ? b : 0) {
                case '&': out += "&amp;"; break;
                case '<': out += "&lt;"; break;
                case '>': out += "&gt;"; break;
                case '"': out += "&quot;"; break;
                default: out += (b < 0x20 && b != '\t') || b == 0x7F ? '?' : static_cast<char>(b);
            }
            ++i;
            continue;
        }
        const std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        std::uint32_t c = n == 4 ? b & 0x07u : n == 3 ? b & 0x0Fu : b & 0x1Fu;
        bool valid = n > 1 && i + n <= utf8.size();
        for (std::size_t k = 1; valid && k < n; ++k) {
            const unsigned char cb = static_cast<unsigned char>(utf8[i + k]);
            if ((cb & 0xC0u) != 0x80u) valid = false;
            c = (c << 6) | (cb & 0x3Fu);
        }
        out += valid ? "&#" + std::to_string(c) + ";" : "?";
        i += valid ? n : 1;
    }
    return out;
}

AdjustFiles AdjustFileNames(const std::string& out) {
    const std::string ext = ExtractFileExt(out);
    const std::string base = ext.empty() ? out : out.substr(0, out.size() - ext.size());
    return {base + ".gkf", base + "_gama.xml", base + "_gama.txt", base + "_ajustement.html"};
}

std::vector<TKnownPoint> KnownPoints(const std::vector<std::string>& corLines) {
    std::vector<TKnownPoint> known;
    for (const std::string& line : corLines) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 2, "*=") != 0) continue;
        std::vector<std::string> words;
        std::size_t p = start + 2;
        while (words.size() < 4) {
            const std::size_t b = line.find_first_not_of(" \t\r", p);
            if (b == std::string::npos) break;
            const std::size_t e = line.find_first_of(" \t\r", b);
            words.push_back(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
            if (e == std::string::npos) break;
            p = e;
        }
        if (words.size() < 4) continue;
        const auto x = TextToDouble(words[1]), y = TextToDouble(words[2]), z = TextToDouble(words[3]);
        if (x && y && z) known.push_back({words[0], *x, *y, *z});
    }
    return known;
}

std::vector<TObservationRow> ObservationRows(const AdjustOutcome& outcome, const AdjustSource& source) {
    const std::vector<GamaObservation>& obs = outcome.results.observations;
    std::vector<TObservationRow> rows(obs.size());
    // The source lines by station and target, when they are the user's file.
    std::map<std::pair<std::string, std::string>, std::vector<const ObsRecord*>> byPair;
    ObsReading reading;
    if (source.kind == AdjustInputKind::Observations) {
        try {
            reading = ReadObsLines(source.obsLines, RenormSign::Unsigned);
        } catch (const ObsValueError&) {
            reading = ObsReading();
        }
        for (const ObsRecord& r : reading.records)
            if (r.IsObservation()) byPair[{r.from, r.to}].push_back(&r);
    }
    // Each observation takes the first line not yet taken of its station,
    // target and kind (the three components of a centring vector share
    // their line).
    auto codeFits = [](const std::string& kind, const std::string& code) {
        if (kind == "direction") return code == "5" || code == "7";
        if (kind == "zenith-angle") return code == "6";
        if (kind == "slope-distance") return code == "3";
        if (kind == "height-diff") return code == "4";
        if (kind == "dx" || kind == "dy" || kind == "dz") return code == "9";
        return false;
    };
    std::map<const ObsRecord*, bool> used;
    for (std::size_t i = 0; i < obs.size(); ++i) {
        const GamaObservation& o = obs[i];
        rows[i].index = i;
        rows[i].flagged = o.hasStdResidual && std::fabs(o.stdResidual) > outcome.criticalValue;
        auto it = byPair.find({o.from, o.to});
        if (it == byPair.end()) continue;
        const bool shared = o.kind == "dx" || o.kind == "dy" || o.kind == "dz";
        for (const ObsRecord* r : it->second) {
            if ((!shared && used[r]) || !codeFits(o.kind, r->code)) continue;
            used[r] = true;
            rows[i].line = r->lineNumber;
            break;
        }
    }
    return rows;
}

std::vector<TObservationRow> ProbableFaults(const AdjustOutcome& outcome, const std::vector<TObservationRow>& rows) {
    std::vector<TObservationRow> faults;
    for (const TObservationRow& r : rows)
        if (r.flagged) faults.push_back(r);
    const auto& obs = outcome.results.observations;
    std::stable_sort(faults.begin(), faults.end(), [&](const TObservationRow& a, const TObservationRow& b) {
        return std::fabs(obs[a.index].stdResidual) > std::fabs(obs[b.index].stdResidual);
    });
    return faults;
}

void ProduceAdjustReport(const AdjustOutcome& outcome, const AdjustSource& source, const AdjustFiles& files,
                         TLineSink& sink) {
    const GamaResults& r = outcome.results;
    const bool levelling = source.Levelling() ||
                           std::none_of(r.points.begin(), r.points.end(), [](const GamaPoint& p) { return p.hasXY; });
    const std::vector<TObservationRow> rows = ObservationRows(outcome, source);
    const std::vector<TObservationRow> faults = ProbableFaults(outcome, rows);
    std::vector<bool> flagged(rows.size());
    for (const TObservationRow& row : rows) flagged[row.index] = row.flagged;
    const std::size_t worst = faults.empty() ? rows.size() : faults.front().index;
    const std::vector<TKnownPoint> known = KnownPoints(source.corLines);
    auto knownOf = [&](const std::string& id) -> const TKnownPoint* {
        for (const TKnownPoint& k : known)
            if (k.name == id) return &k;
        return nullptr;
    };
    const bool aposteriori = r.sigmaUsed == "aposteriori";
    const double factor = ConfidenceEllipseFactor(r.probability, aposteriori, r.degreesOfFreedom);
    const std::string name = ExtractFileName(source.inputName);

    auto add = [&](const std::string& html) { sink.Add(html); };
    add("<!DOCTYPE html>");
    add("<html lang=\"fr\">");
    add("<head>");
    add("<meta charset=\"us-ascii\"/>");
    add("<title>" + HtmlText("Ajustement du réseau " + name) + "</title>");
    add(std::string("<style>") + kStyle + "</style>");
    add("</head>");
    add("<body>");
    add("<h1>" + HtmlText((levelling ? "Ajustement du nivellement " : "Ajustement du réseau ") + name +
                          " par GNU Gama") + "</h1>");

    // Summary.
    add("<h2 id=\"resume\">" + HtmlText("Résumé") + "</h2>");
    add("<table class=\"resume\">");
    const char* kinds[] = {"fichier d'observations", "carnet de terrain (réduit)", "carnet de nivellement (crapauds supprimés)"};
    add(SummaryRow("Observations", HtmlText(source.inputName + " (" + kinds[static_cast<int>(source.kind)] + ")")));
    add(SummaryRow("Coordonnées", HtmlText(source.corName)));
    add(SummaryRow("Fichiers", HtmlText(ExtractFileName(files.gkf) + ", " + ExtractFileName(files.xml) + ", " +
                                         ExtractFileName(files.txt))));
    add(SummaryRow("Points ajustés", HtmlText(Format("%d xyz, %d xy, %d z", r.adjustedXYZ, r.adjustedXY, r.adjustedZ))));
    add(SummaryRow("Points contraints", HtmlText(Format("%d xyz, %d xy, %d z", r.constrainedXYZ, r.constrainedXY,
                                                        r.constrainedZ))));
    add(SummaryRow("Points fixes", HtmlText(Format("%d xyz, %d xy, %d z", r.fixedXYZ, r.fixedXY, r.fixedZ))));
    add(SummaryRow("Observations ajustées", std::to_string(r.observations.size())));
    add(SummaryRow("Équations, inconnues", HtmlText(Format("%d équations, %d inconnues, défaut %d", r.equations,
                                                           r.unknowns, r.defect))));
    add(SummaryRow("Degrés de liberté", std::to_string(r.degreesOfFreedom)));
    add(SummaryRow("Écart-type de référence",
                   HtmlText("a priori " + F(r.apriori, 2) + ", a posteriori " + F(r.aposteriori, 2) + ", rapport " +
                            F(r.ratio, 3) + " (écart-type utilisé : " + (aposteriori ? "a posteriori" : "a priori") +
                            ")")));
    if (r.hasTest) {
        const std::string test = Format("intervalle (%.3f, %.3f) au seuil de %.0f %% : ", r.lower, r.upper,
                                        r.probability * 100) +
                                 (r.testFailed ? "le rapport n'y est pas, test refusé" : "le rapport y est, test accepté");
        add(SummaryRow("Test du rapport", r.testFailed ? "<span style=\"color:#c00000;font-weight:bold\">" +
                                                             HtmlText(test) + "</span>"
                                                       : HtmlText(test)));
    }
    add(SummaryRow("Valeur critique des résidus normalisés",
                   HtmlText(F(outcome.criticalValue, 2) + (CriticalValueFromText(outcome.text, -1) > 0
                                                               ? " (test de gama-local)"
                                                               : " (gama-local n'en donne pas)"))));
    add(SummaryRow("Ellipses de confiance", HtmlText(Format("probabilité %.0f %%, facteur %.3f", r.probability * 100,
                                                            factor))));
    std::string options;
    for (const std::string& o : outcome.options) options += (options.empty() ? "" : " ") + o;
    add(SummaryRow("gama-local", HtmlText("version " + (outcome.version.empty() ? "inconnue" : outcome.version) +
                                          " (" + outcome.program + "), algorithme " + r.algorithm + ", options " +
                                          options + " --xml --text")));
    std::string changes;
    for (std::size_t i = 0; i < outcome.changes.size(); ++i)
        changes += (i ? ", " : "") + F(outcome.changes[i] * 1000, 2);
    add(SummaryRow("Coordonnées approchées",
                   HtmlText(Plural(outcome.Runs(), "passe", "passes") + " de gama-local ; plus grand changement des "
                            "coordonnées libres à chaque passe (mm) : " + changes +
                            (outcome.converged ? " ; sous 0.1 mm à la dernière passe"
                                               : " ; encore au-dessus de 0.1 mm après " +
                                                     Plural(outcome.Runs(), "passe", "passes")) +
                            (outcome.Runs() > 1 ? " (les coordonnées ajustées d'une passe sont les approchées de la "
                                                  "suivante)"
                                                : ""))));
    add(SummaryRow("Itérations de linéarisation", std::to_string(r.iterations) + " " +
                                                      HtmlText("(dernière passe de gama-local)")));
    add("</table>");
    if (!outcome.converged)
        add("<p class=\"alerte\">" + HtmlText("Les coordonnées approchées n'ont pas convergé : vérifiez les "
                                              "coordonnées du fichier " + source.corName + ".") + "</p>");

    // Probable faults.
    add("<h2 id=\"fautes\">Fautes probables</h2>");
    const std::string obsHead = "<tr>" + Th("Station", true) + Th("Visée", true) + Th("Type", true) + Th("Observé") +
                                Th("Ajusté") + Th("Résidu (mm|cc)") + Th("Écart-type ajusté") +
                                Th("Résidu normalisé") + Th("Redondance (%)") + Th("Ligne") + "</tr>";
    const std::string& obsHeadHtml = obsHead;
    auto obsRow = [&](const TObservationRow& row, bool number) {
        const GamaObservation& o = r.observations[row.index];
        std::string tr = row.flagged ? "<tr class=\"faute\">" : "<tr>";
        if (number) tr += Td(std::to_string(row.index + 1));
        tr += Td(HtmlText(o.from), true) + Td(HtmlText(o.to), true) + Td(HtmlText(o.KindText()), true) +
              Td(ObservationValue(o, o.observed)) + Td(ObservationValue(o, o.adjusted)) + Td(F(o.residual(), 2)) +
              Td(F(o.stdev, 2)) + Td(o.hasStdResidual ? F(o.stdResidual, 2) : "") + Td(F(o.f, 1)) +
              Td(LineText(row)) + "</tr>";
        return tr;
    };
    if (faults.empty()) {
        add("<p class=\"ok\">" + HtmlText("Aucune : aucun résidu normalisé ne dépasse la valeur critique " +
                                          F(outcome.criticalValue, 2) + ".") + "</p>");
    } else {
        add("<p class=\"alerte\">" +
            HtmlText(Plural(static_cast<int>(faults.size()), "observation", "observations") +
                     " dont le résidu normalisé dépasse la valeur critique " + F(outcome.criticalValue, 2) +
                     ", la plus forte en premier" +
                     (source.kind == AdjustInputKind::Observations ? " (ligne du fichier " + ExtractFileName(source.inputName) + ")" : "") +
                     " :") + "</p>");
        add("<table>");
        add(obsHeadHtml);
        for (const TObservationRow& row : faults) add(obsRow(row, false));
        add("</table>");
    }

    // Drawing.
    if (levelling) {
        const TPlanDrawing d = LevellingProfileSvg(r, flagged, worst);
        if (!d.svg.empty()) {
            add("<h2 id=\"plan\">Profil du nivellement</h2>");
            add("<div class=\"plan\">");
            for (const std::string& l : SplitTextLines(d.svg)) add(NonAsciiAsReferences(l));
            add("</div>");
        }
    } else {
        const TPlanDrawing d = NetworkPlanSvg(r, flagged, worst);
        if (!d.svg.empty()) {
            add("<h2 id=\"plan\">" + HtmlText("Plan du réseau") + "</h2>");
            add("<p>" + HtmlText(Format("Ellipses d'erreur standard agrandies %g fois ; barre d'échelle de %g m.",
                                        d.magnification, d.barMetres)) + "</p>");
            add("<div class=\"plan\">");
            for (const std::string& l : SplitTextLines(d.svg)) add(NonAsciiAsReferences(l));
            add("</div>");
        }
    }

    // Points.
    add("<h2 id=\"points\">" + HtmlText(levelling ? "Altitudes ajustées" : "Points ajustés") + "</h2>");
    add("<table>");
    if (levelling) {
        add(("<tr>" + Th("Point", true) + Th("Altitude (m)") + Th("Écart-type (mm)") +
                     Th("Écart à l'approchée (mm)") + Th("Écart au connu (mm)") + "</tr>"));
        for (const GamaPoint& p : r.points) {
            if (!p.hasZ) continue;
            const auto a = outcome.firstApprox.find(p.id);
            const TKnownPoint* k = knownOf(p.id);
            add("<tr>" + Td(HtmlText(p.id) + (p.constrainedZ ? " *" : ""), true) + Td(F(p.z, 4)) + Td(F(p.sz(), 2)) +
                Td(a != outcome.firstApprox.end() && a->second.hasZ ? F((p.z - a->second.z) * 1000, 2) : "") +
                Td(k ? F((p.z - k->z) * 1000, 2) : "") + "</tr>");
        }
    } else {
        add(("<tr>" + Th("Point", true) + Th("X (m)") + Th("Y (m)") + Th("Z (m)") + Th("σX") + Th("σY") +
                     Th("σZ (mm)") + Th("a") + Th("b (mm)") + Th("α (gon)") + Th("a'") + Th("b' (mm)") +
                     Th("ΔX") + Th("ΔY") + Th("ΔZ approché (mm)") + Th("ΔX") + Th("ΔY") + Th("ΔZ connu (mm)") + "</tr>"));
        for (const GamaPoint& p : r.points) {
            const TEllipse e = StandardEllipse(p.cxx, p.cxy, p.cyy);
            const auto a = outcome.firstApprox.find(p.id);
            const bool hasA = a != outcome.firstApprox.end();
            const TKnownPoint* k = knownOf(p.id);
            std::string tr = "<tr>" + Td(HtmlText(p.id) + (p.constrainedXY || p.constrainedZ ? " *" : ""), true);
            tr += Td(p.hasXY ? F(p.x, 4) : "") + Td(p.hasXY ? F(p.y, 4) : "") + Td(p.hasZ ? F(p.z, 4) : "");
            tr += Td(p.hasXY ? F(p.sx(), 1) : "") + Td(p.hasXY ? F(p.sy(), 1) : "") + Td(p.hasZ ? F(p.sz(), 1) : "");
            if (p.hasXY)
                tr += Td(F(e.a, 1)) + Td(F(e.b, 1)) + Td(F(e.bearing, 1)) + Td(F(e.a * factor, 1)) +
                      Td(F(e.b * factor, 1));
            else
                tr += Td("") + Td("") + Td("") + Td("") + Td("");
            const bool ax = hasA && a->second.hasXY && p.hasXY, az = hasA && a->second.hasZ && p.hasZ;
            tr += Td(ax ? F((p.x - a->second.x) * 1000, 1) : "") + Td(ax ? F((p.y - a->second.y) * 1000, 1) : "") +
                  Td(az ? F((p.z - a->second.z) * 1000, 1) : "");
            tr += Td(k && p.hasXY ? F((p.x - k->x) * 1000, 1) : "") + Td(k && p.hasXY ? F((p.y - k->y) * 1000, 1) : "") +
                  Td(k && p.hasZ ? F((p.z - k->z) * 1000, 1) : "");
            add(tr + "</tr>");
        }
    }
    add("</table>");
    add("<p>" + HtmlText(std::string("* : coordonnée contrainte par le fichier de coordonnées. ") +
                         (levelling ? "" : "Ellipse d'erreur standard a, b et orientation α du grand axe comme "
                                           "gama-local les donne ; a', b' : ellipse de confiance.") +
                         " L'approchée est celle de la première passe de gama-local ; le connu, la ligne « *= » du "
                         "fichier de coordonnées.") + "</p>");

    if (!r.orientations.empty()) {
        add("<h2 id=\"orientations\">" + HtmlText("Inconnues d'orientation") + "</h2>");
        add("<table>");
        add(("<tr>" + Th("Station", true) + Th("Approchée (gon)") + Th("Ajustée (gon)") +
                     Th("Écart-type (cc)") + "</tr>"));
        for (const GamaOrientation& o : r.orientations)
            add("<tr>" + Td(HtmlText(o.id), true) + Td(F(o.approx, 6)) + Td(F(o.adjusted, 6)) + Td(F(o.stdev, 1)) +
                "</tr>");
        add("</table>");
    }

    add("<h2 id=\"observations\">Observations</h2>");
    add("<table>");
    add("<tr>" + Th("N°") + obsHeadHtml.substr(4));
    for (const TObservationRow& row : rows) add(obsRow(row, true));
    add("</table>");
    add("<p class=\"visa\">" + HtmlText("Date : ....................    Nom et signature : ....................") +
        "</p>");
    add("</body>");
    add("</html>");
}

}  // namespace kestrova

namespace kestrova {

void WriteGamaOutputs(const AdjustOutcome& outcome, TOutputSet& outputs, const AdjustFiles& files) {
    TLineSink& gkf = outputs.Add(files.gkf);
    for (const std::string& l : outcome.gkfLines) gkf.Add(l);
    TLineSink& xml = outputs.Add(files.xml, FileEncoding::Latin1Xml);
    bool first = true;
    for (const std::string& l : SplitTextLines(outcome.xml)) {
        // The file is written in ISO-8859-1 and says so.
        if (first && l.rfind("<?xml", 0) == 0 && l.find("encoding") == std::string::npos)
            xml.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
        else
            xml.Add(l);
        first = false;
    }
    TLineSink& txt = outputs.Add(files.txt);
    for (const std::string& l : SplitTextLines(outcome.text)) txt.Add(l);
}

}  // namespace kestrova

namespace kestrova {

std::vector<std::string> AdjustSummaryLines(const AdjustOutcome& outcome, const AdjustSource& source) {
    const GamaResults& r = outcome.results;
    std::vector<std::string> out;
    out.push_back(Format("Ajustement par gama-local %s : %d passe%s, %d observations, %d degrés de liberté",
                         outcome.version.empty() ? "(version inconnue)" : outcome.version.c_str(), outcome.Runs(),
                         outcome.Runs() > 1 ? "s" : "", static_cast<int>(r.observations.size()), r.degreesOfFreedom));
    out.push_back(Format("Écart-type de référence a priori %.2f, a posteriori %.2f (rapport %.3f%s)", r.apriori,
                         r.aposteriori, r.ratio,
                         r.hasTest ? (r.testFailed ? ", hors de l'intervalle du test" : ", dans l'intervalle du test")
                                   : ""));
    const std::vector<TObservationRow> faults = ProbableFaults(outcome, ObservationRows(outcome, source));
    out.push_back(Format("Fautes probables : %d (résidu normalisé au-dessus de %.2f)", static_cast<int>(faults.size()),
                         outcome.criticalValue));
    for (std::size_t i = 0; i < faults.size() && i < 5; ++i) {
        const GamaObservation& o = r.observations[faults[i].index];
        out.push_back(Format("  %s -> %s %s : résidu %.2f, résidu normalisé %.2f", o.from, o.to, o.KindText(),
                             o.residual(), o.stdResidual) +
                      (faults[i].line > 0 ? Format(" (ligne %d)", faults[i].line) : std::string()));
    }
    const std::vector<TKnownPoint> known = KnownPoints(source.corLines);
    out.push_back(Format("%-8s %12s %12s %10s   %s", "point", "X", "Y", "Z", "écart au connu (mm)"));
    double worst = 0;
    bool anyKnown = false;
    for (const GamaPoint& p : r.points) {
        std::string line = Format("%-8s %12s %12s %10s", p.id, p.hasXY ? F(p.x, 4) : "", p.hasXY ? F(p.y, 4) : "",
                                  p.hasZ ? F(p.z, 4) : "");
        for (const TKnownPoint& k : known) {
            if (k.name != p.id) continue;
            const double dx = p.hasXY ? (p.x - k.x) * 1000 : 0, dy = p.hasXY ? (p.y - k.y) * 1000 : 0;
            const double dz = p.hasZ ? (p.z - k.z) * 1000 : 0;
            line += Format("   %5.1f %5.1f %5.1f", dx, dy, dz);
            worst = std::max({worst, std::fabs(dx), std::fabs(dy), std::fabs(dz)});
            anyKnown = true;
            break;
        }
        out.push_back(line);
    }
    if (anyKnown) out.push_back(Format("plus grand écart : %.1f mm", worst));
    return out;
}

}  // namespace kestrova

namespace kestrova {

AdjustRun RunAdjustment(const std::string& program, AdjustInputKind kind, const std::vector<std::string>& lines,
                        const std::string& name, const std::vector<std::string>& corLines,
                        const std::string& corName, const AdjustFiles& files, std::vector<std::string>& warnings,
                        TProgress& progress) {
    AdjustRun run{MakeAdjustSource(kind, lines, name, corLines, corName, progress), {}};
    warnings = run.source.warnings;
    run.outcome = AdjustWithGama(program, BuildGamaInput(run.source, progress), progress);
    progress.Stage("Écriture des résultats");
    TOutputSet outputs;
    WriteGamaOutputs(run.outcome, outputs, files);
    ProduceAdjustReport(run.outcome, run.source, files, outputs.Add(files.html));
    progress.ThrowIfCancelled();
    outputs.Commit();
    return run;
}

}  // namespace kestrova
