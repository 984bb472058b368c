// Conversion of Trimble GDM recordings into field books.
//
// A GDM line is a record "label=value". The records read are
//   2 station name        3 instrument height     5 target name
//   6 target height       56 temperature (°C)     74 pressure (hPa)
//   horizontal directions: 7, 21, 24 (face left), 17 (face right)
//   zenith angles:         8, 25 (face left), 18 (face right)
//   9 slope distance      11 horizontal distance  23 units
// A station's block runs from its "2=" line to the next "2=" or "5=" line,
// a target's block from its "5=" line to the next "2=" or "5=" line; the
// labels of a station or target are looked for anywhere in its block (the
// last occurrence wins), so that other records (a "4=" code line,
// coordinates "37=", "38=", "39=") may sit between them.
//
// Angles are gons, degrees written ddd.mmss ("84.0459" is 84°04'59") or
// decimal degrees: the unit chosen for the conversion, unless a "23=2112"
// record (ddd.mmss and metres) says so. A horizontal distance is turned
// into a slope distance with the pointing's zenith angle.
//
// The text route and the XML route keep their own text forms: the text
// route rewrites angles and distances with fixed digits; the XML route
// copies gon values as recorded, reads the face-right labels only for a
// pointing without a face-left one, and skips a target block without any
// angle or distance (a pointing of the station to itself).
//
// Both routes read the recording as it comes, one block at a time.
#pragma once
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

class TLineSink;

// An angle or distance that is empty or not a number stops the conversion,
// and so does a file without any station or target record. The message is
// French and names the line of the GDM file (counted from 1; 0 for the
// whole file).
class GdmConversionError : public std::runtime_error {
public:
    GdmConversionError(long long lineNumber, const std::string& message);
    long long lineNumber() const { return lineNumber_; }

private:
    long long lineNumber_;
};

enum class GdmAngleUnit { Gon, Dms, Degrees };

// "gon", "dms" and "deg" (the console option and the ini key).
std::optional<GdmAngleUnit> ParseGdmAngleUnit(std::string_view text);
const char* GdmAngleUnitKey(GdmAngleUnit unit);
// French name: "grades", "degrés ddd.mmss", "degrés décimaux".
const char* GdmAngleUnitName(GdmAngleUnit unit);

// An angle of the unit in gons: ddd.mmss (minutes and seconds as the first
// four decimals, further decimals tenths of seconds and so on) or decimal
// degrees times 400/360.
double GdmAngleToGon(double value, GdmAngleUnit unit);
// True when a plain decimal text reads as ddd.mmss: minutes and seconds
// under 60, at most 360 degrees.
bool LooksLikeDms(std::string_view text);

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

enum class GdmBookForm { Text, Xml };

struct GdmReport {
    int stationCount = 0;      // "2=" records
    int skippedTargets = 0;    // XML route: target blocks without angle or distance
    long long records = 0;     // lines of the form digits=value
    long long foreignLines = 0;  // other non-empty lines
    std::vector<std::string> warnings;  // French
};

// True for a "2=" record: the text book starts with the default station
// when the recording has none (a first look at the file tells).
bool IsGdmStationRecord(std::string_view line);

// Writes the book of the lines given one by one to `sink`. `hasStation`
// (text route): the recording holds a "2=" record somewhere; without one
// the default station line comes first.
class TGdmBookWriter {
public:
    TGdmBookWriter(GdmBookForm form, GdmAngleUnit unit, bool hasStation, TLineSink& sink);
    ~TGdmBookWriter();
    TGdmBookWriter(const TGdmBookWriter&) = delete;
    TGdmBookWriter& operator=(const TGdmBookWriter&) = delete;

    // Throws GdmConversionError.
    void AddLine(std::string_view line);
    // Ends the book. Throws GdmConversionError when the lines held no
    // station or target record at all (not a GDM recording).
    GdmReport Finish();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

struct GdmBook {
    std::vector<std::string> lines;  // the field book, UTF-8
    int stationCount = 0;            // "2=" records
    std::vector<std::string> warnings;
};

// Text field book: one line per "2=" and "5=" record, in source order;
// without any "2=" record the default station line comes first. Write the
// lines with FileEncoding::Cp1252. Throws GdmConversionError.
GdmBook GdmToTextBook(const std::vector<std::string>& lines, GdmAngleUnit unit = GdmAngleUnit::Gon);

// XML field book (UTF-8 lines of the whole document, declaration
// included). Write the lines with FileEncoding::Latin1Xml. Throws
// GdmConversionError.
GdmBook GdmToXmlBook(const std::vector<std::string>& lines, GdmAngleUnit unit = GdmAngleUnit::Gon);

}  // namespace kestrova
