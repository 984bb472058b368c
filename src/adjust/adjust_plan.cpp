#include "adjust/adjust_plan.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "adjust/ellipse.hpp"
#include "base/format.hpp"
#include "base/encoding.hpp"

namespace kestrova {

namespace {

constexpr double kWidth = 760, kHeight = 560, kMargin = 50;

std::string Num(double v) { return Format("%.1f", v); }

struct Site {
    double x = 0, y = 0;  // m
    bool fixed = false;
    const GamaPoint* point = nullptr;  // adjusted point, null for a fixed one
};

std::string Header(const char* label) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(kWidth) + "\" height=\"" + Num(kHeight) +
           "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(kHeight) + "\" font-family=\"sans-serif\" font-size=\"11\">\n" +
           "<title>" + label + "</title>\n<rect x=\"0\" y=\"0\" width=\"" + Num(kWidth) + "\" height=\"" + Num(kHeight) +
           "\" fill=\"#ffffff\" stroke=\"#999999\"/>\n";
}

std::string Triangle(double cx, double cy, const char* colour) {
    return "<polygon points=\"" + Num(cx) + "," + Num(cy - 7) + " " + Num(cx - 6) + "," + Num(cy + 5) + " " +
           Num(cx + 6) + "," + Num(cy + 5) + "\" fill=\"" + colour + "\" stroke=\"#000000\"/>\n";
}

bool PairKind(const GamaObservation& o) { return !o.to.empty() && o.kind.rfind("coordinate-", 0) != 0; }

}  // namespace

double RoundDownNice(double value) {
    if (!(value > 0) || !std::isfinite(value)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(value)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * p <= value * (1 + 1e-12)) return m * p;
    return p;
}

