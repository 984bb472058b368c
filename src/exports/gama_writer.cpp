#include "exports/gama_writer.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"
#include "exports/obs_gama.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The ini sigmas in the units of the file: cc for angles, mm for distances.
double CcOf(float gons) { return static_cast<double>(gons) * 10000.0; }
double MmOf(float metres) { return static_cast<double>(metres) * 1000.0; }

// gama-local takes a standard deviation whose variance is clearly above
// zero: it refuses "0.0", and also "0.0000006" ("the variance-covariance
// matrix is not positive definite"), while "0.0000007" passes. A negative
// one is taken for its size.
// The ini holds single-precision numbers: 0.0000000001 gon reads a hair
// under 0.000001 cc, and stays taken.
constexpr double kSmallestStdev = 0.000001 * (1.0 - 1e-6);  // cc or mm

// Why gama-local would refuse a standard deviation of the file, or "".
std::string StdevFault(double stdev, const char* unit) {
    if (!std::isfinite(stdev)) return "infini";
    if (stdev == 0.0) return "nul";
    if (std::fabs(stdev) < kSmallestStdev) return std::string("trop petit (moins de 0.000001 ") + unit + ")";
    return {};
}

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

std::string GamaUnusableStdevMessage(const Tday_obs& book, const std::string& path) {
    bool angles = false, distances = false;
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        for (const TPt_vise& t : st.pts_vise) {
            angles = true;
            if (HasDistance(t.Dp)) distances = true;
        }
        if (distances) break;
    }
    const TParam& p = Param();
    struct Use {
        bool written;
        const char* key;
        float value;
        double stdev;
        const char* unit;
        const char* what;
    };
    const Use uses[] = {
        {angles, "sigma_Hz", p.sigma_Hz, CcOf(p.sigma_Hz), "cc", "les directions"},
        {angles, "sigma_V", p.sigma_V, CcOf(p.sigma_V), "cc", "les angles zénithaux"},
        {distances, "sigma_Dp", p.sigma_Dp, MmOf(p.sigma_Dp), "mm", "les distances inclinées"},
    };
    for (const Use& u : uses) {
        if (!u.written) continue;
        const std::string fault = StdevFault(u.stdev, u.unit);
        if (fault.empty()) continue;
        return "Écart-type inutilisable : la clé " + std::string(u.key) + " du fichier " + IniFilePath() +
               " (section [ecarttype]) vaut " + Format("%g", static_cast<double>(u.value)) + " ; " + u.what +
               " du fichier GNU Gama " + path + " auraient un écart-type " + fault +
               ", que gama-local refuse. Indiquez dans cette clé un écart-type positif ; rien n'est écrit.";
    }
    return {};
}

void ProduceGamaFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink) {
    const std::string unusable = GamaUnusableStdevMessage(book, path);
    if (!unusable.empty()) throw GamaStdevError(unusable);
    const TParam& p = Param();
    const bool heights = ExportHeights();
    const bool sortByCode = p.tri_fichier_brelix != "obs";
    // A negative count of decimals in the ini reads as none (never a
    // negative width).
    const int angleDecimals = p.angle < 0 ? 0 : p.angle;
    const std::string angleFormat = FixedFormat(0, angleDecimals);
    const std::size_t angleWidth = static_cast<std::size_t>(angleDecimals) + 6;
    const double sigmaHzCc = CcOf(p.sigma_Hz);
    const double sigmaVCc = CcOf(p.sigma_V);
    const double sigmaDpMm = MmOf(p.sigma_Dp);

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
            for (const TPt_vise& t : st.pts_vise)
                if (HasZenith(t.V)) out.push_back(zenith(t));
            for (const TPt_vise& t : st.pts_vise)
                if (HasDistance(t.Dp)) out.push_back(distance(t));
        } else {
            for (const TPt_vise& t : st.pts_vise) {
                out.push_back(direction(t));
                if (HasZenith(t.V)) out.push_back(zenith(t));
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
