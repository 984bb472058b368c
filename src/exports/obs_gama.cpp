#include "exports/obs_gama.hpp"

#include <cmath>
#include <cstdint>
#include <deque>

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

void CheckCor(const std::string& text, int line, const char* what) {
    if (!PlainFieldNumber(text)) throw CorValueError(line, FieldNumberProblem(what, text));
}

double CorSigma(const std::string& text, int line) {
    CheckCor(text, line, "écart type de coordonnée");
    return LenientNumber(text);
}

// The standard deviation of an observation; `scale` turns it into the
// unit written in the file (cc or mm), where gama-local refuses anything
// under a millionth as it refuses 0.
double ObservationSigma(const ObsRecord& r, double scale) {
    const double sigma = SigmaNumber(r.sigma, r.lineNumber);
    if (std::fabs(sigma * scale) < 1e-6)
        throw ObsValueError(r.lineNumber, "écart type « " + r.sigma + " » nul : GNU Gama refuse une observation sans "
                                                                     "écart type");
    return sigma;
}

// What a coordinate record constrains, and which of it is fixed (its
// standard deviation is 0).
struct Constraint {
    bool plan = false, height = false;            // constrained
    bool planFixed = false, heightFixed = false;  // of those, fixed
    int Dimension() const {
        return (plan && !planFixed ? 2 : 0) + (height && !heightFixed ? 1 : 0);
    }
};

Constraint ConstraintOf(const CorRecord& c) {
    Constraint k;
    k.plan = c.code == "1" || c.code == "2";
    k.height = c.code == "1" || c.code == "3";
    if (k.plan) k.planFixed = CorSigma(c.sigmaPlan, c.lineNumber) == 0.0;
    if (k.height) k.heightFixed = CorSigma(c.sigmaHeight, c.lineNumber) == 0.0;
    return k;
}

// The point's attributes: "adj" with the constrained coordinates in
// capitals, the fixed ones in "fix" before it.
std::string AdjOf(const Constraint& k) {
    if (!k.planFixed && !k.heightFixed) {
        if (k.plan && k.height) return " adj=\"XYZ\"/>";
        if (k.plan) return " adj=\"XYz\"/>";
        if (k.height) return " adj=\"xyZ\"/>";
        return " adj=\"xyz\"/>";
    }
    std::string fix, adj;
    if (k.planFixed) fix += "xy";
    else adj += k.plan ? "XY" : "xy";
    if (k.heightFixed) fix += "z";
    else adj += k.height ? "Z" : "z";
    std::string text = " fix=\"" + fix + "\"";
    if (!adj.empty()) text += " adj=\"" + adj + "\"";
    return text + "/>";
}

}  // namespace

std::string GamaNonZeroText(double value, int decimals) {
    std::string text = FormatFixed(value, decimals);
    while (value != 0.0 && text.find_first_of("123456789") == std::string::npos && decimals < 12)
        text = FormatFixed(value, ++decimals);
    return text;
}

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

struct TGamaFromObs::Impl {
    Impl(const std::vector<CorRecord>& points, TLineSink& out) : sink(out) { Start(points); }

    enum class Group { None, Obs, Heights };

    TLineSink& sink;
    bool heights = ExportHeights();
    std::size_t valueWidth = 0;
    Group group = Group::None;
    std::string groupFrom;
    std::string indent = kLevel2;
    std::string previousRecord;  // code of the record written before the current one
    std::deque<ObsRecord> pending;

    void Start(const std::vector<CorRecord>& points);
    void Close(bool blank = true);
    void OpenObs(const std::string& from);
    void Observation(const char* element, const ObsRecord& r, const std::string& value, const std::string& stdev);
    // Writes the first pending record; `next` is the code of the next
    // observation record ("" when none), `following` the record right
    // after it (none at the end).
    void Write(const ObsRecord& r, const std::string& next, const ObsRecord* following);
    // Writes the pending records whose next observation is known (all of
    // them at the end).
    void Drain(bool atEnd);
};

