#include "exports/html_report.hpp"

#include <climits>
#include <cmath>
#include <limits>
#include <string_view>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "exports/report_reader.hpp"
#include "exports/sketch_svg.hpp"
#include "exports/station_sketch.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

// Escaped text: the page stays ASCII.
std::string H(std::string_view text) { return XmlTextAscii(text); }

// An attribute value read as an XPath number.
double XPathNumber(const std::string& text) {
    if (auto v = TextToDouble(text, false)) return *v;
    return std::numeric_limits<double>::quiet_NaN();
}

const char* const kStyle[] = {
    "<style>",
    "body { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 10pt; margin: 1em 2em; color: #111; }",
    "h1 { font-size: 16pt; } h2 { font-size: 13pt; margin-top: 0.6em; } h3 { font-size: 11pt; margin-bottom: 0.2em; }",
    "table { border-collapse: collapse; margin: 0.3em 0; }",
    "td, th { border: 1px solid #555; padding: 1px 4px; }",
    "th { background: #e8e8e8; }",
    "table.param { width: 500px; } table.obs { width: 700px; }",
    "table.obs td { text-align: right; } table.obs td:first-child { text-align: left; }",
    ".sommaire a { text-decoration: none; } .sommaire a.invalide, .sommaire a.hors_tolerance { color: #b00000; }",
    ".invalide h2 { color: #b00000; }",
    "figure.croquis { margin: 0.6em 0; } figure.croquis svg { max-width: 100%; height: auto; }",
    "p.messages { color: #b00000; }",
    "@media print {",
    "  body { margin: 0; font-size: 9pt; }",
    "  section.station { break-before: page; page-break-before: always; }",
    "  a.retour { display: none; }",
    "  table, figure.croquis { break-inside: avoid; page-break-inside: avoid; }",
    "}",
    "</style>",
};

