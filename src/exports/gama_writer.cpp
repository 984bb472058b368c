#include "exports/gama_writer.hpp"

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"
#include "exports/obs_gama.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string GamaObservationLine(const std::string& element, const std::string& target,
                                const std::string& valueText, double stdev, bool heights, double fromDh,
                                double toDh) {
    std::string line = "        <" + PadRight(element, 12);
    line += "to=" + PadRight(Quoted(XmlTextAscii(target)), 10);
    line += " val=" + valueText;
    line += " stdev=" + Quoted(GamaNonZeroText(stdev, 1));  // a tiny one never written "0.0"
    if (heights) {
        line += " from_dh=" + Quoted(Format("%8.4f", fromDh));
        line += " to_dh=" + Quoted(Format("%8.4f", toDh));
    }
    line += " />";
    return line;
}

void ProduceGamaFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink) {
    const TParam& p = Param();
    const bool heights = ExportHeights();
    const bool sortByCode = p.tri_fichier_brelix != "obs";
    // A negative count of decimals in the ini reads as none (never a
    // negative width).
    const int angleDecimals = p.angle < 0 ? 0 : p.angle;
    const std::string angleFormat = FixedFormat(0, angleDecimals);
    const std::size_t angleWidth = static_cast<std::size_t>(angleDecimals) + 6;
    const double sigmaHzCc = static_cast<double>(p.sigma_Hz) * 10000.0;
    const double sigmaVCc = static_cast<double>(p.sigma_V) * 10000.0;
    const double sigmaDpMm = static_cast<double>(p.sigma_Dp) * 1000.0;

    const std::vector<std::string> header = {
        R"(<?xml version="1.0" ?>)",
        R"(<!DOCTYPE gama-local SYSTEM "gama-local.dtd">)",
        "",
        R"(<gama-local version="2.0">)",
        R"(  <network axes-xy="en" angles="left-handed" >)",
        "    <description>",
        "      Donnees reduites",
        "      " + XmlTextAscii(path),
        "      fichier cree le " + ExportDate(time, '-') + " " + ExportClock(time),
        "    </description>",
        "",
        R"(    <parameters sigma-act="apriori"/>)",
        "",
        "    <points-observations>",
        "",
    };
    for (const std::string& h : header) sink.Add(h);
    std::vector<std::string> out;

    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        out.push_back("      <obs from=\"" + XmlTextAscii(st.pt_sta) + "\">");
        auto direction = [&](const TPt_vise& t) {
            return GamaObservationLine("direction", t.pt_vis, PadLeft(Quoted(Format(angleFormat, t.Hz)), angleWidth),
                                       sigmaHzCc, heights, st.Ht, t.Hv);
        };
        auto zenith = [&](const TPt_vise& t) {
            return GamaObservationLine("z-angle", t.pt_vis, PadLeft(Quoted(Format(angleFormat, t.V)), angleWidth),
                                       sigmaVCc, heights, st.Ht, t.Hv);
        };
        auto distance = [&](const TPt_vise& t) {
            return GamaObservationLine("s-distance", t.pt_vis, Quoted(FormatFixed(t.Dp, p.longueur)), sigmaDpMm,
                                       heights, st.Ht, t.Hv);
        };
        if (sortByCode) {
            for (const TPt_vise& t : st.pts_vise) out.push_back(direction(t));
            for (const TPt_vise& t : st.pts_vise) out.push_back(zenith(t));
            for (const TPt_vise& t : st.pts_vise)
                if (HasDistance(t.Dp)) out.push_back(distance(t));
        } else {
            for (const TPt_vise& t : st.pts_vise) {
                out.push_back(direction(t));
                out.push_back(zenith(t));
                if (HasDistance(t.Dp)) out.push_back(distance(t));
            }
        }
        out.push_back("      </obs>");
        out.emplace_back();
        for (const std::string& l : out) sink.Add(l);
        out.clear();
    }

    sink.Add("    </points-observations>");
    sink.Add("  </network>");
    sink.Add("</gama-local>");
    sink.Add(" ");
}

std::vector<std::string> GamaFileLines(const Tday_obs& book, const std::string& path, const TExportTime& time) {
    TLineCollector c;
    ProduceGamaFile(book, path, time, c);
    return std::move(c.lines);
}

bool WriteGamaFile(const Tday_obs& book, const std::string& path, std::string* error) {
    const TExportTime time = CurrentExportTime();
    return WriteLinesAtomically(path, FileEncoding::Cp1252, error,
                                [&](TLineSink& sink) { ProduceGamaFile(book, path, time, sink); });
}

}  // namespace kestrova
