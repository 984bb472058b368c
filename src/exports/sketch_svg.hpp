// A station sketch as an SVG element (inline in the HTML report, rendered
// by the report viewer). Texts are escaped to ASCII with character
// references, so the element can go into a file of any 8-bit encoding.
#pragma once
#include <string>

#include "exports/station_sketch.hpp"

namespace kestrova {

// One <svg> element, lines separated by "\n". `id` is put on the element
// when not empty.
std::string SketchSvg(const TStationSketch& sketch, const std::string& id = "");

}  // namespace kestrova