void AddLines(TLineSink& sink, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        sink.Add(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
}

std::string Row(std::initializer_list<std::string> cells, const char* tag = "td") {
    std::string r = "<tr>";
    for (const std::string& c : cells) {
        r += '<';
        r += tag;
        r += '>';
        r += c;
        r += "</";
        r += tag;
        r += '>';
    }
    return r + "</tr>";
}

std::string TocEntry(const TReportStation& station, const TSketchLimits& limits) {
    const TReportAttrs& st = station.attrs;
    const std::string& num = st.Get("num");
    std::string text = "Station #" + num + " (Point " + st.Get("pt_sta") + ") : ";
    const bool valid = st.Get("valid") == "Y";
    const int over = valid ? ResidualsOverLimit(station, limits) : 0;
    if (valid)
        text += "station réduite" + OverLimitText(over);
    else
        text += "station non valide (fichier carnet ligne " + XPathNumberText(XPathNumber(st.Get("num_ligne")) + 1) + ")";
    const char* cls = !valid ? " class=\"invalide\"" : over > 0 ? " class=\"hors_tolerance\"" : "";
    return std::string("<a href=\"#station_") + H(num) + "\"" + cls + ">" + H(text) + "</a><br/>";
}

void ParameterSections(TLineSink& out, const TReportHead& head) {
    const TReportAttrs& s = head.stations;
    out.Add("<section class=\"parametres\">");
    out.Add("<hr/>");
    out.Add("<a class=\"retour\" href=\"#Top\">Retour au Sommaire</a>");
    out.Add("<h2>" + H("Paramètres de réduction") + "</h2>");
    out.Add("<table class=\"param\">");
    out.Add(Row({"Export des hauteurs instrument et cible", H(s.Get("export_hauteurs_brelix"))}));
    out.Add(Row({"Utilisation de l'ouverture pour calculer Z0", H(s.Get("use_first_target_for_Z0_estimation"))}));
    out.Add(Row({H("Utilisation de la météo saisie dans les entêtes de stations"), H(s.Get("use_meteo_entete_station"))}));
    out.Add(Row({"&#963;Hz (gons)", H(s.Get("SigmaHz"))}));
    out.Add(Row({"&#963;V (gons)", H(s.Get("SigmaV"))}));
    out.Add(Row({"&#963;Dp (m)", H(s.Get("SigmaDp"))}));
    out.Add("</table>");
    out.Add("</section>");

    out.Add("<section class=\"prismes\">");
    out.Add("<hr/>");
    out.Add("<a class=\"retour\" href=\"#Top\">Retour au Sommaire</a>");
    out.Add("<h2>Prismes</h2>");
    out.Add("<table class=\"param\">");
    out.Add(Row({"Prismes", "Cste (m)"}, "th"));
    // The reduction's own default calibration is not listed beside the
    // book's own one of the same constant (see WithoutDoubleDefaultPrism).
    const auto constant = [](const TReportAttrs& e) { return XPathNumberText(-1 * XPathNumber(e.Get("M"))); };
    std::string bookDefault;
    bool hasBookDefault = false;
    for (const TReportAttrs& e : head.etalonnages)
        if (e.Get("id") == "defaut") {
            bookDefault = constant(e);
            hasBookDefault = true;
        }
    for (const TReportAttrs& e : head.etalonnages) {
        if (hasBookDefault && e.Get("id") == "default" && constant(e) == bookDefault) continue;
        out.Add(Row({H(PrismLabel(e)), H(constant(e))}));
    }
    out.Add("</table>");
    out.Add("</section>");

    out.Add("<section class=\"z0\">");
    out.Add("<hr/>");
    out.Add("<a class=\"retour\" href=\"#Top\">Retour au Sommaire</a>");
    out.Add("<h2>Z0 global</h2>");
    out.Add("<table class=\"param\">");
    out.Add(Row({"Z0 (gons)", "&#963;Z0 (gons)"}, "th"));
    out.Add(Row({H(s.Get("Z0")), H(s.Get("SigmaZ0"))}));
    out.Add("</table>");
    out.Add("</section>");
}

void ObservationTable(TLineSink& out, const TReportStation& st, int circle, bool valid) {
    const double count = XPathNumber(st.attrs.Get(circle == 1 ? "NbPointesC1" : "NbPointesC2"));
    if (!(count > 0)) return;
    out.Add(circle == 1 ? "<h3>Observations cercle I</h3>" : "<h3>Observations cercle II</h3>");
    out.Add("<table class=\"obs\">");
    if (valid)
        out.Add(Row({H("Point visé"), "Hz (gon)", "V (gon)", "Dp (m)", "dHz (cc)", "dV (cc)", "dDp (mm)", "ppm",
                     "Etalonnage", "Id Etalonnage", "Hv (m)"},
                    "th"));
    else
        out.Add(Row({H("Point visé"), "Hz (gon)", "V (gon)", "Dp (m)", "Hv (m)"}, "th"));
    for (const TReportAttrs& o : st.raw) {
        const double v = XPathNumber(o.Get("V"));
        if (circle == 1 ? !(v < 200) : !(v >= 200)) continue;
        if (valid)
            out.Add(Row({H(o.Get("pt_vis")), H(o.Get("Hz")), H(o.Get("V")), H(o.Get("Dp")), H(o.Get("dHz")),
                         H(o.Get("dV")), H(o.Get("dDp")), H(o.Get("ppm")), H(o.Get("c_etal")),
                         H(o.Get("id_etalonnage")), H(o.Get("Hv"))}));
        else
            out.Add(Row({H(o.Get("pt_vis")), H(o.Get("Hz")), H(o.Get("V")), H(o.Get("Dp")), H(o.Get("Hv"))}));
    }
    out.Add("</table>");
}

void StationSection(TLineSink& out, const TReportStation& st, const TSketchLimits& limits) {
    const TReportAttrs& a = st.attrs;
    const bool valid = a.Get("valid") == "Y";
    const std::string id = "station_" + a.Get("num");
    out.Add("<section class=\"station" + std::string(valid ? "" : " invalide") + "\" id=\"" + H(id) + "\">");
    out.Add("<hr/>");
    out.Add("<a class=\"retour\" href=\"#Top\">Retour au Sommaire</a>");
    out.Add("<h2>" + H("Station n°" + a.Get("num") + " - Point " + a.Get("pt_sta")) + "</h2>");
    const double line = 1 + XPathNumber(a.Get("num_ligne"));
    if (line > 0) out.Add("<h3>Fichier carnet - ligne " + H(XPathNumberText(line)) + "</h3>");
    out.Add("<table class=\"param\">");
    out.Add(Row({"nom", H(a.Get("pt_sta"))}));
    out.Add(Row({"Ht (m)", H(a.Get("Ht"))}));
    out.Add(Row({H("Température (°C)"), H(a.Get("temp"))}));
    out.Add(Row({"Pression (mmHg)", H(a.Get("press_mmHg"))}));
    out.Add(Row({"Pression (hPa)", H(a.Get("press_hPa"))}));
    out.Add(Row({H("Formule météo"), H(a.Get("formule_meteo"))}));
    if (valid) {
        out.Add(Row({"ppm", H(a.Get("ppm"))}));
        out.Add(Row({"Valide ?", "Oui"}));
        out.Add(Row({H("Nombre de pointés "), H(a.Get("NbPointes"))}));
        out.Add(Row({"Nombre de cercles ", H(a.Get("cercles"))}));
        out.Add(Row({"Fermeture ", a.Get("fermeture") == "Y" ? "Oui" : "Non"}));
        if (a.Get("cercles") != "1") {
            out.Add(Row({"Z0 (gons) ", H(a.Get("Z0"))}));
            out.Add(Row({"&#963;Z0 (gons) ", H(a.Get("SigmaZ0"))}));
        }
    } else {
        out.Add(Row({"Valide ?", "Non"}));
    }
    out.Add("</table>");

    out.Add("<figure class=\"croquis\">");
    AddLines(out, SketchSvg(BuildStationSketch(st, limits), "croquis_" + a.Get("num")));
    out.Add("</figure>");

    ObservationTable(out, st, 1, valid);
    ObservationTable(out, st, 2, valid);
    if (valid) {
        out.Add("<h3>" + H("Observations réduites") + "</h3>");
        out.Add("<table class=\"obs\">");
        out.Add(Row({H("Point visé"), "Hz (gon)", "V (gon)", "Dp (m)"}, "th"));
        for (const TReportAttrs& o : st.reduced)
            out.Add(Row({H(o.Get("pt_vis")), H(o.Get("Hz")), H(o.Get("V")), H(o.Get("Dp"))}));
        out.Add("</table>");
    } else {
        out.Add("<h3>" + H("Nombre de pointés par cercle") + "</h3>");
        out.Add("<table class=\"param\">");
        out.Add(Row({H("Point visé"), H("Pointés CI"), H("Pointés CII")}, "th"));
        for (const TReportAttrs& n : st.nobs) out.Add(Row({H(n.Get("pt_vis")), H(n.Get("NObsC1")), H(n.Get("NObsC2"))}));
        out.Add("</table>");
        out.Add("<h3>Messages d'erreur : </h3>");
        out.Add("<p class=\"messages\">");
        for (const std::string& m : st.logs) out.Add(H(m) + "<br/>");
        out.Add("</p>");
    }
    out.Add("</section>");
}

}  // namespace

