#include "tools/target_assignment.hpp"

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "fieldbook/corrections.hpp"
#include "tools/calibration_xml.hpp"

namespace kestrova {

namespace {

// The first attribute value of a line whose element is `station`, if it is one.
std::optional<std::string> StationLineNumber(const std::string& line) {
    const std::string t = Trim(line);
    if (!StartsWith(t, "<station") || t.size() <= 8) return std::nullopt;
    const char after = t[8];
    if (after != ' ' && after != '>' && after != '\t' && after != '/') return std::nullopt;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return std::string();
    std::size_t q = eq + 1;
    while (q < t.size() && t[q] == ' ') ++q;
    if (q >= t.size() || (t[q] != '"' && t[q] != '\'')) return std::string();
    const std::size_t end = t.find(t[q], q + 1);
    if (end == std::string::npos) return std::string();
    return t.substr(q + 1, end - q - 1);
}

}  // namespace

std::optional<std::vector<TAssignStation>> AssignmentStations(const std::vector<std::string>& lines) {
    pugi::xml_document doc;
    if (!ParseXmlBook(lines, doc)) return std::nullopt;
    std::vector<TAssignStation> stations;
    for (pugi::xml_node st : BookStations(doc.document_element())) {
        TAssignStation s;
        s.num = st.attribute("num").value();
        s.pt_sta = st.attribute("pt_sta").value();
        for (pugi::xml_node o : StationObservations(st)) s.pt_vis.push_back(o.attribute("pt_vis").value());
        stations.push_back(std::move(s));
    }
    return stations;
}

int AssignmentStartStation(const std::vector<std::string>& lines, int caretLine, std::size_t stationCount) {
    const int last = std::min<int>(caretLine, static_cast<int>(lines.size()));
    for (int i = last; i >= 1; --i) {
        const auto number = StationLineNumber(lines[static_cast<std::size_t>(i - 1)]);
        if (!number) continue;
        const auto n = TextToInt(Trim(*number));
        if (n && *n >= 1 && static_cast<std::size_t>(*n) <= stationCount) return static_cast<int>(*n - 1);
        return 0;
    }
    return 0;
}

TToolResult ApplyAssignment(const std::vector<std::string>& lines, const std::vector<TCible>& cibles,
                            const TAssignmentTable& table) {
    TToolResult result;
    pugi::xml_document doc;
    if (!ParseXmlBook(lines, doc)) {
        result.messages.push_back("carnet");
        return result;
    }
    pugi::xml_node root = doc.document_element();
    const std::vector<int> nums = PutTargets(root, cibles);

    const std::vector<pugi::xml_node> stations = BookStations(root);
    for (std::size_t s = 0; s < stations.size() && s < table.size(); ++s) {
        const std::vector<pugi::xml_node> obs = StationObservations(stations[s]);
        for (std::size_t k = 0; k < obs.size() && k < table[s].size(); ++k) {
            const std::string& name = table[s][k];
            if (name.empty()) continue;
            std::size_t t = 0;
            while (t < cibles.size() && cibles[t].nom != name) ++t;
            if (t == cibles.size()) continue;  // a name no target has
            pugi::xml_node o = obs[k];
            const double former = TextToDoubleOr(Trim(o.attribute("cste").value()), 0.0, true);
            pugi::xml_attribute dp = o.attribute("Dp");
            // A pointing without distance (0.05 m or less) stays without.
            if (dp && !Trim(dp.value()).empty()) {
                const auto d = TextToDouble(Trim(dp.value()), true);
                if (d && *d > kNoDistance) dp.set_value(GeneralNumber(*d - former + cibles[t].cste).c_str());
            }
            pugi::xml_attribute cste = o.attribute("cste");
            if (!cste) cste = o.append_attribute("cste");
            cste.set_value(GeneralNumber(cibles[t].cste).c_str());
            pugi::xml_attribute etal = o.attribute("etalonnage");
            if (!etal) etal = o.append_attribute("etalonnage");
            etal.set_value(std::to_string(nums[t]).c_str());
            o.remove_attribute("id_etalonnage");
        }
    }
    result.lines = XmlBookLines(doc);
    result.written = true;
    return result;
}

}  // namespace kestrova
