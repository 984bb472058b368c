// One line of a Zeiss / Trimble M5 recording: fixed columns, the tag
// "For M5" (or "For_M5"), the kind of line (cols 18-20), the 27-character
// information block (cols 22-48) and three value blocks of identifier,
// value and unit (cols 50-71, 73-94, 96-117); column 119 flags a line in
// error.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "import/survey_record.hpp"

namespace kestrova {

struct TM5Value {
    std::string id;     // "Hz", "V1", "SD", "D", "Z", "Rb"... (trimmed)
    std::string value;  // trimmed
    std::string unit;   // trimmed, as written
};

struct TM5Line {
    std::string kind;   // "PI1", "TI", "TO", "KD1"... (trimmed)
    std::string info;   // the 27 characters of the block, blanks kept
    TM5Value values[3];
    bool error = false;  // column 119 not blank
    const TM5Value* Find(std::string_view id) const;
};

// True for a line of the format (its tag, case aside).
bool IsM5Line(std::string_view line);
// The line cut into its columns (a line cut short is padded with blanks).
TM5Line ParseM5Line(std::string_view line);

// Units of the value blocks, case aside: "gon"/"grd", "DMS", "deg", "mil";
// "m", "ft". nullopt for anything else.
std::optional<TAngleUnit> M5AngleUnit(std::string_view unit);
std::optional<TLengthUnit> M5LengthUnit(std::string_view unit);

// A value block read as an angle in gons or a length in metres; throws
// TImportError (naming the line) for an unknown unit or a value that is
// not a number.
double M5Angle(const TM5Value& v, int line);
double M5Length(const TM5Value& v, int line);

}  // namespace kestrova