std::string XPathNumberText(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    if (v > INT_MIN && v < INT_MAX && v == static_cast<int>(v)) return Format("%d", static_cast<int>(v));
    const double a = std::fabs(v);
    std::string s;
    if (a > 1e9 || a < 1e-5) {
        s = Format("%.14e", v);
        const std::size_t e = s.find('e');
        std::string mant = s.substr(0, e), exp = s.substr(e);
        while (!mant.empty() && mant.back() == '0') mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
        return mant + exp;
    }
    const int integerPlace = static_cast<int>(std::log10(a));
    const int fraction = integerPlace > 0 ? 15 - integerPlace - 1 : 15 - integerPlace;
    s = Format("%." + std::to_string(fraction) + "f", v);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s;
}

void ProduceHtmlReport(const std::string& xmlPath, const std::string& title, TLineSink& out, TProgress& progress) {
    out.Add("<!DOCTYPE html>");
    out.Add("<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"fr\">");
    out.Add("<head>");
    out.Add("<meta charset=\"utf-8\"/>");
    out.Add("<title>" + H(title) + "</title>");
    for (const char* l : kStyle) out.Add(l);
    out.Add("</head>");
    out.Add("<body>");
    out.Add("<a id=\"Top\"></a>");
    out.Add("<h1>" + H("Compte rendu de verification des données terrain") + "</h1>");

    // First pass: the title block and the table of contents, written as
    // the stations go by (each marked with its residuals beyond their
    // limit); the settings and prisms are kept for after it.
    progress.Stage("Lecture du compte rendu");
    TReportHead head;
    TSketchLimits limits;
    ReadXmlReportResiduals(
        xmlPath,
        [&](const TReportHead& h) {
            head = h;
            limits = SketchLimitsFromReport(head.stations);
            out.Add("<h2>Kestrova<br/>" + H(h.version) + "</h2>");
            out.Add("<hr/>");
            out.Add("<nav class=\"sommaire\">");
        },
        [&](const TReportStation& st) { out.Add(TocEntry(st, limits)); }, progress);
    out.Add("</nav>");
    ParameterSections(out, head);

    // Second pass: one section per station.
    progress.Stage("Écriture du rapport HTML");
    ReadXmlReport(
        xmlPath, true, [](const TReportHead&) {},
        [&](const TReportStation& st) { StationSection(out, st, limits); }, progress);
    out.Add("<hr/>");
    out.Add("<a id=\"Bottom\"></a>");
    out.Add("</body>");
    out.Add("</html>");
}

