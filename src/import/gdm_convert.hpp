// Conversion of Trimble GDM recordings into field books.
//
// A GDM line is a record "label=value". The records read are
//   2 station name        3 instrument height     5 target name
//   6 target height       7 (17) horizontal angle 8 (18) vertical angle
//   9 slope distance      56 temperature (°C)     74 pressure (hPa)
// A station's block runs from its "2=" line to the next "2=" or "5=" line,
// a target's block from its "5=" line to the next "2=" or "5=" line; the
// labels of a station or target are looked for anywhere in its block, so
// that other records (a "4=" code line, coordinates "37=", "38=", "39=")
// may sit between them.
//
// The text route and the XML route keep their own text forms: the text
// route rewrites angles and distances with fixed digits and reads labels
// 17 and 18; the XML route copies the values as recorded and knows only
// 6, 7, 8 and 9.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// An angle or distance of the text route that is empty or not a number
// stops the conversion. The message is French and names the line of the
// GDM file (counted from 1).
class GdmConversionError : public std::runtime_error {
public:
    GdmConversionError(int lineNumber, const std::string& message);
    int lineNumber() const { return lineNumber_; }

private:
    int lineNumber_;
};

// A height recorded in metres, decimetres, centimetres, millimetres or
// tenths of millimetres, in metres when the true height is below 5 m:
// below 5 unchanged, below 50 / 10, below 500 / 100, below 5000 / 1000,
// else / 10000.
double NormaliseHeight(double height);

// Text forms of the text route (digits cut, not rounded):
//   FormatAngleText("123.4567") == "123.45670", ("98.7654") == "098.76540"
//   FormatDistanceText("12.345") == "0012.3450"
// At least three (four) integer digits, "000" ("    ") when there is no
// integer part; exactly five (four) decimals. Throws std::invalid_argument
// when the text is not a plain decimal number.
std::string FormatAngleText(std::string_view value);
std::string FormatDistanceText(std::string_view value);

struct GdmBook {
    std::vector<std::string> lines;  // the field book, UTF-8
    int stationCount = 0;            // "2=" records
};

// Text field book: one line per "2=" and "5=" record, in source order;
// without any "2=" record the default station line comes first. Write the
// lines with FileEncoding::Cp1252. Throws GdmConversionError.
GdmBook GdmToTextBook(const std::vector<std::string>& lines);

// XML field book (UTF-8 lines of the whole document, declaration
// included). Write the lines with FileEncoding::Latin1Xml. Never fails.
GdmBook GdmToXmlBook(const std::vector<std::string>& lines);

}  // namespace kestrova
