#include "exports/station_sketch.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "fieldbook/reduction.hpp"

namespace kestrova {

namespace {

// Layout, in drawing units.
constexpr double kMargin = 50;        // around the plan, for the labels
constexpr double kPlanRadius = 150;   // the farthest target with a distance
constexpr double kRingRadius = 172;   // targets without a distance
constexpr double kPanelGap = 30;
constexpr double kNameWidth = 110;
constexpr double kCellWidth = 96;
constexpr double kCellGap = 8;
constexpr double kPanelTop = 40;      // first row (the column titles above it)
constexpr double kBarPitch = 4;
constexpr double kBarHeight = 3;
constexpr double kMinRow = 22;
constexpr double kLine = 15;          // caption line height

double Number(const std::string& text, double fallback = 0.0) { return TextToDoubleOr(text, fallback); }

double HorizontalDistance(double slope, double zenithGon) {
    return slope * std::sin(zenithGon * std::numbers::pi / 200.0);
}

// Placement from the raw pointings of an invalid station: each pointing is
// folded to face left, a target takes the direction of its first pointing
// from the opening target's first pointing, and the horizontal distance of
// its first pointing with a distance.
void PlaceFromRaw(const TReportStation& st, std::vector<TSketchTarget>& targets) {
    std::vector<bool> hasDirection;
    std::vector<double> rawDirection;
    for (const TReportAttrs& o : st.raw) {
        const std::string& name = o.Get("pt_vis");
        std::size_t t = 0;
        while (t < targets.size() && targets[t].name != name) ++t;
        if (t == targets.size()) {
            targets.emplace_back();
            targets.back().name = name;
            hasDirection.push_back(false);
            rawDirection.push_back(0);
        }
        double hz = Number(o.Get("Hz")), v = Number(o.Get("V"));
        if (v >= 200.0) {
            hz -= 200.0;
            v = 400.0 - v;
        }
        if (!hasDirection[t]) {
            hasDirection[t] = true;
            rawDirection[t] = NormaliseAngle(hz);
        }
        const double dp = Number(o.Get("Dp"));
        if (!targets[t].hasDistance && dp > 0.05) {
            targets[t].hasDistance = true;
            targets[t].distance = HorizontalDistance(dp, v);
        }
    }
    for (std::size_t t = 0; t < targets.size(); ++t)
        targets[t].direction = NormaliseAngle(rawDirection[t] - rawDirection[0]);
}

void FillCell(TSketchCell& cell, const std::vector<double>& values, double limit) {
    cell.count = values.size();
    cell.any = !values.empty();
    std::vector<std::size_t> keep(values.size());
    for (std::size_t i = 0; i < keep.size(); ++i) keep[i] = i;
    auto bigger = [&](std::size_t a, std::size_t b) { return std::fabs(values[a]) > std::fabs(values[b]); };
    if (keep.size() > kSketchMaxBars) {
        std::nth_element(keep.begin(), keep.begin() + kSketchMaxBars - 1, keep.end(), bigger);
        keep.resize(kSketchMaxBars);
        std::sort(keep.begin(), keep.end());
    }
    for (std::size_t i : keep) {
        TSketchBar b;
        b.value = values[i];
        b.off = limit > 0 && std::fabs(values[i]) > limit;
        cell.off = cell.off || b.off;
        cell.bars.push_back(b);
    }
    for (double v : values)
        if (std::fabs(v) > std::fabs(cell.largest)) cell.largest = v;
}

}  // namespace

TSketchLimits SketchLimitsFromReport(const TReportAttrs& stations) {
    TSketchLimits l;
    l.hz = 3.0 * Number(stations.Get("SigmaHz")) * 10000.0;
    l.v = 3.0 * Number(stations.Get("SigmaV")) * 10000.0;
    l.dp = 3.0 * Number(stations.Get("SigmaDp")) * 1000.0;
    return l;
}

double SketchScaleLength(double maxDistance) {
    if (!(maxDistance > 0)) return 0;
    const double half = maxDistance / 2.0;
    double step = std::pow(10.0, std::floor(std::log10(half)));
    double best = step;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * step <= half * (1 + 1e-12)) best = f * step;
    return best;
}

