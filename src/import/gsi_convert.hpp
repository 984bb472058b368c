// Conversion of Leica GSI total-station recordings (GSI8 and GSI16) into
// field books: the text form (".carnet") and the XML form (".xcrt").
//
// A GSI line is a block of words. A line beginning with "*" is GSI16
// (words of 24 characters after the "*"), any other line GSI8 (words of 16
// characters). The word index of the first word decides the line kind:
// "41" a station header, "11" a measurement; every other line is ignored.
//
// A measurement block is one of three things:
//  - a pointing (it has a word 21, 22, 31 or 32, or none of the others);
//  - a set-up: words 84/85/86 (station easting, northing, height) and/or
//    88 (instrument height) and none of 21, 22, 31, 32. It opens a station
//    named by its word 11, with the default weather (12.0 °C, 760.1 mmHg);
//  - a coordinate record: words 81/82/83 only. Skipped and counted.
// Words are read at their fixed places when the block is laid out on
// 16/24 columns; otherwise (fewer information characters, two blanks
// between words) the block is split at blanks and each word is read from
// its own sign: the unit code is the character before the sign, the value
// the characters after it.
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
    int stationCount = 0;               // stations opened by header lines and set-up blocks
    int gsiBlocks = 0;                  // "41" and "11" blocks recognised
    int otherLines = 0;                 // lines that are not blank and hold no such block
    int coordinateRecords = 0;          // coordinate-only blocks skipped
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
    bool aligned = true;               // words at their fixed places
    std::vector<std::string> slices;   // `count` slices of 16 or 24 characters,
                                       // or the words themselves when not aligned
};

// Blanks are appended (169 to a station header, 72 to a measurement), the
// "*" of a GSI16 line dropped; slices are cut from the first slice plus at
// most 400 following characters. More than 20 slices: no words at all.
// A block whose words do not start on the 16/24-column grid, each followed
// by one blank, is split at blanks instead (more than 20 words: none).
TGsiWords SplitGsiWords(std::string_view block, GsiLineKind kind);

// The data of word `wi` of a block (the later word wins), trimmed, or
// nullopt when the block has no such word.
std::optional<std::string> GsiWordData(std::string_view block, GsiLineKind kind, std::string_view wi);

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
// values -99.9 (temperature), 0 (pressure) and 0.0 (height). A weather
// word the header does not have gives the default weather (12.0 °C,
// 760.1 mmHg), never 0.
TGsiStationHeader ReadGsiStationHeader(std::string_view block, const std::string& headerStyle);

enum class GsiBlockRole { Pointing, SetUp, Coordinates };

struct TGsiMeasurement {
    GsiBlockRole role = GsiBlockRole::Pointing;
    std::string name = "0";     // word 11
    std::string hz = "0.0000";  // word 21, gon
    std::string v = "0.0000";   // word 22, gon
    std::string dp = "0.0000";  // word 31, m
    std::string hv = "    0.000";  // word 87, m, "%9.3f" (not trimmed)
    std::string ppm = "0";      // word 51
    std::string cste = "0.000"; // word 51, m
    long long ppmValue = 0;
    double csteValue = 0.0;
    // Read through their unit codes (metres); the sign is kept.
    std::optional<double> horizontalDistance;  // word 32
    std::optional<double> easting;             // word 84
    std::optional<double> northing;            // word 85
    std::optional<double> elevation;           // word 86
    std::optional<double> instrumentHeight;    // word 88
};

// Words 11, 21, 22, 31, 32, 51, 84 to 88 of a measurement block.
// `lineNumber` names the source line in errors and warnings; unit codes
// outside the table give 0 and a warning appended to `warnings` (when
// given). Words 84 to 88 read a unit character outside the table as
// millimetres. Word 51 holds two signed integers, ppm then the constant in
// millimetres, whatever their widths. Without a word 31, a horizontal
// distance (32) with a zenith angle (22) gives the slope distance.
// Throws GsiConversionError on an unreadable unit code, data or word 51.
TGsiMeasurement ReadGsiMeasurement(std::string_view block, int lengthDecimals, int lineNumber = 0,
                                   std::vector<std::string>* warnings = nullptr);

// The blocks of one source line: a line is cut at carriage returns, loses
// trailing control characters, and is cut again before every word "11" or
// "41" (GSI16: "*11", "*41") that starts a new block at a word boundary.
std::vector<std::string> SplitGsiBlocks(std::string_view line);

// True when some line holds a "41" or "11" block: the lines may be a GSI
// recording. Lets a command refuse other text before asking anything.
bool ContainsGsiBlock(const std::vector<std::string>& lines);
std::string GsiNotARecordingMessage();

// The ppm-and-constant token of the text field book: ppm 12, constant
// 0.034 m -> "0012+034"; ppm -12, constant -0.034 m -> "-0012-034".
std::string GsiPpmConstantToken(long long ppm, double constant);

// Text field book: one line per station (header or set-up block) and per
// pointing, in source order. Pointings met before any station go to the
// default station line
// " station 0        Temp_deg 12.0     Press_mmHg 760.1    ht_m 0.000 ",
// with a warning. Write the lines with FileEncoding::Cp1252.
//
// Both books throw GsiConversionError (line number 0, the message
// GsiNotARecordingMessage()) when no "41" or "11" block was recognised:
// the input is not a GSI recording. When most
// lines are not GSI blocks, a warning gives their count.
std::vector<std::string> GsiToTextBook(const std::vector<std::string>& lines,
                                       const std::string& headerStyle, GsiReport* report = nullptr);

// XML field book (UTF-8 lines of the whole document, declaration
// included). Write the lines with FileEncoding::Latin1Xml.
std::vector<std::string> GsiToXmlBook(const std::vector<std::string>& lines,
                                      const std::string& headerStyle, GsiReport* report = nullptr);

enum class GsiBookForm { Text, Xml };

// Either book, given line by line to a sink as the recording is read, for
// recordings too large to hold twice in memory:
//   TGsiBookWriter writer(GsiBookForm::Xml, style, sink, &report);
//   for (each source line) writer.AddLine(line);
//   writer.Finish();
// AddLine and Finish throw GsiConversionError; the sink then holds a
// partial book, which the caller discards.
class TGsiBookWriter {
public:
    TGsiBookWriter(GsiBookForm form, const std::string& headerStyle, TLineSink& sink,
                   GsiReport* report = nullptr);
    ~TGsiBookWriter();
    TGsiBookWriter(const TGsiBookWriter&) = delete;
    TGsiBookWriter& operator=(const TGsiBookWriter&) = delete;

    void AddLine(std::string_view line);  // one source line, UTF-8
    void Finish();                        // the closing lines, the checks of the whole recording

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class TGsiXmlBookWriter : public TGsiBookWriter {
public:
    TGsiXmlBookWriter(const std::string& headerStyle, TLineSink& sink, GsiReport* report = nullptr)
        : TGsiBookWriter(GsiBookForm::Xml, headerStyle, sink, report) {}
};

}  // namespace kestrova