void TGamaFromObs::Impl::Start(const std::vector<CorRecord>& points) {
    const TParam& p = Param();
    valueWidth = static_cast<std::size_t>(p.angle < 0 ? 0 : p.angle) + 6;
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
    auto checkCoordinates = [](const CorRecord& c) {
        CheckCor(c.x, c.lineNumber, "coordonnée");
        CheckCor(c.y, c.lineNumber, "coordonnée");
        CheckCor(c.z, c.lineNumber, "coordonnée");
    };
    std::vector<Constraint> constraints;
    constraints.reserve(points.size());
    int dim = 0;
    for (const CorRecord& c : points) {
        // Read by blanks, the fields of such a line have all moved by one:
        // the name's second part taken for x, x for y, and so on.
        if (!c.extraNumber.empty())
            throw CorValueError(c.lineNumber, "nombre « " + c.extraNumber + " » de trop après les coordonnées et leurs "
                                              "écarts types (un nom avec un blanc ?)");
        const Constraint k = ConstraintOf(c);
        constraints.push_back(k);
        dim += k.Dimension();
        // A free point given by its name alone: gama-local computes its
        // approximate coordinates from the observations.
        if (c.code == "0" && c.x.empty() && c.y.empty() && c.z.empty()) {
            sink.Add(kLevel2 + "<point id=" + QuotedPadded(c.name) + AdjOf(k));
            continue;
        }
        checkCoordinates(c);
        sink.Add(kLevel2 + "<point id=" + QuotedPadded(c.name) + " x=" + Quoted(c.x) + " y=" + Quoted(c.y) +
                 " z=" + Quoted(c.z) + AdjOf(k));
    }
    sink.Add("");
    // gama-local refuses a covariance matrix of dimension 0: without a
    // constrained coordinate the block is left out.
    if (dim == 0) return;
    sink.Add(kLevel2 + "<coordinates>");
    // gama-local counts every coordinate of these lines in the dimension
    // of the matrix: a point constrained in plan gives its x and y only, a
    // point constrained in height its z only (a fixed part none).
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CorRecord& c = points[i];
        const Constraint& k = constraints[i];
        if (k.Dimension() == 0) continue;
        std::string line = "<point id=" + QuotedPadded(c.name);
        if (k.plan && !k.planFixed) line += " x=" + Quoted(c.x) + " y=" + Quoted(c.y);
        if (k.height && !k.heightFixed) line += " z=" + Quoted(c.z);
        sink.Add(kLevel3 + line + AdjOf(Constraint{k.plan && !k.planFixed, k.height && !k.heightFixed}));
    }
    sink.Add(kLevel3 + "<cov-mat dim=\"" + std::to_string(dim) + "\" band=\"0\">");
    const std::string varianceIndent(16, ' ');
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CorRecord& c = points[i];
        const Constraint& k = constraints[i];
        auto variance = [&](const std::string& sigma) {
            const double mm = CorSigma(sigma, c.lineNumber) * 1000.0;
            sink.Add(varianceIndent + GamaNonZeroText(mm * mm, 2));
        };
        if (k.plan && !k.planFixed) {
            variance(c.sigmaPlan);
            variance(c.sigmaPlan);
        }
        if (k.height && !k.heightFixed) variance(c.sigmaHeight);
    }
    sink.Add(kLevel3 + "</cov-mat>");
    sink.Add(kLevel2 + "</coordinates>");
    sink.Add("");
}

void TGamaFromObs::Impl::Close(bool blank) {
    if (group == Group::Obs) sink.Add(kLevel2 + "</obs>");
    if (group == Group::Heights) sink.Add(kLevel2 + "</height-differences>");
    if (group != Group::None && blank) sink.Add("");
    group = Group::None;
    indent = kLevel2;
}

void TGamaFromObs::Impl::OpenObs(const std::string& from) {
    Close();
    sink.Add(kLevel2 + "<obs from=" + Quoted(XmlTextAscii(from)) + ">");
    group = Group::Obs;
    groupFrom = from;
}

void TGamaFromObs::Impl::Observation(const char* element, const ObsRecord& r, const std::string& value,
                                     const std::string& stdev) {
    // A direction, angle or distance outside a set, or of another station
    // than the open set, opens a set of its own.
    if (group != Group::Obs || groupFrom != r.from) OpenObs(r.from);
    std::string line = kLevel3 + "<" + PadRight(element, 12) + "to=" + QuotedPadded(r.to) + " val=" + value +
                       " stdev=" + Quoted(stdev);
    if (heights) line += " from_dh=" + Quoted(r.item7) + " to_dh=" + Quoted(r.item8);
    sink.Add(line + " />");
    indent = kLevel3;
}