TStationSketch BuildStationSketch(const TReportStation& st, const TSketchLimits& limits) {
    TStationSketch s;
    s.num = st.attrs.Get("num");
    s.name = st.attrs.Get("pt_sta");
    s.valid = st.attrs.Get("valid") == "Y";
    s.messages = st.logs;
    s.limits = limits;

    // Targets: the reduced values of a valid station, the raw pointings of
    // an invalid one.
    if (s.valid) {
        for (const TReportAttrs& o : st.reduced) {
            TSketchTarget t;
            t.name = o.Get("pt_vis");
            t.direction = Number(o.Get("Hz"));
            const double dp = Number(o.Get("Dp"));
            if (dp > 0.05) {
                t.hasDistance = true;
                t.distance = HorizontalDistance(dp, Number(o.Get("V")));
            }
            s.targets.push_back(std::move(t));
        }
    } else {
        PlaceFromRaw(st, s.targets);
    }
    if (!s.targets.empty()) s.targets[0].opening = true;

    // Residuals of each pointing, gathered by target (first target of that
    // name, as the reduction groups them).
    std::vector<std::vector<double>> values[3];
    for (auto& v : values) v.resize(s.targets.size());
    if (s.valid) {
        for (const TReportAttrs& o : st.raw) {
            const std::string& name = o.Get("pt_vis");
            std::size_t t = 0;
            while (t < s.targets.size() && s.targets[t].name != name) ++t;
            if (t == s.targets.size()) continue;
            const char* keys[3] = {"dHz", "dV", "dDp"};
            for (int q = 0; q < 3; ++q)
                if (auto v = TextToDouble(o.Get(keys[q]))) values[q][t].push_back(*v);
        }
    }

    // Plan: the scale makes the farthest target with a distance lie on the
    // plan radius.
    for (const TSketchTarget& t : s.targets)
        if (t.hasDistance) s.maxDistance = std::max(s.maxDistance, t.distance);
    s.cx = s.cy = kMargin + kRingRadius;
    s.pixelsPerMetre = s.maxDistance > 0 ? kPlanRadius / s.maxDistance : 0;
    bool ring = false;
    for (TSketchTarget& t : s.targets) {
        const double a = t.direction * std::numbers::pi / 200.0;
        if (t.hasDistance) {
            t.east = t.distance * std::sin(a);
            t.north = t.distance * std::cos(a);
            t.px = s.cx + t.east * s.pixelsPerMetre;
            t.py = s.cy - t.north * s.pixelsPerMetre;
        } else {
            ring = true;
            t.px = s.cx + kRingRadius * std::sin(a);
            t.py = s.cy - kRingRadius * std::cos(a);
        }
    }
    s.ringRadius = ring ? kRingRadius : 0;
    const double planSize = 2 * (kMargin + kRingRadius);
    s.scaleMetres = SketchScaleLength(s.maxDistance);
    s.scalePixels = s.scaleMetres * s.pixelsPerMetre;
    s.scaleX = 12;
    s.scaleY = planSize - 14;

    // Residual panel.
    s.panelX = planSize + kPanelGap;
    s.cellHalf = kCellWidth / 2 - 2;
    const double spanFloor[3] = {limits.hz, limits.v, limits.dp};
    for (int q = 0; q < 3; ++q) {
        s.cellX[q] = s.panelX + kNameWidth + q * (kCellWidth + kCellGap) + kCellWidth / 2;
        double m = 0;
        for (const auto& list : values[q])
            for (double v : list) m = std::max(m, std::fabs(v));
        s.span[q] = std::max({m, spanFloor[q], 1.0});
    }
    double y = kPanelTop;
    const double limit[3] = {limits.hz, limits.v, limits.dp};
    for (std::size_t t = 0; t < s.targets.size(); ++t) {
        TSketchTarget& target = s.targets[t];
        std::size_t rows = 0;
        for (int q = 0; q < 3; ++q) {
            FillCell(target.cells[q], values[q][t], limit[q]);
            target.off = target.off || target.cells[q].off;
            rows = std::max(rows, target.cells[q].bars.size());
        }
        target.rowY = y;
        target.rowHeight = std::max(kMinRow, rows * kBarPitch + 6);
        for (int q = 0; q < 3; ++q) {
            double by = y + (target.rowHeight - (target.cells[q].bars.size() * kBarPitch - 1)) / 2;
            for (TSketchBar& b : target.cells[q].bars) {
                const double len = b.value / s.span[q] * s.cellHalf;
                b.x = len < 0 ? s.cellX[q] + len : s.cellX[q];
                b.width = std::fabs(len);
                b.y = by;
                b.height = kBarHeight;
                by += kBarPitch;
            }
        }
        y += target.rowHeight;
    }
    s.width = s.panelX + kNameWidth + 3 * kCellWidth + 2 * kCellGap + 10;

    // Caption and messages under the plan and the panel.
    const std::string opening = s.targets.empty() ? std::string() : s.targets[0].name;
    s.caption.push_back("Station " + s.name + " : nord en haut = 0 gon de l'ouverture (" + opening +
                        "), directions dans le sens horaire.");
    if (s.scaleMetres > 0)
        s.caption.push_back("Échelle : la barre mesure " + Format("%g", s.scaleMetres) +
                            " m (distances horizontales)." + (ring ? " Cibles sans distance sur le cercle pointillé." : ""));
    else if (!s.targets.empty())
        s.caption.push_back("Aucune distance : cibles sur le cercle pointillé, sans échelle.");
    if (s.valid)
        s.caption.push_back("Barres : écart de chaque pointé (dHz, dV en cc, dDp en mm), en rouge au-delà de 3 σ a priori.");
    else
        s.caption.push_back("Station non valide : cibles placées d'après leur premier pointé brut.");
    for (const std::string& m : s.messages) s.caption.push_back(m);
    s.captionY = std::max(planSize, y + 10) + 8;
    s.height = s.captionY + kLine * s.caption.size() + 4;
    return s;
}

}  // namespace kestrova
