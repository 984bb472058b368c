#include "exports/obs_gama.hpp"

#include <cstdint>

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/utf8.hpp"
#include "exports/export_common.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

const std::string kLevel1(4, ' ');
const std::string kLevel2(8, ' ');
const std::string kLevel3(12, ' ');

// The name between double quotes, the whole left-justified in 16.
std::string QuotedPadded(const std::string& name) { return PadRight("\"" + XmlTextAscii(name) + "\"", 16); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

char Fold(std::uint32_t c) {
    if (c == 0xB0) return ' ';  // degree sign
    if (c >= 0xC0 && c <= 0xFF) {
        static const char kLatin1[] =
            "AAAAAAACEEEEIIII"   // C0-CF
            "DNOOOOO?OUUUUYTs"   // D0-DF
            "aaaaaaaceeeeiiii"   // E0-EF
            "dnooooo?ouuuuyty";  // F0-FF
        return kLatin1[c - 0xC0];
    }
    switch (c) {
        case 0x178: return 'Y';
        default: return '?';
    }
}

void CheckNumber(const std::string& text, int line, const char* what) {
    if (!IsPlainNumber(text)) throw ObsValueError(line, std::string(what) + " « " + text + " » non numérique");
}

void CheckCor(const std::string& text, int line, const char* what) {
    if (!IsPlainNumber(text)) throw CorValueError(line, std::string(what) + " « " + text + " » non numérique");
}

double CorSigma(const std::string& text, int line) {
    CheckCor(text, line, "écart type de coordonnée");
    return LenientNumber(text);
}

const char* AdjOf(const std::string& code) {
    if (code == "1") return " adj=\"XYZ\"/>";
    if (code == "2") return " adj=\"XYz\"/>";
    if (code == "3") return " adj=\"xyZ\"/>";
    return " adj=\"xyz\"/>";
}

}  // namespace

std::string GamaCommentText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            // XML 1.0 allows no control character but the tabulation.
            out += b == '-' ? ' ' : (b < 0x20 && b != '\t') || b == 0x7F ? '?' : static_cast<char>(b);
            ++i;
            continue;
        }
        std::size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        std::uint32_t c = n == 4 ? b & 0x07u : n == 3 ? b & 0x0Fu : b & 0x1Fu;
        for (std::size_t k = 1; k < n && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        if (c == 0x152 || c == 0x153) out += c == 0x152 ? "OE" : "oe";
        else out += Fold(n == 1 ? 0xFFFFu : c);
        i += n;
    }
    return out;
}

