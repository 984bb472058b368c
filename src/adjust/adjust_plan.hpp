// The drawings of the adjustment report, as inline SVG: the plan of a
// network (points, observed lines, fixed points, error ellipses magnified
// at a stated scale, flagged observations in red) and, for a levelling
// network, the profile of its heights along the levelling lines.
#pragma once
#include <string>
#include <vector>

#include "adjust/gama_results.hpp"

namespace kestrova {

struct TPlanDrawing {
    std::string svg;
    double magnification = 1;  // of the ellipses (plan) or the standard deviations (profile)
    double barMetres = 0;      // length of the plan's scale bar
};

// `flagged[i]` tells whether results.observations[i] is a probable fault;
// the line of observation `worst` (the first fault; out of range: none) is
// drawn thicker. A network without two planimetric points gives an empty
// drawing.
TPlanDrawing NetworkPlanSvg(const GamaResults& results, const std::vector<bool>& flagged, std::size_t worst);
TPlanDrawing LevellingProfileSvg(const GamaResults& results, const std::vector<bool>& flagged, std::size_t worst);

// 1, 2 or 5 times a power of ten, at most `value` (value > 0).
double RoundDownNice(double value);

}  // namespace kestrova
