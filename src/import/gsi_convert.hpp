// Conversion of Leica GSI total-station recordings (GSI8 and GSI16) into
// field books: the text form (".carnet") and the XML form (".xcrt").
//
// A GSI line is a block of words. A line beginning with "*" is GSI16
// (words of 24 characters after the "*"), any other line GSI8 (words of 16
// characters). The word index of the first word decides the line kind:
// "41" a station header, "11" a measurement; every other line is ignored.
#pragma once
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

class TLineSink;

// A value of the recording that cannot be read stops the conversion. The
// message is French and names the line of the GSI file (counted from 1).
class GsiConversionError : public std::runtime_error {
public:
    GsiConversionError(int lineNumber, const std::string& message);
    int lineNumber() const { return lineNumber_; }

private:
    int lineNumber_;
};

// What a conversion met besides its result.
struct GsiReport {
    int stationCount = 0;               // station header lines converted
    // French, one line each: the first 20, then "... et N autres
    // avertissements." when there were more.
    std::vector<std::string> warnings;
};

enum class GsiLineKind { Other, StationHeader, Measurement };

// Kind of one block: its first word index ("41" / "11", after the "*" of
// a GSI16 line).
GsiLineKind GsiKindOf(std::string_view block);

// Word slices of one block. Text is held as single-byte characters
// (Windows-1252) so that every position counts one character.
struct TGsiWords {
    int mode = 8;                      // 8 or 16
    int count = 0;                     // 0: the line has no words
    std::vector<std::string> slices;   // `count` slices of 16 or 24 characters
};

// Blanks are appended (169 to a station header, 72 to a measurement), the
// "*" of a GSI16 line dropped; slices are cut from the first slice plus at
// most 400 following characters. More than 20 slices: no words at all.
TGsiWords SplitGsiWords(std::string_view block, GsiLineKind kind);

// Data number of a word converted after its unit code:
// 0 m (1 mm), 1 ft (1/1000 ft), 2 gon (0.00001 gon), 3 decimal degrees
// (0.00001°), 4 sexagesimal degrees DDDMMSSs (last digit 0.1"), 5 mil
// (6400 per turn, last digit 0.0001 mil), 6 m (0.1 mm), 7 ft
// (1/10000 ft), 8 m (0.01 mm). Angles come out in gons, lengths in
// metres. Any other code: nullopt.
std::optional<double> GsiUnitValue(int unitCode, double number);

struct TGsiStationHeader {
    std::string name = "0";
    std::string temp = "12.0";    // °C
    std::string press = "760.1";  // mmHg
    std::string height = "0.0";   // m
};

// Words 41 to 45 after the header style ("TS", "covadis", anything else
// is read as "tc800"). Never fails: words that are not numbers give the
// values -99.9 (temperature), 0 (pressure) and 0.0 (height).
TGsiStationHeader ReadGsiStationHeader(std::string_view block, const std::string& headerStyle);

struct TGsiMeasurement {
    std::string name = "0";     // word 11
    std::string hz = "0.0000";  // word 21, gon
    std::string v = "0.0000";   // word 22, gon
    std::string dp = "0.0000";  // word 31, m
    std::string hv = "    0.000";  // word 87, m, "%9.3f" (not trimmed)
    std::string ppm = "0";      // word 51
    std::string cste = "0.000"; // word 51, m
    long long ppmValue = 0;
    double csteValue = 0.0;
};

// Words 11, 21, 22, 31, 51 and 87 of a measurement block. `lineNumber`
// names the source line in errors and warnings; unit codes outside the
// table give 0 and a warning appended to `warnings` (when given).
// Throws GsiConversionError on an unreadable unit code, data or word 51.
TGsiMeasurement ReadGsiMeasurement(std::string_view block, int lengthDecimals, int lineNumber = 0,
                                   std::vector<std::string>* warnings = nullptr);

// The blocks of one source line: a line is cut at carriage returns, loses
// trailing control characters, and is cut again before every word "11" or
// "41" (GSI16: "*11", "*41") that starts a new block at a word boundary.
std::vector<std::string> SplitGsiBlocks(std::string_view line);

// The ppm-and-constant token of the text field book: ppm 12, constant
// 0.034 m -> "0012+034"; ppm -12, constant -0.034 m -> "-0012-034".
std::string GsiPpmConstantToken(long long ppm, double constant);

// Text field book: one line per station header and per measurement, in
// source order. When no station header was met, the default station line
// " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 "
// comes first. Write the lines with FileEncoding::Cp1252.
std::vector<std::string> GsiToTextBook(const std::vector<std::string>& lines,
                                       const std::string& headerStyle, GsiReport* report = nullptr);

// XML field book (UTF-8 lines of the whole document, declaration
// included). Write the lines with FileEncoding::Latin1Xml.
std::vector<std::string> GsiToXmlBook(const std::vector<std::string>& lines,
                                      const std::string& headerStyle, GsiReport* report = nullptr);

// The same XML field book, given line by line to a sink as the recording
// is read, for recordings too large to hold twice in memory:
//   TGsiXmlBookWriter writer(style, sink, &report);
//   for (each source line) writer.AddLine(line);
//   writer.Finish();
// AddLine throws GsiConversionError; the sink then holds a partial book,
// which the caller discards.
class TGsiXmlBookWriter {
public:
    TGsiXmlBookWriter(const std::string& headerStyle, TLineSink& sink, GsiReport* report = nullptr);
    ~TGsiXmlBookWriter();
    TGsiXmlBookWriter(const TGsiXmlBookWriter&) = delete;
    TGsiXmlBookWriter& operator=(const TGsiXmlBookWriter&) = delete;

    void AddLine(std::string_view line);  // one source line, UTF-8
    void Finish();                        // the closing lines

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova
