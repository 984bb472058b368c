#include "import/text_to_xml.hpp"

#include "base/format.hpp"
#include "fieldbook/xml_book.hpp"

namespace kestrova {

TextToXmlResult ConvertTextBookToXml(const std::vector<std::string>& lines) {
    TextToXmlResult r;
    for (std::string& line : TextToXmlBook(lines, &r.unreadLines))
        if (!line.empty()) r.xml.push_back(std::move(line));
    if (!r.unreadLines.empty()) {
        r.warning = Format("Lecture du carnet incomplète à la ligne %d : ligne lue en partie", r.unreadLines.front());
        const size_t others = r.unreadLines.size() - 1;
        if (others == 1) r.warning += " (et 1 autre ligne)";
        else if (others > 1) r.warning += Format(" (et %d autres lignes)", static_cast<int>(others));
        r.warning += ".";
    }
    return r;
}

}  // namespace kestrova
