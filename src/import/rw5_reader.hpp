// Carlson RW5 recordings: comma-separated records, each field a two-letter
// header followed by its value ("AR90.3333"), looked up by header; the
// note "--" is the last field and may hold commas.
//
// Read: MO units (also when commented out, "--MO"), OC station, LS
// instrument and target heights, SS / TR side shots and traverse shots,
// BD / FD face 1, BR / FR face 2. Angles are DDD.MMSS (AU0) or gons (AU1),
// distances feet (UN0), metres (UN1) or US survey feet (UN2). Skipped and
// counted: BK orientations, SP and GS points, GPS records, JB, OF offsets,
// the set means written as comments ("--SS"), other comment lines.
#pragma once
#include "import/survey_record.hpp"

namespace kestrova {

class TRw5Reader : public TSurveyReader {
public:
    using TSurveyReader::TSurveyReader;
    void Line(std::string_view line, int number) override;

private:
    void Mode(std::string_view line, int number);
    void Shot(std::string_view code, std::string_view line, int number);

    TAngleUnit angle_ = TAngleUnit::Dms;
    TLengthUnit length_ = TLengthUnit::Metre;
    bool modeSeen_ = false;
};

}  // namespace kestrova
