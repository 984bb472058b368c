// Zeiss / Trimble M5 total-station recordings (Elta, 3300/3600/5600, M3).
//
// Read: the header items 20, 21, 22 (where the information, code and
// point number sit in the information block), "TI KN STAT" / "UN STAT" /
// "EL STAT" set-up blocks whose station is the point line coded "S", the
// instrument height ih, the target height th, the prism constant PC, the
// ppm pm, temperature T_ and pressure P, and the measurement lines: Hz
// with V1 (zenith angle) or V3 (elevation angle), SD / D (slope distance)
// or HD / E (horizontal distance). Units from the unit columns: gon, grd,
// DMS, deg, mil; m, ft.
//
// Skipped and counted: coordinate lines (the ones the instrument computes
// after each measurement among them), the reference shots of a set-up block
// (coded A to J, taken before the circle is oriented), lines flagged in
// error in column 119, measurements cancelled with "#####", levelling
// lines, comment lines ("#", "!", "END").
#pragma once
#include "import/m5_line.hpp"
#include "import/survey_record.hpp"

namespace kestrova {

class TM5Reader : public TSurveyReader {
public:
    using TSurveyReader::TSurveyReader;
    void Line(std::string_view line, int number) override;

private:
    void Settings(const TM5Line& l, int number);
    void Point(const TM5Line& l, int number);
    std::string SubField(const TM5Line& l, int from, int to) const;

    int infoPos_ = 1, codePos_ = 11, pointPos_ = 16;
    bool setUpBlock_ = false;
    std::optional<double> instrumentHeight_;
    int foreignLines_ = 0;
};

}  // namespace kestrova