int ResidualsOverLimit(const TReportStation& station, const TSketchLimits& limits) {
    if (station.attrs.Get("valid") != "Y") return 0;
    const char* keys[3] = {"dHz", "dV", "dDp"};
    const double limit[3] = {limits.hz, limits.v, limits.dp};
    int count = 0;
    for (const TReportAttrs& o : station.raw)
        for (int q = 0; q < 3; ++q)
            if (limit[q] > 0)
                if (const auto v = TextToDouble(o.Get(keys[q])))
                    if (std::fabs(*v) > limit[q]) ++count;
    return count;
}

std::string OverLimitText(int count) {
    if (count <= 0) return {};
    return " — " + std::to_string(count) + (count > 1 ? " écarts hors tolérance" : " écart hors tolérance");
}

std::string MarkTableOfContents(const std::string& html, const std::map<std::string, int>& over) {
    std::string out;
    out.reserve(html.size() + over.size() * 64);
    std::size_t at = 0;
    static const std::string kLink = "<a href=\"#station_";
    for (;;) {
        const std::size_t link = html.find(kLink, at);
        if (link == std::string::npos) break;
        const std::size_t quote = html.find('"', link + kLink.size());
        const std::size_t close = quote == std::string::npos ? quote : html.find("</a>", quote);
        if (close == std::string::npos) break;
        const auto it = over.find(html.substr(link + kLink.size(), quote - link - kLink.size()));
        if (it == over.end() || it->second == 0) {
            out.append(html, at, close + 4 - at);
        } else {
            out.append(html, at, quote + 1 - at);
            out += " style=\"color:#c00000\"";
            out.append(html, quote + 1, close - quote - 1);
            out += OverLimitText(it->second);
            out += "</a>";
        }
        at = close + 4;
    }
    out.append(html, at, std::string::npos);
    return out;
}

namespace {

// The row of the « Prismes » table whose first cell is `id`: where its
// "<tr" begins, where its "</tr>" ends, and its second cell's text.
struct TPrismRow {
    std::size_t begin = std::string::npos, end = std::string::npos;
    std::string constant;
};

TPrismRow FindPrismRow(const std::string& html, std::size_t from, std::size_t to, const std::string& id) {
    TPrismRow row;
    const std::size_t cell = html.find("<td>" + id + "</td>", from);
    if (cell == std::string::npos || cell > to) return row;
    const std::size_t begin = html.rfind("<tr", cell);
    const std::size_t end = html.find("</tr>", cell);
    const std::size_t second = html.find("<td>", cell + 1);
    if (begin == std::string::npos || begin < from || end == std::string::npos || end > to || second > end) return row;
    const std::size_t close = html.find("</td>", second);
    if (close == std::string::npos || close > end) return row;
    row.begin = begin;
    row.end = end + 5;
    row.constant = html.substr(second + 4, close - second - 4);
    return row;
}

}  // namespace

