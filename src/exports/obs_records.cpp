#include "exports/obs_records.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

struct RenormPair {
    double add = 0.0, factor = 1.0;
};

RenormPair PairOf(char code) {
    const TParam& p = Param();
    switch (code) {
        case '5':
        case '7': return {p.AH_add, p.AH_mult};
        case '6': return {p.AV_add, p.AV_mult};
        case '1':
        case '3': return {p.Dp_add, p.Dp_mult};
        case '4': return {p.Dn_add, p.Dn_mult};
        default: return {};  // 9: centring, left as it is
    }
}

bool IsObsCode(char c) {
    return c == '1' || c == '3' || c == '4' || c == '5' || c == '6' || c == '7' || c == '9';
}

std::string Quote(const std::string& text) { return "« " + text + " »"; }

}  // namespace

bool IsPlainNumber(const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == '.' && !point) point = true;
        else return false;
    }
    return digit;
}

double LenientNumber(const std::string& text) { return TextToDoubleOr(text, 0.0); }

double SigmaNumber(const std::string& text, int line, const char* what) {
    if (!IsPlainNumber(text)) throw ObsValueError(line, std::string(what) + " " + Quote(text) + " non numérique");
    return TextToDoubleOr(text, 0.0);
}

ObsReading ReadObsLines(const std::vector<std::string>& lines, RenormSign sign, TProgress& progress) {
    const TParam& p = Param();
    ObsReading r;
    r.records.reserve(lines.size());
    int number = 0;
    for (const std::string& raw : lines) {
        ++number;
        if ((number & 0xFFF) == 0) progress.Advance(number, static_cast<double>(lines.size()));
        ObsRecord rec;
        rec.lineNumber = number;
        rec.line = Utf8Left(Trim(raw), 128);
        if (rec.line.empty()) {
            rec.code.clear();
            r.records.push_back(std::move(rec));
            continue;
        }
        if (!IsObsCode(rec.line[0])) {
            rec.code = "0";
            r.records.push_back(std::move(rec));
            continue;
        }
        rec.code = std::string(1, rec.line[0]);
        r.observationMet = true;
        const TLineFields f = SplitLineFields(rec.line);
        // A line of more than 20 fields counts none, its fields staying in
        // their slots: the items are read from the slots all the same.
        rec.from = Utf8Left(f.fields[1], 16);
        rec.to = Utf8Left(f.fields[2], 16);
        rec.value = Utf8Left(f.fields[3], 16);
        rec.sigma = Utf8Left(f.fields[4], 10);
        rec.item6 = Utf8Left(f.fields[5], 10);
        // A height that the line does not carry reads as 0.
        if (!f.fields[6].empty()) rec.item7 = Utf8Left(f.fields[6], 10);
        if (!f.fields[7].empty()) rec.item8 = Utf8Left(f.fields[7], 10);
        const double sigma = SigmaNumber(rec.sigma, number);
        if (p.renormalisation) {
            const RenormPair pair = PairOf(rec.code[0]);
            double s = std::sqrt(pair.add * pair.add + pair.factor * sigma * pair.factor * sigma);
            if (sign == RenormSign::Signed && sigma <= 0.0) s = -s;
            rec.sigma = Utf8Left(FormatFixed(s, 4), 10);
        }
        r.records.push_back(std::move(rec));
    }
    return r;
}

bool RenormalisationChangesSigmas() {
    for (char code : {'5', '6', '3', '4'}) {
        const RenormPair pair = PairOf(code);
        if (pair.add > 0.0 || pair.factor != 1.0) return true;
    }
    return false;
}

std::vector<CorRecord> ReadCorLines(const std::vector<std::string>& lines) {
    std::vector<CorRecord> out;
    int number = 0;
    for (const std::string& raw : lines) {
        ++number;
        const std::string line = Utf8Left(Trim(raw), 128);
        if (line.empty() || line[0] < '0' || line[0] > '3') continue;
        const TLineFields f = SplitLineFields(line);
        CorRecord c;
        c.line = line;
        c.code = std::string(1, line[0]);
        c.name = Utf8Left(f.fields[1], 16);
        c.x = Utf8Left(f.fields[2], 128);
        c.y = Utf8Left(f.fields[3], 128);
        c.z = Utf8Left(f.fields[4], 16);
        c.sigmaPlan = Utf8Left(f.fields[5], 10);
        c.sigmaHeight = Utf8Left(f.fields[6], 10);
        c.lineNumber = number;
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace kestrova
