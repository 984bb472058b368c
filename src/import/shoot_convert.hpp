// Conversion of the shot logs of automatic monitoring ("shoot" files) into
// a text field book and an XML field book, each measuring cycle becoming
// one station.
//
// The first line is the header: the column names DATE TIME CYCLE TARGET HZ
// V DIST FOUND in any order. Every other line whose CYCLE field is a
// number is a shot; a cycle number different from the previous shot's
// opens a new cycle, so a number that comes back later opens another one.
// Decimal commas are read as points.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

class TLineSink;

// A date or time that cannot be read, a cycle number that is not an
// integer, a direction, zenith angle or distance that is not a number, or
// a file without any shot stops the conversion. French message naming the
// line (from 1; 0 for the whole file).
class ShootConversionError : public std::runtime_error {
public:
    ShootConversionError(int lineNumber, const std::string& message);
    int lineNumber() const { return lineNumber_; }

private:
    int lineNumber_;
};

// The message shown when the header lacks one of the eight names.
extern const char* const kShootMissingHeader;
// The error of a file without any shot (nothing is written then).
extern const char* const kShootNoShot;

struct TShoot {
    std::string date;   // "dd/mm/yyyy" as written
    std::string time;   // "hh:mm:ss" as written
    int dayOfYear = 0;  // 1 for 1 January
    int secondOfDay = 0;
    long long cycle = 0;
    std::string target;
    double hz = 0.0, v = 0.0, dist = 0.0;  // gon, gon, m
    int found = 0;
};

// Day of year and seconds of day of "dd/mm/yyyy" and "hh:mm:ss" (the
// digits at those places). False for a text that is not such a date or
// time, or an impossible one (31/02, 24:00:00).
bool ReadShootDate(std::string_view date, int& dayOfYear);
bool ReadShootTime(std::string_view time, int& secondOfDay);

struct ShootReport {
    int cycles = 0;
    long long shots = 0;
    std::vector<std::string> warnings;  // French: missing header
};

// Where the two books go. `text` is asked for once, before anything is
// written; `xml` once the first cycle is complete.
struct ShootSinks {
    std::function<TLineSink&()> text;
    std::function<TLineSink&()> xml;
};

// Streams the shoot lines (`next` fills its argument, false after the
// last) into both books: angles and distances with `angleDecimals` and
// `lengthDecimals` (a negative count: 6). Memory holds one cycle at a time.
// `totalLines` (0 when unknown) feeds the progress. Throws
// ShootConversionError; the sinks then hold partial books.
ShootReport ConvertShoot(const std::function<bool(std::string&)>& next, const ShootSinks& sinks,
                         int angleDecimals, int lengthDecimals, TProgress& progress = NoProgress(),
                         long long totalLines = 0);

// The same on lines in memory.
struct ShootBooks {
    std::vector<std::string> text;
    std::vector<std::string> xml;
    ShootReport report;
};
ShootBooks ShootToBooks(const std::vector<std::string>& lines, int angleDecimals, int lengthDecimals,
                        TProgress& progress = NoProgress());

}  // namespace kestrova