void ProduceGamaFromObs(const std::vector<ObsRecord>& records, const std::vector<CorRecord>& points, TLineSink& sink) {
    const TParam& p = Param();
    const bool heights = ExportHeights();
    const int angleDecimals = p.angle < 0 ? 0 : p.angle;
    const std::size_t valueWidth = static_cast<std::size_t>(angleDecimals) + 6;

    for (std::size_t i = 0; i < 5; ++i) sink.Add(p.gnu[i]);
    sink.Add(kLevel1 + "<description>");
    sink.Add(kLevel1 + "</description>");
    sink.Add("");
    sink.Add(kLevel1 + "<parameters conf-pr = \"0.95\"");
    // gama-local knows no attribute "update-constrained-coordinates": the
    // element ends with the a priori choice.
    sink.Add(kLevel2 + "sigma-act=\"apriori\" />");
    sink.Add("");
    sink.Add(kLevel1 + "<points-observations");
    sink.Add(kLevel2 + "direction-stdev=\"" + FormatFixed(static_cast<double>(p.sigma_Hz) * 10000.0, 0) + "\"");
    sink.Add(kLevel2 + "angle-stdev=\"" + FormatFixed(static_cast<double>(p.sigma_Hz) * 10000.0, 0) + "\"");
    sink.Add(kLevel2 + "zenith-angle-stdev=\"" + FormatFixed(static_cast<double>(p.sigma_V) * 10000.0, 0) + "\"");
    sink.Add(kLevel2 + "distance-stdev=\"" + FormatFixed(static_cast<double>(p.sigma_Dp) * 1000.0, 0) + " 0 1\" >");
    sink.Add("");

    // Points, then the constraints of the fixed ones.
    auto pointLine = [&](const CorRecord& c) {
        // A free point given by its name alone: gama-local computes its
        // approximate coordinates from the observations.
        if (c.code == "0" && c.x.empty() && c.y.empty() && c.z.empty())
            return "<point id=" + QuotedPadded(c.name) + AdjOf(c.code);
        CheckCor(c.x, c.lineNumber, "coordonnée");
        CheckCor(c.y, c.lineNumber, "coordonnée");
        CheckCor(c.z, c.lineNumber, "coordonnée");
        return "<point id=" + QuotedPadded(c.name) + " x=" + Quoted(c.x) + " y=" + Quoted(c.y) + " z=" + Quoted(c.z) +
               AdjOf(c.code);
    };
    int dim = 0;
    for (const CorRecord& c : points) {
        sink.Add(kLevel2 + pointLine(c));
        dim += c.code == "1" ? 3 : c.code == "2" ? 2 : c.code == "3" ? 1 : 0;
    }
    sink.Add("");
    // gama-local refuses a covariance matrix of dimension 0: without a
    // constrained point the block is left out.
    if (dim > 0) {
        sink.Add(kLevel2 + "<coordinates>");
        // gama-local counts every coordinate of these lines in the
        // dimension of the matrix: a point fixed in plan gives its x and y
        // only, a point fixed in height its z only.
        for (const CorRecord& c : points) {
            if (c.code == "0") continue;
            pointLine(c);
            std::string line = "<point id=" + QuotedPadded(c.name);
            if (c.code != "3") line += " x=" + Quoted(c.x) + " y=" + Quoted(c.y);
            if (c.code != "2") line += " z=" + Quoted(c.z);
            sink.Add(kLevel3 + line + AdjOf(c.code));
        }
        sink.Add(kLevel3 + "<cov-mat dim=\"" + std::to_string(dim) + "\" band=\"0\">");
        const std::string indent(16, ' ');
        for (const CorRecord& c : points) {
            if (c.code == "0") continue;
            auto variance = [&](const std::string& sigma) {
                const double mm = CorSigma(sigma, c.lineNumber) * 1000.0;
                sink.Add(indent + FormatFixed(mm * mm, 2));
            };
            if (c.code == "1" || c.code == "2") {
                variance(c.sigmaPlan);
                variance(c.sigmaPlan);
            }
            if (c.code == "1" || c.code == "3") variance(c.sigmaHeight);
        }
        sink.Add(kLevel3 + "</cov-mat>");
        sink.Add(kLevel2 + "</coordinates>");
        sink.Add("");
    }

    // Observations. A direction set is one `obs` element; a run of height
    // differences one `height-differences` element.
    enum class Group { None, Obs, Heights };
    Group group = Group::None;
    std::string groupFrom;
    std::string indent = kLevel2;
    std::string previous;  // last observation code written
    // Code of the next record that has an observation code, for each record.
    std::vector<std::string> nextCode(records.size());
    {
        std::string next;
        for (std::size_t i = records.size(); i-- > 0;) {
            nextCode[i] = next;
            if (records[i].IsObservation()) next = records[i].code;
        }
    }
    auto close = [&](bool blank = true) {
        if (group == Group::Obs) sink.Add(kLevel2 + "</obs>");
        if (group == Group::Heights) sink.Add(kLevel2 + "</height-differences>");
        if (group != Group::None && blank) sink.Add("");
        group = Group::None;
        indent = kLevel2;
    };
    auto openObs = [&](const std::string& from) {
        close();
        sink.Add(kLevel2 + "<obs from=" + Quoted(XmlTextAscii(from)) + ">");
        group = Group::Obs;
        groupFrom = from;
    };
    auto observation = [&](const char* element, const ObsRecord& r, const std::string& value, const std::string& stdev) {
        // A direction, angle or distance outside a set, or of another
        // station than the open set, opens a set of its own.
        if (group != Group::Obs || groupFrom != r.from) openObs(r.from);
        std::string line = kLevel3 + "<" + PadRight(element, 12) + "to=" + QuotedPadded(r.to) + " val=" + value +
                           " stdev=" + Quoted(stdev);
        if (heights) {
            CheckNumber(r.item7, r.lineNumber, "hauteur");
            CheckNumber(r.item8, r.lineNumber, "hauteur");
            line += " from_dh=" + Quoted(r.item7) + " to_dh=" + Quoted(r.item8);
        }
        sink.Add(line + " />");
        indent = kLevel3;
    };

    for (std::size_t i = 0; i < records.size(); ++i) {
        const ObsRecord& r = records[i];
        if (r.code.empty()) continue;
        const char code = r.code[0];
        switch (code) {
            case '0': {
                const std::string text = GamaCommentText(Utf8Mid(r.line, 1));
                if (!text.empty()) sink.Add(indent + "<!-- " + text + " -->");
                continue;
            }
            case '7':
                openObs(r.from);
                [[fallthrough]];
            case '5':
            case '6': {
                CheckNumber(r.value, r.lineNumber, "valeur");
                const double sigma = SigmaNumber(r.sigma, r.lineNumber);
                observation(code == '6' ? "z-angle" : "direction", r, PadLeft(Quoted(r.value), valueWidth),
                            FormatFixed(sigma * 10000.0, 0));
                previous = r.code;
                break;
            }
            case '3': {
                const double sigma = SigmaNumber(r.sigma, r.lineNumber);
                if (LenientNumber(r.value) > 0.05) {
                    CheckNumber(r.value, r.lineNumber, "valeur");
                    observation("s-distance", r, Quoted(r.value), FormatFixed(sigma * 1000.0, 1));
                    previous = r.code;
                }
                break;
            }
            case '4': {
                // Its height went into the centring vector just before.
                if (i > 0 && records[i - 1].code == "9") continue;
                CheckNumber(r.value, r.lineNumber, "valeur");
                const double sigma = SigmaNumber(r.sigma, r.lineNumber);
                if (group != Group::Heights) {
                    close();
                    sink.Add(kLevel2 + "<height-differences>");
                    group = Group::Heights;
                }
                sink.Add(kLevel3 + "<dh from=" + QuotedPadded(r.from) + " to=" + QuotedPadded(r.to) + " val=" +
                         Quoted(r.value) + " stdev=" + Quoted(FormatFixed(sigma * 1000.0, 1)) + " />");
                indent = kLevel3;
                previous = r.code;
                if (nextCode[i] != "4") close();
                continue;
            }
            case '9': {
                const double sigma = SigmaNumber(r.sigma, r.lineNumber);
                if (i + 1 < records.size() && records[i + 1].code == "4") {
                    const ObsRecord& h = records[i + 1];
                    CheckNumber(h.value, h.lineNumber, "valeur");
                    const double sigmaH = SigmaNumber(h.sigma, h.lineNumber);
                    close();
                    sink.Add(kLevel2 + "<!-- Centrage plani alti -->");
                    sink.Add(kLevel2 + "<vectors>");
                    sink.Add(kLevel3 + "<vec from=" + QuotedPadded(r.from) + " to=" + QuotedPadded(r.to) +
                             " dx=\"0.000\" dy=\"0.000\" dz=" + Quoted(h.value) + " />");
                    sink.Add(kLevel3 + "<cov-mat dim=\"3\" band=\"0\" >");
                    const double plan = sigma * 1000.0 * sigma * 1000.0;
                    const double height = sigmaH * 1000.0 * sigmaH * 1000.0;
                    sink.Add(std::string(16, ' ') + FormatFixed(plan, 3));
                    sink.Add(std::string(20, ' ') + FormatFixed(plan, 3));
                    sink.Add(std::string(24, ' ') + FormatFixed(height, 3));
                    sink.Add(kLevel3 + "</cov-mat>");
                    sink.Add(kLevel2 + "</vectors>");
                    sink.Add("");
                } else {
                    sink.Add(kLevel2 + "<!-- Centrage plani non gere par Gnu-Gama -->");
                }
                previous = r.code;
                continue;
            }
            default: continue;  // 1: no form for it
        }
        if (nextCode[i] == "7") close();
    }
    close(false);
    for (std::size_t i = 6; i < 9; ++i) sink.Add(p.gnu[i]);
}

}  // namespace kestrova
