#include "exports/xml_report.hpp"

#include "app/format.hpp"
#include "app/param.hpp"
#include "app/text_file.hpp"
#include "app/version.hpp"
#include "exports/export_common.hpp"
#include "exports/residuals.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

constexpr double kHPaPerMmHgReport = 1.3329167214840152611;

// name="value" with the value escaped, preceded by a blank.
std::string Attr(const char* name, const std::string& value) {
    std::string a = " ";
    a += name;
    a += "=\"";
    a += XmlText(value);
    a += '"';
    return a;
}

std::string YesNo(bool b) { return b ? "Y" : "N"; }

void AppendStation(std::vector<std::string>& out, const TStation& st, int k, const std::string& a,
                   const std::string& l) {
    int nbC1 = 0, nbC2 = 0;
    for (const Tobs& o : st.obs) (o.V < 200.0 ? nbC1 : nbC2)++;

    std::string head = "   <station";
    head += Attr("num", Format("%d", k));
    head += Attr("pt_sta", st.pt_sta);
    head += Attr("temp", Format("%.1f", st.temp));
    head += Attr("press_mmHg", Format("%.1f", st.press));
    head += Attr("press_hPa", Format("%.1f", st.press * kHPaPerMmHgReport));
    head += Attr("formule_meteo", Param().formule_meteo);
    head += Attr("ppm", Format("%.1f", st.ppm));
    head += Attr("Z0", Format(a, st.Z0));
    head += Attr("SigmaZ0", Format(a, st.SigmaZ0));
    head += Attr("Ht", Format(l, st.Ht));
    head += Attr("num_ligne", Format("%d", st.ligne));
    head += Attr("valid", YesNo(st.valid));
    head += Attr("cercles", st.valid ? (st.cercles ? "2" : "1") : "");
    head += Attr("fermeture", st.valid ? YesNo(st.fermeture) : "");
    head += Attr("NbPointes", st.valid ? Format("%d", st.NbPointes) : "");
    head += Attr("NbPointesC1", Format("%d", nbC1));
    head += Attr("NbPointesC2", Format("%d", nbC2));
    head += ">";
    out.push_back(std::move(head));

    // Raw pointings in field-book order.
    out.push_back("      <rawdata>");
    const std::vector<TPointingResidual> res = ComputeResiduals(st, true);
    for (std::size_t i = 0; i < st.obs.size(); ++i) {
        const Tobs& o = st.obs[i];
        const bool dist = HasDistance(o.Dp);
        std::string e = "         <obs";
        e += Attr("pt_vis", o.pt_vis);
        e += Attr("Hz", Format(a, o.Hz));
        e += Attr("V", Format(a, o.V));
        e += Attr("Dp", dist ? Format(l, o.Dp) : "");
        const bool withResiduals = st.valid && res[i].target >= 0;
        e += Attr("dHz", withResiduals ? Format("%.0f", res[i].dHz) : "");
        e += Attr("dV", withResiduals ? Format("%.0f", res[i].dV) : "");
        const bool withDistance = st.valid && dist;
        e += Attr("dDp", withDistance && withResiduals ? Format("%.1f", res[i].dDp) : "");
        e += Attr("ppm", withDistance ? Format("%.1f", o.ppm) : "");
        e += Attr("c_etal", withDistance ? Format(l, o.c_etal) : "");
        e += Attr("etalonnage", withDistance && o.calibration ? Format("%d", o.calibration->num) : "");
        e += Attr("id_etalonnage", withDistance && o.calibration ? o.calibration->id : "");
        e += Attr("Hv", Format(l, o.Hv));
        e += "/>";
        out.push_back(std::move(e));
    }
    out.push_back("      </rawdata>");

    out.push_back("      <CheckNobs>");
    for (const TPt_vise& t : st.pts_vise)
        out.push_back("         <Nobs" + Attr("pt_vis", t.pt_vis) + Attr("NObsC1", Format("%d", t.NObsC1)) +
                      Attr("NObsC2", Format("%d", t.NObsC2)) + "/>");
    out.push_back("      </CheckNobs>");

    out.push_back("      <Logs>");
    for (const std::string& m : st.logs) out.push_back("         <log" + Attr("mess", m) + "/>");
    out.push_back("      </Logs>");

    out.push_back("      <Data_Ok>");
    if (st.valid) {
        for (const TPt_vise& t : st.pts_vise)
            out.push_back("         <obs" + Attr("pt_vis", t.pt_vis) + Attr("Hz", Format(a, t.Hz)) +
                          Attr("V", Format(a, t.V)) + Attr("Dp", HasDistance(t.Dp) ? Format(l, t.Dp) : "") +
                          "/>");
    }
    out.push_back("      </Data_Ok>");
    out.push_back("   </station>");
}

}  // namespace

std::vector<std::string> XmlReportLines(const Tday_obs& book, const std::string& stylesheetName) {
    const TParam& p = Param();
    const std::string a = FixedFormat(0, p.angle);
    const std::string l = FixedFormat(0, p.longueur);
    std::vector<std::string> out;
    out.push_back(R"(<?xml version="1.0" encoding="ISO-8859-1"?>)");
    out.push_back("<?xml-stylesheet href=\"" + XmlText(stylesheetName) + "\" type=\"text/xsl\"?>");
    out.push_back(std::string("<carnet version=\"") + kVersion + "\">");

    out.push_back("<etalonnages>");
    for (const TEtalonnage& e : book.etalonnages) {
        std::string line = "    <etalonnage";
        line += Attr("id", e.id);
        line += Attr("num", Format("%d", e.num));
        line += R"( serial="" methode="" P="3.000" Ddep="0.0" Dmax="9999.99")";
        line += Attr("M", Format(l, e.M));
        line += R"( deg_Fourier="0" deg_polynome="0" n_corr_interp="0" lambda_um="0.85" T0_K="285.15" P0_mmHg="760.0">)";
        out.push_back(std::move(line));
        out.push_back("        <Coeff_Fourier/>");
        out.push_back("        <Coeff_Polynome/>");
        out.push_back("        <Coeff_corr_interp/>");
        out.push_back("    </etalonnage>");
    }
    out.push_back("</etalonnages>");

    std::string stations = "<stations";
    stations += Attr("Z0", Format(a, book.Z0));
    stations += Attr("SigmaZ0", Format(a, book.SigmaZ0));
    stations += Attr("SigmaHz", Format(a, static_cast<double>(p.sigma_Hz)));
    stations += Attr("SigmaV", Format(a, static_cast<double>(p.sigma_V)));
    stations += Attr("SigmaDp", Format(l, static_cast<double>(p.sigma_Dp)));
    stations += Attr("export_hauteurs_brelix", p.export_hauteurs_brelix);
    stations += Attr("use_meteo_entete_station", p.use_meteo_entete_station);
    stations += Attr("use_first_target_for_Z0_estimation", p.use_first_target_for_Z0_estimation);
    stations += ">";
    out.push_back(std::move(stations));
    for (std::size_t i = 0; i < book.stations.size(); ++i)
        AppendStation(out, book.stations[i], static_cast<int>(i) + 1, a, l);
    out.push_back("</stations>");
    out.push_back("</carnet>");
    return out;
}

bool WriteXmlReport(const Tday_obs& book, const std::string& path, std::string* error) {
    const std::string xsl = ExtractFileName(ChangeFileExt(path, ".xsl"));
    return TryWriteTextLines(path, XmlReportLines(book, xsl), FileEncoding::Latin1Xml, error);
}

}  // namespace kestrova