void TGamaFromObs::Impl::Write(const ObsRecord& r, const std::string& next, const ObsRecord* following) {
    if (r.code.empty()) return;
    const char code = r.code[0];
    switch (code) {
        case '0': {
            const std::string text = GamaCommentText(Utf8Mid(r.line, 1));
            if (!text.empty()) sink.Add(indent + "<!-- " + text + " -->");
            return;
        }
        case '7':
            OpenObs(r.from);
            [[fallthrough]];
        case '5':
        case '6': {
            SigmaNumber(r.value, r.lineNumber, "valeur");
            const double sigma = ObservationSigma(r, 10000.0);
            Observation(code == '6' ? "z-angle" : "direction", r, PadLeft(Quoted(r.value), valueWidth),
                        GamaNonZeroText(sigma * 10000.0, 0));
            break;
        }
        case '3': {
            if (LenientNumber(r.value) > 0.05)
                Observation("s-distance", r, Quoted(r.value), GamaNonZeroText(ObservationSigma(r, 1000.0) * 1000.0, 1));
            break;
        }
        case '4': {
            // Its height went into the centring vector just before.
            if (previousRecord == "9") return;
            const double sigma = ObservationSigma(r, 1000.0);
            if (group != Group::Heights) {
                Close();
                sink.Add(kLevel2 + "<height-differences>");
                group = Group::Heights;
            }
            sink.Add(kLevel3 + "<dh from=" + QuotedPadded(r.from) + " to=" + QuotedPadded(r.to) + " val=" +
                     Quoted(r.value) + " stdev=" + Quoted(GamaNonZeroText(sigma * 1000.0, 1)) + " />");
            indent = kLevel3;
            if (next != "4") Close();
            return;
        }
        case '9': {
            if (following && following->code == "4") {
                const ObsRecord& h = *following;
                const double sigma = ObservationSigma(r, 1000.0);
                const double sigmaH = ObservationSigma(h, 1000.0);
                Close();
                sink.Add(kLevel2 + "<!-- Centrage plani alti -->");
                sink.Add(kLevel2 + "<vectors>");
                sink.Add(kLevel3 + "<vec from=" + QuotedPadded(r.from) + " to=" + QuotedPadded(r.to) +
                         " dx=\"0.000\" dy=\"0.000\" dz=" + Quoted(h.value) + " />");
                sink.Add(kLevel3 + "<cov-mat dim=\"3\" band=\"0\" >");
                const double plan = sigma * 1000.0 * sigma * 1000.0;
                const double height = sigmaH * 1000.0 * sigmaH * 1000.0;
                sink.Add(std::string(16, ' ') + GamaNonZeroText(plan, 3));
                sink.Add(std::string(20, ' ') + GamaNonZeroText(plan, 3));
                sink.Add(std::string(24, ' ') + GamaNonZeroText(height, 3));
                sink.Add(kLevel3 + "</cov-mat>");
                sink.Add(kLevel2 + "</vectors>");
                sink.Add("");
            } else {
                sink.Add(kLevel2 + "<!-- Centrage plani non gere par Gnu-Gama -->");
            }
            return;
        }
        default: return;  // 1: no form for it
    }
    if (next == "7") Close();
}

void TGamaFromObs::Impl::Drain(bool atEnd) {
    while (!pending.empty()) {
        const ObsRecord& r = pending.front();
        std::string next;
        if (r.IsObservation()) {
            std::size_t i = 1;
            while (i < pending.size() && !pending[i].IsObservation()) ++i;
            if (i < pending.size()) next = pending[i].code;
            else if (!atEnd) return;  // wait for the next observation
        }
        Write(r, next, pending.size() > 1 ? &pending[1] : nullptr);
        previousRecord = r.code;
        pending.pop_front();
    }
}

TGamaFromObs::TGamaFromObs(const std::vector<CorRecord>& points, TLineSink& sink)
    : impl_(std::make_unique<Impl>(points, sink)) {}

TGamaFromObs::~TGamaFromObs() = default;

void TGamaFromObs::Add(ObsRecord record) {
    impl_->pending.push_back(std::move(record));
    impl_->Drain(false);
}

void TGamaFromObs::Finish() {
    impl_->Drain(true);
    impl_->Close(false);
    const TParam& p = Param();
    for (std::size_t i = 6; i < 9; ++i) impl_->sink.Add(p.gnu[i]);
}

void ProduceGamaFromObs(const std::vector<ObsRecord>& records, const std::vector<CorRecord>& points, TLineSink& sink) {
    TGamaFromObs gama(points, sink);
    for (const ObsRecord& r : records) gama.Add(r);
    gama.Finish();
}

}  // namespace kestrova