TPlanDrawing NetworkPlanSvg(const GamaResults& results, const std::vector<bool>& flagged, std::size_t worst) {
    TPlanDrawing d;
    std::map<std::string, Site> sites;
    for (const GamaPoint& p : results.fixed)
        if (p.hasXY) sites[p.id] = Site{p.x, p.y, true, nullptr};
    for (const GamaPoint& p : results.points)
        if (p.hasXY) sites[p.id] = Site{p.x, p.y, p.constrainedXY, &p};
    if (sites.size() < 2) return d;
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const auto& [id, s] : sites) {
        minX = std::min(minX, s.x);
        maxX = std::max(maxX, s.x);
        minY = std::min(minY, s.y);
        maxY = std::max(maxY, s.y);
    }
    const double spanX = std::max(maxX - minX, 1e-3), spanY = std::max(maxY - minY, 1e-3);
    const double scale = std::min((kWidth - 2 * kMargin) / spanX, (kHeight - 2 * kMargin - 30) / spanY);
    const double offX = (kWidth - spanX * scale) / 2, offY = (kHeight - 30 - spanY * scale) / 2;
    auto px = [&](double x) { return offX + (x - minX) * scale; };
    auto py = [&](double y) { return kHeight - 30 - offY - (y - minY) * scale; };

    // Ellipses: the largest standard one drawn about 30 px long.
    double largest = 0;
    for (const GamaPoint& p : results.points)
        if (p.hasXY) largest = std::max(largest, StandardEllipse(p.cxx, p.cxy, p.cyy).a);
    d.magnification = largest > 0 ? RoundDownNice(30.0 / (largest / 1000.0 * scale)) : 1;

    std::string svg = Header("Plan du réseau");
    // Observed lines, each pair once; red when one of its observations is flagged.
    std::map<std::pair<std::string, std::string>, bool> lines;
    std::pair<std::string, std::string> worstKey;
    for (std::size_t i = 0; i < results.observations.size(); ++i) {
        const GamaObservation& o = results.observations[i];
        if (!PairKind(o) || !sites.count(o.from) || !sites.count(o.to) || o.from == o.to) continue;
        auto key = o.from < o.to ? std::make_pair(o.from, o.to) : std::make_pair(o.to, o.from);
        lines[key] = lines[key] || (i < flagged.size() && flagged[i]);
        if (i == worst) worstKey = key;
    }
    for (int pass = 0; pass < 3; ++pass) {  // red lines over grey ones, the worst over all
        for (const auto& [key, red] : lines) {
            const bool thick = key == worstKey;
            if ((thick ? 2 : red ? 1 : 0) != pass) continue;
            const Site& a = sites[key.first];
            const Site& b = sites[key.second];
            svg += "<line x1=\"" + Num(px(a.x)) + "\" y1=\"" + Num(py(a.y)) + "\" x2=\"" + Num(px(b.x)) + "\" y2=\"" +
                   Num(py(b.y)) + (thick ? "\" stroke=\"#a00000\" stroke-width=\"6\"/>\n"
                                   : red ? "\" stroke=\"#d00000\" stroke-width=\"2\"/>\n"
                                         : "\" stroke=\"#8080a0\" stroke-width=\"1\"/>\n");
        }
    }
    for (const auto& [id, s] : sites) {
        const double cx = px(s.x), cy = py(s.y);
        if (s.point && (s.point->cxx > 0 || s.point->cyy > 0)) {
            const TEllipse e = StandardEllipse(s.point->cxx, s.point->cxy, s.point->cyy);
            // Direction of the major axis from the x axis towards the y
            // axis; the drawing's y axis points down.
            const double theta = 0.5 * std::atan2(2 * s.point->cxy, s.point->cxx - s.point->cyy) * 180.0 / M_PI;
            const double k = d.magnification / 1000.0 * scale;
            svg += "<ellipse cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" rx=\"" + Format("%.2f", e.a * k) +
                   "\" ry=\"" + Format("%.2f", e.b * k) + "\" transform=\"rotate(" + Format("%.2f", -theta) + " " +
                   Num(cx) + " " + Num(cy) + ")\" fill=\"#2060c0\" fill-opacity=\"0.15\" stroke=\"#2060c0\"/>\n";
        }
        if (s.fixed) svg += Triangle(cx, cy, "#ffd000");
        else svg += "<circle cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"3.5\" fill=\"#000000\"/>\n";
        svg += "<text x=\"" + Num(cx + 8) + "\" y=\"" + Num(cy - 6) + "\">" + XmlEscape(id) + "</text>\n";
    }
    // Scale bar and legend.
    d.barMetres = RoundDownNice(spanX / 4);
    const double bar = d.barMetres * scale;
    const double by = kHeight - 18;
    svg += "<line x1=\"20\" y1=\"" + Num(by) + "\" x2=\"" + Num(20 + bar) + "\" y2=\"" + Num(by) +
           "\" stroke=\"#000000\" stroke-width=\"3\"/>\n";
    svg += "<text x=\"20\" y=\"" + Num(by - 6) + "\">" + XmlEscape(Format("%g m", d.barMetres)) + "</text>\n";
    svg += "<text x=\"" + Num(40 + bar) + "\" y=\"" + Num(by - 4) + "\">" +
           XmlEscape(Format("ellipses d'erreur standard agrandies %g fois", d.magnification)) + "</text>\n";
    svg += "<text x=\"" + Num(40 + bar) + "\" y=\"" + Num(by + 12) + "\">" +
           XmlEscape("triangle : point fixe ; rouge : faute probable (trait épais : la plus forte)") + "</text>\n";
    // North arrow (y axis up).
    svg += "<line x1=\"" + Num(kWidth - 25) + "\" y1=\"45\" x2=\"" + Num(kWidth - 25) +
           "\" y2=\"15\" stroke=\"#000000\" stroke-width=\"1.5\"/>\n";
    svg += Triangle(kWidth - 25, 15, "#000000");
    svg += "<text x=\"" + Num(kWidth - 29) + "\" y=\"60\">y</text>\n";
    svg += "</svg>";
    d.svg = std::move(svg);
    return d;
}

