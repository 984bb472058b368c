// The XML book as the calibration editor and the target assignment change
// it: parsed from the document's lines, changed as a tree, given back as
// lines with the book's indentation.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "tools/calibration_editor.hpp"

namespace kestrova {

// The first line is an XML declaration ("xml ve" at positions 3 to 8 once
// trimmed) and the text parses.
bool IsXmlBookText(const std::vector<std::string>& lines);
bool ParseXmlBook(const std::vector<std::string>& lines, pugi::xml_document& doc);

// The document as lines, each given the indentation of its element:
// `etalonnages` 3 blanks, `station` 6, `rawdata` 9, `obs` 12, closing
// `stations` 3; the others keep 3 blanks per level.
std::vector<std::string> XmlBookLines(const pugi::xml_document& doc);
std::string IndentBookLine(const std::string& line);

// Puts the targets as the first child of the root: one `etalonnages`
// element with one `etalonnage` per target (`id` its position from 1,
// `nom`, `cste`), carrying what the book reader needs: a `num` above every
// other calibration's number and neutral calibration values whose additive
// constant M is minus the target's constant, like a prism definition of the
// text book. An `etalonnages` element written earlier by the editor (its
// entries have a `nom`) or an empty one is removed first. Returns the `num`
// of each target.
std::vector<int> PutTargets(pugi::xml_node root, const std::vector<TCible>& cibles);

// The `station` elements of the book: every child of each `stations`
// child of the root.
std::vector<pugi::xml_node> BookStations(pugi::xml_node root);
// The observations of a station: the children of its first child element.
std::vector<pugi::xml_node> StationObservations(pugi::xml_node station);

}  // namespace kestrova
