// Nikon RAW V2.00 recordings: comma-separated records, the first field the
// record code, empty fields kept in place.
//
// Read: the CO settings ("Dist Units:", "Angle Units:", "Zero VA:", and
// "Temp:… Press:… Prism:…" at each set-up), ST stations (name, instrument
// height), SS side shots, F1 / F2 face 1 / face 2 shots, CP control shots
// and SO stake-out shots. Skipped and counted: coordinate records (UP, MP,
// CC, RE, MC), the other comments, records deleted on the instrument
// (a leading "*"), a final Ctrl-Z.
#pragma once
#include <vector>

#include "import/survey_record.hpp"

namespace kestrova {

class TNikonReader : public TSurveyReader {
public:
    using TSurveyReader::TSurveyReader;
    void Line(std::string_view line, int number) override;

private:
    void Comment(const std::string& text, int number);
    void Shot(const std::string& code, const std::vector<std::string>& f, int number);
    void CheckUnits(int number);

    TAngleUnit angle_ = TAngleUnit::Dms;
    TLengthUnit length_ = TLengthUnit::Metre;
    bool angleSeen_ = false, lengthSeen_ = false, unitsChecked_ = false;
    bool verticalFromHorizon_ = false;
    std::string backsight_;  // backsight point of the current station
};

}  // namespace kestrova