TPlanDrawing LevellingProfileSvg(const GamaResults& results, const std::vector<bool>& flagged, std::size_t worst) {
    TPlanDrawing d;
    std::map<std::string, std::pair<double, bool>> heights;  // height, fixed
    for (const GamaPoint& p : results.fixed)
        if (p.hasZ) heights[p.id] = {p.z, true};
    for (const GamaPoint& p : results.points)
        if (p.hasZ) heights[p.id] = {p.z, p.constrainedZ};
    // Points in the order the levelling lines meet them.
    std::vector<std::string> order;
    std::set<std::string> seen;
    for (const GamaObservation& o : results.observations) {
        if (o.kind != "height-diff") continue;
        for (const std::string* id : {&o.from, &o.to})
            if (heights.count(*id) && seen.insert(*id).second) order.push_back(*id);
    }
    if (order.size() < 2) return d;
    double minH = 1e300, maxH = -1e300;
    for (const std::string& id : order) {
        minH = std::min(minH, heights[id].first);
        maxH = std::max(maxH, heights[id].first);
    }
    const double span = std::max(maxH - minH, 0.01);
    const double step = (kWidth - 2 * kMargin) / static_cast<double>(order.size() - 1);
    std::map<std::string, double> xs;
    for (std::size_t i = 0; i < order.size(); ++i) xs[order[i]] = kMargin + step * static_cast<double>(i);
    auto py = [&](double h) { return kHeight - kMargin - 20 - (h - minH) / span * (kHeight - 2 * kMargin - 40); };

    std::string svg = Header("Profil du nivellement");
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < results.observations.size(); ++i) {
            const GamaObservation& o = results.observations[i];
            if (o.kind != "height-diff" || !xs.count(o.from) || !xs.count(o.to)) continue;
            const bool red = i < flagged.size() && flagged[i];
            if ((i == worst ? 2 : red ? 1 : 0) != pass) continue;
            svg += "<line x1=\"" + Num(xs[o.from]) + "\" y1=\"" + Num(py(heights[o.from].first)) + "\" x2=\"" +
                   Num(xs[o.to]) + "\" y2=\"" + Num(py(heights[o.to].first)) +
                   (i == worst ? "\" stroke=\"#a00000\" stroke-width=\"6\"/>\n"
                    : red      ? "\" stroke=\"#d00000\" stroke-width=\"2\"/>\n"
                               : "\" stroke=\"#8080a0\" stroke-width=\"1\"/>\n");
        }
    }
    for (const std::string& id : order) {
        const double cx = xs[id], cy = py(heights[id].first);
        svg += "<line x1=\"" + Num(cx) + "\" y1=\"" + Num(cy) + "\" x2=\"" + Num(cx) + "\" y2=\"" +
               Num(kHeight - kMargin - 10) + "\" stroke=\"#dddddd\"/>\n";
        if (heights[id].second) svg += Triangle(cx, cy, "#ffd000");
        else svg += "<circle cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"3.5\" fill=\"#000000\"/>\n";
        svg += "<text x=\"" + Num(cx + 5) + "\" y=\"" + Num(cy - 8) + "\">" + XmlEscape(id) + "</text>\n";
        svg += "<text x=\"" + Num(cx - 20) + "\" y=\"" + Num(kHeight - kMargin + 5) + "\" font-size=\"9\">" +
               Format("%.4f", heights[id].first) + "</text>\n";
    }
    svg += "<text x=\"20\" y=\"" + Num(kHeight - 12) + "\">" +
           XmlEscape(Format("altitudes de %.4f m à %.4f m ; triangle : point fixe ; rouge : faute probable (trait épais : "
                         "la plus forte)",
                         minH, maxH)) +
           "</text>\n";
    svg += "</svg>";
    d.svg = std::move(svg);
    return d;
}

}  // namespace kestrova
