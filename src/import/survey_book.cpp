#include "import/survey_book.hpp"

#include "base/fixed_text.hpp"
#include "base/line_sink.hpp"
#include "import/xml_attribute.hpp"

namespace kestrova {

namespace {

std::string Weather(const std::optional<double>& value, const char* fallback) {
    return value ? FixedText(*value, 1) : std::string(fallback);
}

}  // namespace

TSurveyBookWriter::TSurveyBookWriter(GsiBookForm form, TLineSink& sink, int lengthDecimals)
    : form_(form), sink_(sink), decimals_(lengthDecimals < 0 ? 4 : lengthDecimals) {
    if (form_ != GsiBookForm::Xml) return;
    sink_.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    sink_.Add("<carnet>");
    sink_.Add("   <etalonnages>");
    sink_.Add(
        "      <!--Attention : le terme M est soustractif ; il s'agit de l'erreur et non de la constante de "
        "prisme-->");
    sink_.Add(
        "      <etalonnage id=\"defaut\" num=\"0\" serial=\"0\" methode=\"\" P=\"3\" Ddep=\"0\" Dmax=\"3000\" "
        "M=\"+0.0000\" deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\" lambda_um=\"0.85\" "
        "T0_K=\"285.15\" P0_mmHg=\"760.0\" />");
    sink_.Add("   </etalonnages>");
}

void TSurveyBookWriter::Station(const TSurveyStation& s) {
    const std::string temp = Weather(s.temperature, "12.0");
    const std::string press = Weather(s.pressure, "760.1");
    const std::string height = FixedText(s.instrumentHeight, 3);
    ++stationNumber_;
    if (form_ == GsiBookForm::Text) {
        line_.assign(" station ");
        AppendPadRight(line_, s.name, 8);
        line_ += " Temp_deg " + temp + " Press_mmHg " + press + " ht_m " + height;
        sink_.Add(line_);
        return;
    }
    CloseStation();
    if (!stationsOpen_) {
        sink_.Add("   <stations>");
        stationsOpen_ = true;
    }
    line_.assign("      <station");
    AppendXmlAttribute(line_, "num", std::to_string(stationNumber_));
    AppendXmlAttribute(line_, "pt_sta", s.name);
    AppendXmlAttribute(line_, "temp", temp);
    AppendXmlAttribute(line_, "press", press);
    AppendXmlAttribute(line_, "Ht", height);
    AppendXmlAttribute(line_, "etalonnage", "0");
    line_ += '>';
    sink_.Add(line_);
    stationOpen_ = true;
    hasObs_ = false;
}

void TSurveyBookWriter::Pointing(const TSurveyPointing& p) {
    const std::string hz = FixedText(p.hz, 5);
    const std::string v = p.zenith ? FixedText(*p.zenith, 5) : std::string("0.0000");
    const std::string dp = p.slope ? FixedText(*p.slope, decimals_) : std::string("0.0000");
    if (form_ == GsiBookForm::Text) {
        line_.assign("  numero ");
        AppendPadRight(line_, p.target, 8);
        line_ += " AH_gr ";
        AppendPadLeft(line_, hz, 9);
        line_ += " AV_gr ";
        AppendPadLeft(line_, v, 9);
        line_ += " Dp_m ";
        AppendPadLeft(line_, dp, 9);
        line_ += " ppm_cste_mm ";
        line_ += GsiPpmConstantToken(p.ppm, p.prismConstant);
        line_ += " hv_m ";
        AppendFixed(line_, p.targetHeight, 3, 9);
        sink_.Add(line_);
        return;
    }
    if (!hasObs_) {
        sink_.Add("         <rawdata>");
        hasObs_ = true;
    }
    line_.assign("            <obs");
    AppendXmlAttribute(line_, "pt_vis", p.target);
    AppendXmlAttribute(line_, "Hz", hz);
    AppendXmlAttribute(line_, "V", v);
    AppendXmlAttribute(line_, "Dp", dp);
    AppendXmlAttribute(line_, "Hv", FixedText(p.targetHeight, 3));
    AppendXmlAttribute(line_, "ppm", std::to_string(p.ppm));
    AppendXmlAttribute(line_, "cste", FixedText(p.prismConstant, 3));
    line_ += " />";
    sink_.Add(line_);
}

void TSurveyBookWriter::CloseStation() {
    if (!stationOpen_) return;
    sink_.Add(hasObs_ ? "         </rawdata>" : "         <rawdata />");
    sink_.Add("      </station>");
    stationOpen_ = false;
}

void TSurveyBookWriter::Finish() {
    if (form_ != GsiBookForm::Xml) return;
    CloseStation();
    sink_.Add(stationsOpen_ ? "   </stations>" : "   <stations />");
    sink_.Add("</carnet>");
}

}  // namespace kestrova
