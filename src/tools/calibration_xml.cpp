#include "tools/calibration_xml.hpp"

#include <algorithm>
#include <sstream>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

// The entries written by the editor carry a `nom`; an element without any
// entry holds nothing a reader uses.
bool WrittenByEditorOrEmpty(pugi::xml_node etalonnages) {
    for (pugi::xml_node e = etalonnages.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) continue;
        if (!e.attribute("nom")) return false;
    }
    return true;
}

}  // namespace

bool IsXmlBookText(const std::vector<std::string>& lines) {
    if (lines.empty()) return false;
    const std::string first = Trim(lines.front());
    return first.size() >= 8 && first.compare(2, 6, "xml ve") == 0;
}

bool ParseXmlBook(const std::vector<std::string>& lines, pugi::xml_document& doc) {
    if (!IsXmlBookText(lines)) return false;
    std::string text;
    for (const std::string& l : lines) {
        text += l;
        text += '\n';
    }
    const pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    return r && doc.document_element();
}

std::string IndentBookLine(const std::string& line) {
    const std::string t = TrimLeft(line);
    auto is = [&](std::string_view tag) {
        // The tag name followed by a blank, ">" or "/".
        if (!StartsWith(t, tag) || t.size() == tag.size()) return StartsWith(t, tag) && t.size() == tag.size();
        const char c = t[tag.size()];
        return c == ' ' || c == '>' || c == '/' || c == '\t';
    };
    int indent = -1;
    if (is("<etalonnages") || is("</etalonnages")) indent = 3;
    else if (is("<station") || is("</station")) indent = 6;
    else if (is("<rawdata") || is("</rawdata")) indent = 9;
    else if (is("<obs")) indent = 12;
    else if (is("</stations")) indent = 3;
    if (indent < 0) return line;
    return std::string(static_cast<std::size_t>(indent), ' ') + t;
}

std::vector<std::string> XmlBookLines(const pugi::xml_document& doc) {
    std::ostringstream out;
    doc.save(out, "   ", pugi::format_indent, pugi::encoding_utf8);
    const std::string text = out.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(IndentBookLine(line));
        start = end + 1;
    }
    return lines;
}

std::vector<int> PutTargets(pugi::xml_node root, const std::vector<TCible>& cibles) {
    std::vector<pugi::xml_node> earlier;
    for (pugi::xml_node c = root.child("etalonnages"); c; c = c.next_sibling("etalonnages"))
        if (WrittenByEditorOrEmpty(c)) earlier.push_back(c);
    for (pugi::xml_node c : earlier) root.remove_child(c);

    // Numbers above those of the book's own calibrations: a station that
    // names one of them keeps it.
    long long highest = 0;
    for (pugi::xml_node c = root.child("etalonnages"); c; c = c.next_sibling("etalonnages"))
        for (pugi::xml_node e = c.first_child(); e; e = e.next_sibling())
            if (e.type() == pugi::node_element)
                if (const auto n = TextToInt(Trim(e.attribute("num").value()))) highest = std::max(highest, *n);

    pugi::xml_node block = root.prepend_child("etalonnages");
    std::vector<int> nums;
    for (std::size_t i = 0; i < cibles.size(); ++i) {
        const int num = static_cast<int>(highest) + static_cast<int>(i) + 1;
        pugi::xml_node e = block.append_child("etalonnage");
        e.append_attribute("id").set_value(Format("%d", static_cast<int>(i) + 1).c_str());
        e.append_attribute("nom").set_value(cibles[i].nom.c_str());
        e.append_attribute("cste").set_value(GeneralNumber(cibles[i].cste).c_str());
        e.append_attribute("num").set_value(Format("%d", num).c_str());
        e.append_attribute("serial").set_value("0");
        e.append_attribute("methode").set_value("");
        e.append_attribute("P").set_value("3");
        e.append_attribute("Ddep").set_value("0");
        e.append_attribute("Dmax").set_value("9999.99");
        e.append_attribute("M").set_value(GeneralNumber(-cibles[i].cste).c_str());
        e.append_attribute("deg_Fourier").set_value("0");
        e.append_attribute("deg_polynome").set_value("0");
        e.append_attribute("n_corr_interp").set_value("0");
        nums.push_back(num);
    }
    return nums;
}

std::vector<pugi::xml_node> BookStations(pugi::xml_node root) {
    std::vector<pugi::xml_node> stations;
    for (pugi::xml_node s = root.child("stations"); s; s = s.next_sibling("stations"))
        for (pugi::xml_node st = s.first_child(); st; st = st.next_sibling())
            if (st.type() == pugi::node_element) stations.push_back(st);
    return stations;
}

std::vector<pugi::xml_node> StationObservations(pugi::xml_node station) {
    std::vector<pugi::xml_node> obs;
    pugi::xml_node raw = station.first_child();
    while (raw && raw.type() != pugi::node_element) raw = raw.next_sibling();
    if (!raw) return obs;
    for (pugi::xml_node o = raw.first_child(); o; o = o.next_sibling())
        if (o.type() == pugi::node_element) obs.push_back(o);
    return obs;
}

}  // namespace kestrova
