// The field book written from the stations and pointings of an instrument
// reader: the text book (".carnet", ".crt") or the XML book (".xcrt"), in
// the layouts of the GSI route, line by line as the recording is read.
//
// Text:  " station S1       Temp_deg 15.0 Press_mmHg 752.3 ht_m 1.532"
//        "  numero 12       AH_gr 123.45670 AV_gr  99.87650 Dp_m   45.1234 ppm_cste_mm 0000+000 hv_m     1.600"
// XML:   the neutral calibration, then per station
//        <station num=... pt_sta=... temp=... press=... Ht=... etalonnage="0">
//        and per pointing <obs pt_vis Hz V Dp Hv ppm cste />.
// A station without weather has 12.0 °C and 760.1 mmHg; a pointing
// without zenith angle or distance has 0.0000 there (no distance for the
// reduction).
#pragma once
#include "import/gsi_convert.hpp"
#include "import/survey_record.hpp"

namespace kestrova {

class TLineSink;

class TSurveyBookWriter : public TSurveySink {
public:
    // `lengthDecimals`: decimals of the distances (the setting `longueur`).
    TSurveyBookWriter(GsiBookForm form, TLineSink& sink, int lengthDecimals);
    void Station(const TSurveyStation& station) override;
    void Pointing(const TSurveyPointing& pointing) override;
    // The closing lines (XML).
    void Finish();

private:
    void CloseStation();

    GsiBookForm form_;
    TLineSink& sink_;
    int decimals_;
    int stationNumber_ = 0;
    bool stationsOpen_ = false;
    bool stationOpen_ = false;
    bool hasObs_ = false;
    std::string line_;
};

}  // namespace kestrova
