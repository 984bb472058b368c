// The XML form (".xcrt") of a text field book (".crt", ".carnet").
#pragma once
#include <string>
#include <vector>

namespace kestrova {

struct TextToXmlResult {
    std::vector<std::string> xml;  // whole document, UTF-8; write with FileEncoding::Latin1Xml
    std::vector<int> unreadLines;  // book lines (from 1) that could be read only in part
    // French, empty when every line was read: names the first unread line
    // (and how many others there are).
    std::string warning;
};

// Never fails: a line that cannot be read completely keeps what it gave,
// the reading goes on, and the result says so. An empty book gives empty
// "etalonnages" and "stations" elements.
TextToXmlResult ConvertTextBookToXml(const std::vector<std::string>& lines);

}  // namespace kestrova
