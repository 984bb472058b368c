// The sketch of one station of a reduction report: the station at the
// centre, each target placed by its reduced direction (clockwise from the
// opening target, which points up) and its horizontal distance, the targets
// without a distance on a ring of their own, and beside the plan, per
// target, one small bar per pointing for each residual (dHz and dV in cc,
// dDp in mm, as the report lists them), drawn red beyond three a-priori
// standard deviations so that an outlier stands out. An invalid station is
// placed from its raw pointings and drawn grey with its messages.
//
// Everything is computed here, in drawing units (one unit = one pixel at
// 100 %, y pointing down); sketch_svg turns it into SVG.
#pragma once
#include <string>
#include <vector>

#include "exports/report_reader.hpp"

namespace kestrova {

// Three a-priori standard deviations, in cc (Hz, V) and mm (Dp); a limit of
// 0 or less marks nothing.
struct TSketchLimits {
    double hz = 0.0, v = 0.0, dp = 0.0;
};
// From the <stations> attributes SigmaHz, SigmaV (gons) and SigmaDp (m).
TSketchLimits SketchLimitsFromReport(const TReportAttrs& stations);

struct TSketchBar {
    double x = 0, y = 0, width = 0, height = 0;  // x, width: the bar runs from x to x + width
    double value = 0;
    bool off = false;  // beyond the limit
};

// One residual column of one target.
struct TSketchCell {
    std::vector<TSketchBar> bars;  // at most kSketchMaxBars, the largest kept
    std::size_t count = 0;         // residuals of the target in this column
    double largest = 0;            // signed value of the largest in size
    bool any = false;
    bool off = false;
};

struct TSketchTarget {
    std::string name;
    bool opening = false;
    bool hasDistance = false;
    double direction = 0;  // gons, clockwise from the opening target
    double distance = 0;   // horizontal, metres (0 without a distance)
    double east = 0, north = 0;  // metres from the station (north = the opening); 0 without a distance
    double px = 0, py = 0;       // drawing position of the marker
    bool off = false;            // some residual beyond its limit
    double rowY = 0, rowHeight = 0;  // its row in the residual panel
    TSketchCell cells[3];            // dHz, dV, dDp
};

struct TStationSketch {
    std::string num, name;
    bool valid = false;
    std::vector<std::string> messages;
    std::vector<TSketchTarget> targets;

    double width = 0, height = 0;  // the whole drawing
    double cx = 0, cy = 0;         // the station
    double pixelsPerMetre = 0;     // 0 when no target has a distance
    double maxDistance = 0;
    double ringRadius = 0;  // the ring of targets without a distance (0: none)
    double scaleMetres = 0, scaleX = 0, scaleY = 0, scalePixels = 0;
    double panelX = 0;      // left edge of the residual panel
    double cellX[3] = {};   // centre line of each residual column
    double cellHalf = 0;    // pixels from the centre line to a full bar
    double span[3] = {};    // residual value drawn at full length, per column
    TSketchLimits limits;
    double captionY = 0;              // first caption line
    std::vector<std::string> caption; // caption lines, then the messages
};

constexpr std::size_t kSketchMaxBars = 16;

TStationSketch BuildStationSketch(const TReportStation& station, const TSketchLimits& limits);

// The length of the scale bar for a plan whose farthest target lies at
// `maxDistance` metres: 1, 2 or 5 times a power of ten, at most half of it.
double SketchScaleLength(double maxDistance);

}  // namespace kestrova
