#include "adjust/gama_results.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <cstring>

#include <pugixml.hpp>

#include "base/numbers.hpp"

namespace kestrova {

namespace {

double Number(pugi::xml_node node) {
    std::string text = node.text().get();
    const std::size_t b = text.find_first_not_of(" \t\r\n");
    const std::size_t e = text.find_last_not_of(" \t\r\n");
    text = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
    return TextToDouble(text).value_or(0.0);
}

int Count(pugi::xml_node node) { return static_cast<int>(std::lround(Number(node))); }

std::string Text(pugi::xml_node node) { return node.text().get(); }

// The coordinate `lower` or its constrained form `upper`; false when absent.
bool Coordinate(pugi::xml_node point, const char* lower, const char* upper, double* value, bool* constrained) {
    if (pugi::xml_node n = point.child(lower)) {
        *value = Number(n);
        if (constrained) *constrained = false;
        return true;
    }
    if (pugi::xml_node n = point.child(upper)) {
        *value = Number(n);
        if (constrained) *constrained = true;
        return true;
    }
    return false;
}

// The reason of an <error> element: its descriptions and its line.
std::string ErrorText(pugi::xml_node error) {
    std::string text;
    for (pugi::xml_node d : error.children("description")) {
        std::string part = Text(d);
        if (part.empty()) continue;
        if (!text.empty()) text += " : ";
        text += part;
    }
    if (pugi::xml_node line = error.child("lineNumber")) text += " (ligne " + Text(line) + ")";
    if (text.empty()) text = "erreur sans description";
    return text;
}

}  // namespace

double GamaPoint::sx() const { return std::sqrt(std::max(0.0, cxx)); }
double GamaPoint::sy() const { return std::sqrt(std::max(0.0, cyy)); }
double GamaPoint::sz() const { return std::sqrt(std::max(0.0, czz)); }

bool GamaObservation::angular() const {
    return kind == "direction" || kind == "angle" || kind == "zenith-angle" || kind == "azimuth";
}

double GamaObservation::residual() const {
    double d = adjusted - observed;
    if (angular()) {
        // Across 0 / 400 gon.
        while (d > 200) d -= 400;
        while (d < -200) d += 400;
        return d * 10000.0;
    }
    return d * 1000.0;
}

std::string GamaObservation::KindText() const {
    static const std::pair<const char*, const char*> kNames[] = {
        {"direction", "direction"},         {"angle", "angle"},
        {"zenith-angle", "angle zénithal"}, {"azimuth", "gisement"},
        {"distance", "distance"},           {"slope-distance", "distance inclinée"},
        {"height-diff", "dénivelée"},       {"dx", "vecteur dx"},
        {"dy", "vecteur dy"},               {"dz", "vecteur dz"},
        {"coordinate-x", "coordonnée x"},   {"coordinate-y", "coordonnée y"},
        {"coordinate-z", "coordonnée z"},
    };
    for (const auto& [k, name] : kNames)
        if (kind == k) return name;
    return kind;
}

const GamaPoint* GamaResults::Point(const std::string& id) const {
    for (const GamaPoint& p : points)
        if (p.id == id) return &p;
    return nullptr;
}

double GamaResults::LargestChange() const {
    double largest = 0;
    for (const GamaPoint& p : points) {
        if (!p.hasApprox) continue;
        if (p.hasXY && !p.constrainedXY)
            largest = std::max({largest, std::fabs(p.x - p.ax), std::fabs(p.y - p.ay)});
        if (p.hasZ && !p.constrainedZ) largest = std::max(largest, std::fabs(p.z - p.az));
    }
    return largest;
}

GamaResults ReadGamaResults(const std::string& xml) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    pugi::xml_node root = doc.child("gama-local-adjustment");
    if (!parsed || !root) throw GamaRunError("gama-local n'a pas écrit de résultats lisibles");
    if (pugi::xml_node error = root.child("error")) throw GamaRunError(ErrorText(error));

    GamaResults r;
    pugi::xml_node general = root.child("network-general-parameters");
    r.version = general.attribute("gama-local-version").value();
    r.algorithm = general.attribute("gama-local-algorithm").value();

    pugi::xml_node summary = root.child("network-processing-summary");
    pugi::xml_node coords = summary.child("coordinates-summary");
    auto counts = [&](const char* name, int* xyz, int* xy, int* z) {
        pugi::xml_node n = coords.child(name);
        *xyz = Count(n.child("count-xyz"));
        *xy = Count(n.child("count-xy"));
        *z = Count(n.child("count-z"));
    };
    counts("coordinates-summary-adjusted", &r.adjustedXYZ, &r.adjustedXY, &r.adjustedZ);
    counts("coordinates-summary-constrained", &r.constrainedXYZ, &r.constrainedXY, &r.constrainedZ);
    counts("coordinates-summary-fixed", &r.fixedXYZ, &r.fixedXY, &r.fixedZ);
    pugi::xml_node eq = summary.child("project-equations");
    r.equations = Count(eq.child("equations"));
    r.unknowns = Count(eq.child("unknowns"));
    r.degreesOfFreedom = Count(eq.child("degrees-of-freedom"));
    r.defect = Count(eq.child("defect"));
    r.sumOfSquares = Number(eq.child("sum-of-squares"));
    r.iterations = Count(eq.child("linearization-iterations"));
    pugi::xml_node sd = summary.child("standard-deviation");
    r.apriori = Number(sd.child("apriori"));
    r.aposteriori = Number(sd.child("aposteriori"));
    r.sigmaUsed = Text(sd.child("used"));
    r.probability = Number(sd.child("probability"));
    r.ratio = Number(sd.child("ratio"));
    r.hasTest = sd.child("lower") && sd.child("upper");
    r.lower = Number(sd.child("lower"));
    r.upper = Number(sd.child("upper"));
    r.testFailed = static_cast<bool>(sd.child("failed"));
    r.confidenceScale = Number(sd.child("confidence-scale"));