std::string WithoutDoubleDefaultPrism(const std::string& html) {
    const std::size_t table = html.find("<th>Prismes</th>");
    if (table == std::string::npos) return html;
    const std::size_t end = html.find("</table>", table);
    if (end == std::string::npos) return html;
    const TPrismRow own = FindPrismRow(html, table, end, "default");
    const TPrismRow book = FindPrismRow(html, table, end, "defaut");
    if (own.begin == std::string::npos || book.begin == std::string::npos || own.constant != book.constant) return html;
    std::size_t cut = own.end;
    while (cut < html.size() && (html[cut] == '\n' || html[cut] == '\r')) ++cut;
    return html.substr(0, own.begin) + html.substr(cut);
}

const std::string& PrismLabel(const TReportAttrs& etalonnage) {
    const std::string& nom = etalonnage.Get("nom");
    return nom.empty() ? etalonnage.Get("id") : nom;
}

namespace {

void AppendUtf8(std::string& out, unsigned long c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The text of an HTML cell: the references an HTML serialiser writes
// (&amp; &lt; &gt; &quot; &apos;, &#N;, &#xN;) read back; any other is
// kept as it stands.
std::string CellText(std::string_view html) {
    std::string out;
    for (std::size_t i = 0; i < html.size();) {
        const std::size_t semi = html[i] == '&' ? html.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += html[i++];
            continue;
        }
        const std::string_view ref = html.substr(i + 1, semi - i - 1);
        unsigned long c = 0;
        bool known = true;
        if (ref == "amp") c = '&';
        else if (ref == "lt") c = '<';
        else if (ref == "gt") c = '>';
        else if (ref == "quot") c = '"';
        else if (ref == "apos") c = '\'';
        else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            known = !digits.empty();
            for (char d : digits) {
                const int v = d >= '0' && d <= '9'   ? d - '0'
                              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                            : -1;
                if (v < 0) known = false;
                else c = c * (hex ? 16 : 10) + static_cast<unsigned long>(v);
            }
            if (c == 0 || c > 0x10FFFF) known = false;
        } else {
            known = false;
        }
        if (known) {
            AppendUtf8(out, c);
            i = semi + 1;
        } else {
            out += html[i++];
        }
    }
    return out;
}

}  // namespace

std::string WithPrismNames(const std::string& html, const std::vector<TReportAttrs>& etalonnages) {
    const std::size_t table = html.find("<th>Prismes</th>");
    if (table == std::string::npos) return html;
    const std::size_t end = html.find("</table>", table);
    if (end == std::string::npos) return html;
    std::string out = html.substr(0, table);
    std::size_t at = table;
    std::size_t next = 0;  // the calibration the next row may name
    while (next < etalonnages.size()) {
        const std::size_t row = html.find("<tr", at);
        if (row == std::string::npos || row > end) break;
        const std::size_t rowEnd = html.find("</tr>", row);
        const std::size_t open = html.find("<td>", row);
        const std::size_t close = open == std::string::npos ? open : html.find("</td>", open);
        if (rowEnd == std::string::npos || rowEnd > end) break;
        if (close == std::string::npos || close > rowEnd) {  // the heading row
            out.append(html, at, rowEnd - at);
            at = rowEnd;
            continue;
        }
        const std::string id = CellText(std::string_view(html).substr(open + 4, close - open - 4));
        std::size_t k = next;
        while (k < etalonnages.size() && etalonnages[k].Get("id") != id) ++k;
        if (k == etalonnages.size()) {  // no calibration of the report: left as it is
            out.append(html, at, rowEnd - at);
            at = rowEnd;
            continue;
        }
        out.append(html, at, open + 4 - at);
        out += XmlText(PrismLabel(etalonnages[k]));
        at = close;
        next = k + 1;
    }
    out.append(html, at, std::string::npos);
    return out;
}

void WriteHtmlReport(const std::string& xmlPath, const std::string& htmlPath, TProgress& progress) {
    TOutputSet outputs;
    TLineSink& sink = outputs.Add(htmlPath, FileEncoding::Cp1252);
    ProduceHtmlReport(xmlPath, ExtractFileName(xmlPath), sink, progress);
    outputs.Commit();
}

}  // namespace kestrova
