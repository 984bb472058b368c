#include "exports/obs_records.hpp"

#include <array>
#include <cmath>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/obs_columns.hpp"
#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "levelling/line_source.hpp"

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

// A numeric field cut to the width of its slot. The cut may only drop
// decimals of a number: a text that is no number, or one whose digits
// before the point go past the width, is kept whole, so that the check of
// the field reports what the file holds instead of a plausible prefix
// ("0.0010000000abc" is no 0.00100000, "12345678901" no 1234567890).
std::string NumberSlot(std::string_view text, std::size_t width) {
    std::string cut = Utf8Left(text, width);
    if (cut.size() == text.size()) return cut;
    if (PlainFieldNumber(text) && cut.find('.') != std::string::npos) return cut;
    return std::string(text);
}

}  // namespace

bool IsPlainNumber(const std::string& text) { return PlainFieldNumber(text).has_value(); }

double LenientNumber(const std::string& text) { return PlainFieldNumber(text).value_or(0.0); }

double SigmaNumber(const std::string& text, int line, const char* what) {
    try {
        return FieldNumber(text, line, what);
    } catch (const TFieldValueError& e) {
        throw ObsValueError(e.line(), e.what());
    }
}

TObsRecordReader::TObsRecordReader(TLineSource& source, RenormSign sign, TProgress& progress)
    : source_(source), sign_(sign), progress_(progress) {}

void TObsRecordReader::Warn(std::string text) {
    if (warnings_.size() < 20) warnings_.push_back(std::move(text));
    else ++moreWarnings_;
}

std::vector<std::string> TObsRecordReader::Warnings() const {
    std::vector<std::string> all = warnings_;
    if (moreWarnings_ > 0) all.push_back("... et " + std::to_string(moreWarnings_) + " autres avertissements.");
    return all;
}

bool TObsRecordReader::Next(ObsRecord& rec) {
    if (!source_.Next(raw_)) return false;
    const int number = ++number_;
    if ((number & 0xFFF) == 0) progress_.Advance(number, source_.Total());
    rec = ObsRecord();
    rec.lineNumber = number;
    rec.line = Utf8Left(TrimView(raw_), 128);
    if (rec.line.empty()) return true;
    if (!IsObsCode(rec.line[0])) {
        rec.code = "0";
        return true;
    }
    rec.code = std::string(1, rec.line[0]);
    observationMet_ = true;
    std::string from, to;
    std::string_view rest;
    if (ObsNamesByColumns(rec.line, from, to, rest)) {
        TLineFields& f = fields_;
        SplitLineFields(rest, f);
        for (const std::string* name : {&from, &to})
            if (name->find(' ') != std::string::npos)
                Warn(Format("ligne %d : le nom « %s » contient un blanc, il devient « %s »", number, *name,
                            WithoutBlanks(*name)));
        rec.from = Utf8Left(WithoutBlanks(from), 16);
        rec.to = Utf8Left(WithoutBlanks(to), 16);
        rec.value = NumberSlot(f.fields[0], 16);
        rec.sigma = NumberSlot(f.fields[1], 10);
        rec.item6 = NumberSlot(f.fields[2], 10);
        if (!f.fields[3].empty()) rec.item7 = NumberSlot(f.fields[3], 10);
        if (!f.fields[4].empty()) rec.item8 = NumberSlot(f.fields[4], 10);
    } else {
        TLineFields& f = fields_;
        SplitLineFields(rec.line, f);
        // A line of more than 20 fields counts none, its fields staying in
        // their slots: the items are read from the slots all the same.
        rec.from = Utf8Left(f.fields[1], 16);
        rec.to = Utf8Left(f.fields[2], 16);
        // The files hold 16 characters of a name: two names alike in those
        // become one point, which is told.
        for (int k : {1, 2}) {
            if (f.fields[k].size() <= 16 || Utf8Length(f.fields[k]) <= 16) continue;
            const std::string cut = Utf8Left(f.fields[k], 16);
            const auto [known, added] = longNames_.emplace(cut, f.fields[k]);
            if (!added && known->second != f.fields[k])
                Warn(Format("ligne %d : les noms « %s » et « %s » ont les mêmes 16 premiers caractères, ils deviennent "
                            "un seul point « %s »",
                            number, known->second, f.fields[k], cut));
        }
        rec.value = NumberSlot(f.fields[3], 16);
        rec.sigma = NumberSlot(f.fields[4], 10);
        rec.item6 = NumberSlot(f.fields[5], 10);
        // A height that the line does not carry reads as 0.
        if (!f.fields[6].empty()) rec.item7 = NumberSlot(f.fields[6], 10);
        if (!f.fields[7].empty()) rec.item8 = NumberSlot(f.fields[7], 10);
    }
    // Every number of the line is read by one of the outputs.
    SigmaNumber(rec.value, number, "valeur");
    const double sigma = SigmaNumber(rec.sigma, number);
    if (!rec.item6.empty()) SigmaNumber(rec.item6, number, "sixième champ");
    SigmaNumber(rec.item7, number, "hauteur de station");
    SigmaNumber(rec.item8, number, "hauteur de cible");
    if (Param().renormalisation) {
        const RenormPair pair = PairOf(rec.code[0]);
        double s = std::sqrt(pair.add * pair.add + pair.factor * sigma * pair.factor * sigma);
        if (sign_ == RenormSign::Signed && sigma <= 0.0) s = -s;
        rec.sigma = NumberSlot(FormatFixed(s, 4), 10);
    }
    return true;
}

ObsReading ReadObsLines(const std::vector<std::string>& lines, RenormSign sign, TProgress& progress) {
    TVectorLineSource source(lines);
    TObsRecordReader reader(source, sign, progress);
    ObsReading r;
    r.records.reserve(lines.size());
    ObsRecord rec;
    while (reader.Next(rec)) r.records.push_back(std::move(rec));
    r.observationMet = reader.ObservationMet();
    r.warnings = reader.Warnings();
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
        c.x = NumberSlot(f.fields[2], 128);
        c.y = NumberSlot(f.fields[3], 128);
        c.z = NumberSlot(f.fields[4], 16);
        c.sigmaPlan = NumberSlot(f.fields[5], 10);
        c.sigmaHeight = NumberSlot(f.fields[6], 10);
        if (PlainFieldNumber(f.fields[7])) c.extraNumber = f.fields[7];
        c.lineNumber = number;
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace kestrova
