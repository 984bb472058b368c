// What every instrument reader of the import hands on: stations and
// pointings in recording order, in the units of the field book (gons,
// metres, °C, mmHg), and what it skipped or found doubtful.
//
// A reader calls, in recording order:
//   Station(...)      a set-up (name, instrument height, weather)
//   Pointing(...)     one pointing of the current station
// The reader base (TSurveyReader) keeps a station back until its first
// pointing, so that an instrument height or a weather given after the
// station record still reaches it.
#pragma once
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

struct TSurveyStation {
    std::string name;
    double instrumentHeight = 0.0;     // m
    std::optional<double> temperature; // °C
    std::optional<double> pressure;    // mmHg
};

struct TSurveyPointing {
    std::string target;
    double hz = 0.0;                   // gon, in [0, 400)
    std::optional<double> zenith;      // gon
    std::optional<double> slope;       // m; none: a pointing without distance
    double targetHeight = 0.0;         // m
    long long ppm = 0;
    double prismConstant = 0.0;        // m
};

class TSurveySink {
public:
    virtual ~TSurveySink() = default;
    virtual void Station(const TSurveyStation& station) = 0;
    virtual void Pointing(const TSurveyPointing& pointing) = 0;
};

// A value the conversion cannot do without is unreadable: the conversion
// stops, nothing is written. The French message names the line (from 1).
class TImportError : public std::runtime_error {
public:
    TImportError(int lineNumber, const std::string& message);
    int lineNumber() const { return lineNumber_; }

private:
    int lineNumber_;
};

// What one import met besides its result.
class TImportReport {
public:
    int stations = 0;
    long long pointings = 0;
    long long readings = 0;  // staff readings of a levelling recording

    // A record left out, by kind (a French name such as "coordonnées (08)").
    void Skip(const std::string& kind);
    // French, one line each; the first 20 are kept, the others counted.
    void Warn(std::string text);
    std::vector<std::string> Warnings() const;
    // Kinds in the order first met, with their counts.
    const std::vector<std::pair<std::string, long long>>& Skipped() const { return skipped_; }
    // "12 coordonnées (08), 3 notes (13)", or "aucun".
    std::string SkippedSummary() const;

private:
    std::vector<std::pair<std::string, long long>> skipped_;
    std::map<std::string, std::size_t> skippedIndex_;
    std::vector<std::string> warnings_;
    long long moreWarnings_ = 0;
};

enum class TAngleUnit { Gon, Degree, Dms, Mil };
enum class TLengthUnit { Metre, Foot, UsFoot };

// An angle text in the given unit, in gons; nullopt when it is not a
// number (or, for DDD.MMSS, when its minutes or seconds reach 60). DDD.MMSS:
// the two digits after the point are minutes, the next two seconds, any
// further digits decimals of a second ("55.05521" is 55°05'52.1"); missing
// digits count as zeros.
std::optional<double> AngleToGon(std::string_view text, TAngleUnit unit);
double LengthToMetre(double value, TLengthUnit unit);
// Maps an angle in gons into [0, 400).
double NormaliseGon(double gon);

// A plain number ("-12.5", "+3", ".5"): nullopt for anything else.
std::optional<double> PlainNumber(std::string_view text);

constexpr double kHpaPerMmHg = 1.3329167214840152;

// The part of the readers that keeps the current station and the values
// in force (target height, prism constant, ppm, weather).
class TSurveyReader {
public:
    TSurveyReader(TSurveySink& sink, TImportReport& report) : sink_(sink), report_(report) {}
    virtual ~TSurveyReader() = default;
    // One line of the recording (UTF-8, without its line end), numbered
    // from 1. Throws TImportError.
    virtual void Line(std::string_view line, int number) = 0;
    // After the last line. Throws TImportError.
    virtual void Finish() { Flush(); }

protected:
    // A new station (its instrument height may still change until its
    // first pointing).
    void OpenStation(const std::string& name, std::optional<double> instrumentHeight, int line);
    // A new instrument height: the station not yet written takes it; a
    // station that already has pointings is opened again under its name
    // with the new height (a warning names the line).
    void SetInstrumentHeight(double height, int line);
    // Weather for the station not yet written and the following ones.
    void SetWeather(std::optional<double> temperature, std::optional<double> pressure);
    // A pointing of the current station, with the target height, prism
    // constant and ppm in force unless it carries its own. Without any
    // station so far, a station "0" is opened first (with a warning).
    void AddPointing(TSurveyPointing p, int line);
    void Flush();
    // A pointing name fit for the field book: blanks inside become "_"
    // (with a warning naming the line), at most 16 characters.
    std::string BookName(std::string_view name, int line);
    bool HasStation() const { return hasStation_; }
    const std::string& StationName() const { return current_.name; }
    bool StationHasPointings() const { return hasStation_ && !pending_; }

    TSurveySink& sink_;
    TImportReport& report_;
    double targetHeight_ = 0.0;
    double prismConstant_ = 0.0;  // m
    long long ppm_ = 0;

private:
    TSurveyStation current_;
    std::optional<double> temperature_, pressure_;
    bool hasStation_ = false;
    bool pending_ = false;  // current_ not yet handed on
};

}  // namespace kestrova
