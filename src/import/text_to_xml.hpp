// The XML form (".xcrt") of a text field book (".crt", ".carnet").
//
// The XML book reduces to the same observations as the text book: each
// prism definition becomes a calibration entry (its constant as `M`), each
// station and pointing names the calibration of its prism by number, the
// height definitions are applied to the stations and targets they name,
// the pointings keep their constant, their distance mode and their comment
// (attributes `mode` and `commentaire`), and the book's comment lines, its
// height definitions and the lines it ignores are kept as XML comments
// where they stood.
//
// The book is read twice as it streams by: a first reading gathers the
// prisms and heights (the heights apply to the whole book, the prisms go
// first in the XML book) and checks that the lines are a text book; the
// second writes the XML book. Memory holds one pointing at a time.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

class TLineSink;

// The lines are not a text book (no station line, bytes of a binary or
// UTF-16 file). French message.
class TextToXmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TextToXmlReport {
    long long stations = 0;
    long long pointings = 0;
    // Book lines (from 1) that could be read only in part, the first
    // kMaxNamedLines of them, and how many there are in all.
    std::vector<int> unreadLines;
    long long unreadCount = 0;
    // French, empty when every line was read: names the first unread line
    // (and how many others there are).
    std::string unreadWarning;
    // French, empty when every number is one: the fields the book reads
    // as a default (0, 760.1) because they are not numbers ("abc", "nan",
    // "132,1876"), line and field named.
    std::string numberWarning;
    // French: lines that are not book lines, when they are most of the file.
    std::vector<std::string> warnings;
};

// Gives the next line of the book (valid until the next call); false
// after the last.
using TBookLineSource = std::function<bool(std::string_view&)>;

// Writes the XML form of the book to `sink`. `first` and `second` each give
// every line of the book, from its first. Throws TextToXmlError before
// anything is written when the lines are not a text book. A line that
// cannot be read completely keeps what it gave and the reading goes on; the
// report says so.
TextToXmlReport WriteTextBookAsXml(const TBookLineSource& first, const TBookLineSource& second, TLineSink& sink);

struct TextToXmlResult {
    std::vector<std::string> xml;  // whole document, UTF-8; write with FileEncoding::Latin1Xml
    std::vector<int> unreadLines;  // book lines (from 1) that could be read only in part
    std::string warning;           // as TextToXmlReport::unreadWarning
    std::vector<std::string> warnings;  // numberWarning first, when there is one
};

// The same on lines in memory. Throws TextToXmlError.
TextToXmlResult ConvertTextBookToXml(const std::vector<std::string>& lines);

}  // namespace kestrova