    pugi::xml_node coordinates = root.child("coordinates");
    if (!coordinates || !coordinates.child("adjusted"))
        throw GamaRunError("gama-local n'a donné aucune coordonnée ajustée");
    for (pugi::xml_node p : coordinates.child("fixed").children("point")) {
        GamaPoint g;
        g.id = Text(p.child("id"));
        g.hasXY = Coordinate(p, "x", "X", &g.x, nullptr) && Coordinate(p, "y", "Y", &g.y, nullptr);
        g.hasZ = Coordinate(p, "z", "Z", &g.z, nullptr);
        r.fixed.push_back(g);
    }
    for (pugi::xml_node p : coordinates.child("adjusted").children("point")) {
        GamaPoint g;
        g.id = Text(p.child("id"));
        bool cy = false;
        g.hasXY = Coordinate(p, "x", "X", &g.x, &g.constrainedXY) && Coordinate(p, "y", "Y", &g.y, &cy);
        g.constrainedXY = g.constrainedXY || cy;
        g.hasZ = Coordinate(p, "z", "Z", &g.z, &g.constrainedZ);
        r.points.push_back(g);
    }
    for (pugi::xml_node p : coordinates.child("approximate").children("point")) {
        const std::string id = Text(p.child("id"));
        for (GamaPoint& g : r.points) {
            if (g.id != id) continue;
            g.hasApprox = true;
            Coordinate(p, "x", "X", &g.ax, nullptr);
            Coordinate(p, "y", "Y", &g.ay, nullptr);
            Coordinate(p, "z", "Z", &g.az, nullptr);
        }
    }
    for (pugi::xml_node o : coordinates.child("orientation-shifts").children("orientation")) {
        GamaOrientation g;
        g.id = Text(o.child("id"));
        g.approx = Number(o.child("approx"));
        g.adjusted = Number(o.child("adj"));
        r.orientations.push_back(g);
    }

    // The covariance matrix, upper band by rows: the unknowns of the
    // adjusted points in their order (x, y, z as each has them), then the
    // orientations.
    pugi::xml_node cov = coordinates.child("cov-mat");
    const long dim = Count(cov.child("dim"));
    const long band = Count(cov.child("band"));
    std::vector<double> values;
    for (pugi::xml_node f : cov.children("flt")) values.push_back(Number(f));
    // Element (i, j), j >= i, |j - i| <= band; 0 outside.
    std::vector<std::size_t> rowStart(static_cast<std::size_t>(std::max(0L, dim)) + 1, 0);
    for (long i = 0; i < dim; ++i)
        rowStart[static_cast<std::size_t>(i) + 1] =
            rowStart[static_cast<std::size_t>(i)] + static_cast<std::size_t>(std::min(band, dim - 1 - i) + 1);
    auto element = [&](long i, long j) -> double {
        if (j < i) std::swap(i, j);
        if (i < 0 || j >= dim || j - i > band) return 0.0;
        const std::size_t k = rowStart[static_cast<std::size_t>(i)] + static_cast<std::size_t>(j - i);
        return k < values.size() ? values[k] : 0.0;
    };
    if (dim > 0 && rowStart.back() == values.size()) {
        long row = 0;
        for (GamaPoint& g : r.points) {
            if (g.hasXY) {
                g.cxx = element(row, row);
                g.cxy = element(row, row + 1);
                g.cyy = element(row + 1, row + 1);
                row += 2;
            }
            if (g.hasZ) {
                g.czz = element(row, row);
                ++row;
            }
        }
        for (GamaOrientation& o : r.orientations) {
            o.stdev = std::sqrt(std::max(0.0, element(row, row)));
            ++row;
        }
    }

    for (pugi::xml_node o : root.child("observations").children()) {
        if (o.type() != pugi::node_element) continue;
        GamaObservation g;
        g.kind = o.name();
        if (pugi::xml_node id = o.child("id")) {
            g.from = Text(id);
        } else {
            g.from = Text(o.child("from"));
            g.to = o.child("to") ? Text(o.child("to")) : Text(o.child("bs")) + " / " + Text(o.child("fs"));
        }
        g.observed = Number(o.child("obs"));
        g.adjusted = Number(o.child("adj"));
        g.stdev = Number(o.child("stdev"));
        g.qrr = Number(o.child("qrr"));
        g.f = Number(o.child("f"));
        if (pugi::xml_node s = o.child("std-residual")) {
            g.hasStdResidual = true;
            g.stdResidual = Number(s);
        }
        r.observations.push_back(g);
    }
    return r;
}

double CriticalValueFromText(const std::string& text, double fallback) {
    static const char kMark[] = "valeur critique";
    const std::size_t at = text.find(kMark);
    if (at == std::string::npos) return fallback;
    std::size_t b = at + std::strlen(kMark);
    while (b < text.size() && text[b] == ' ') ++b;
    std::size_t e = b;
    while (e < text.size() && (std::isdigit(static_cast<unsigned char>(text[e])) || text[e] == '.')) ++e;
    const std::optional<double> v = TextToDouble(std::string_view(text).substr(b, e - b));
    return v && *v > 0 ? *v : fallback;
}

}  // namespace kestrova
