// Sokkia SDR33 and SDR2x recordings: fixed-column records, two-digit type
// and two-character derivation code, the field widths of the SDR2x layout
// (4-digit point numbers, 10-character reals) or of the SDR33 layout
// (16-character names and reals) chosen by the version in the header.
//
// Read: header 00 (units of angles, distances, pressure, temperature; the
// last six characters of the record), instrument 01 (vertical angle from
// the zenith or the horizon, prism constant in mm), station 02 (name,
// instrument height), target height 03, atmosphere 05, raw observations 09
// F1 / F2 / MD, the note "13DU3:US Feet:". Every other record is skipped
// and counted by kind; the corrected observations 09MC are skipped so that
// no pointing counts twice.
#pragma once
#include "import/survey_record.hpp"

namespace kestrova {

class TSdrReader : public TSurveyReader {
public:
    using TSurveyReader::TSurveyReader;
    void Line(std::string_view line, int number) override;

private:
    std::string_view Field(std::string_view rec, std::size_t pos2x, std::size_t pos33, std::size_t len2x,
                           std::size_t len33) const;
    std::string PointName(std::string_view field) const;
    std::optional<double> Real(std::string_view field, const char* what, int number) const;
    std::optional<double> Angle(std::string_view field, const char* what, int number) const;
    void Header(std::string_view rec, int number);
    void Observation(std::string_view rec, std::string_view derivation, int number);

    bool headerSeen_ = false;
    bool sdr2x_ = false;
    TAngleUnit angle_ = TAngleUnit::Degree;
    TLengthUnit length_ = TLengthUnit::Metre;
    int pressureUnit_ = 1;     // 1 mmHg, 2 inHg, 3 mbar
    int temperatureUnit_ = 1;  // 1 °C, 2 °F
    bool counterClockwise_ = false;
    bool verticalFromHorizon_ = false;
};

}  // namespace kestrova
