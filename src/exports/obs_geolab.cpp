#include "exports/obs_geolab.hpp"

#include <cmath>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/param.hpp"
#include "base/utf8.hpp"
#include "exports/geolab_writer.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kMaxLine = 128;

std::string Template(const char* keyword, std::size_t length) {
    std::string line(keyword);
    line.append(length - line.size(), ' ');
    return line;
}

// Inserts `name` at column 11; returns the column of the next field: 24,
// or one blank after a name of 14 characters or more.
std::size_t InsertName(std::string& line, const std::string& name) {
    InsertAtColumn(line, 11, name);
    const std::size_t length = Utf8Length(name);
    return length >= 14 ? 11 + length + 1 : 24;
}

void Names(std::string& line, const std::string& from, const std::string& to) {
    InsertAtColumn(line, InsertName(line, from), to);
}

std::string Cut(std::string line) {
    if (Utf8Length(line) > kMaxLine) line = Utf8Left(line, kMaxLine);
    return line;
}

// The sign, whole gons and first five decimals of an angle, from the
// digits of its value (the text was checked to be a plain decimal); the
// decimals past the fifth are dropped.
struct AngleParts {
    char sign = '+';
    std::string whole;     // without leading zeros, "0" for none
    std::string decimals;  // five digits
};

AngleParts AngleOf(const ObsRecord& r) {
    const std::string& text = r.value;
    SigmaNumber(text, r.lineNumber, "valeur");
    AngleParts a;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) a.sign = text[i++];
    const std::size_t point = text.find('.', i);
    a.whole = text.substr(i, point == std::string::npos ? std::string::npos : point - i);
    a.decimals = point == std::string::npos ? std::string() : text.substr(point + 1);
    const std::size_t first = a.whole.find_first_not_of('0');
    a.whole = first == std::string::npos ? "0" : a.whole.substr(first);
    a.decimals.resize(5, '0');
    if (a.whole == "0" && a.decimals == "00000") a.sign = '+';  // never "-0"
    if (a.whole.size() > 3)
        throw ObsValueError(r.lineNumber, "valeur « " + text + " » : un angle de 1000 gon ou plus ne tient pas dans "
                                                               "les colonnes Geolab");
    return a;
}

}  // namespace

std::string GeolabObsDistanceLine(const ObsRecord& r) {
    std::string line = Template(" DIST", 78);
    line += "m ";
    Names(line, r.from, r.to);
    std::string value = FixedText(LenientNumber(r.value), 4);
    const std::size_t width = Utf8Length(r.value);
    if (value.size() < width) value.insert(0, width - value.size(), ' ');
    const std::size_t point = value.find('.');
    // The point falls at column 60 when it is among the first five
    // characters. A value of 10000 m or more does not fit these columns:
    // written without its value the record would lose the distance, so
    // the conversion stops as for an angle of 1000 gon.
    if (point == std::string::npos || point < 1 || point > 4)
        throw ObsValueError(r.lineNumber, "valeur « " + r.value + " » : une distance de 10000 m ou plus ne tient pas "
                                                                  "dans les colonnes Geolab");
    InsertAtColumn(line, 60 - point, value);
    InsertAtColumn(line, 70, FormatFixed(SigmaNumber(r.sigma, r.lineNumber), 4));
    InsertAtColumn(line, 77, "m");
    return Cut(std::move(line));
}

std::string GeolabObsAngleLine(const std::string& keyword, const ObsRecord& r) {
    const AngleParts a = AngleOf(r);
    std::string line = Template(keyword.c_str(), keyword == " DIR" ? 78 : 79);
    Names(line, r.from, r.to);
    InsertAtColumn(line, 50, std::string(1, a.sign));
    InsertAtColumn(line, 54 - a.whole.size(), a.whole);
    if (a.decimals[0] == '0') InsertAtColumn(line, 56, a.decimals.substr(1, 1));
    else InsertAtColumn(line, 55, a.decimals.substr(0, 2));
    if (a.decimals[2] == '0') InsertAtColumn(line, 62, a.decimals.substr(3, 1));
    else InsertAtColumn(line, 61, a.decimals.substr(2, 2));
    InsertAtColumn(line, 63, ".");
    InsertAtColumn(line, 64, a.decimals.substr(4, 1));
    InsertAtColumn(line, 74, FormatFixed(SigmaNumber(r.sigma, r.lineNumber) * 10000.0, 0));
    return Cut(std::move(line));
}

TGeolabFromObs::TGeolabFromObs(TLineSink& sink) : sink_(sink) {
    for (const std::string& h : Param().geolab) sink_.Add(" " + h);
    sink_.Add(" ");
    sink_.Add(" HIST NEW");
    sink_.Add(" ");
}

void TGeolabFromObs::Add(const ObsRecord& r) {
    if (r.code.empty() || r.code == "1") return;
    const char code = r.code[0];
    switch (code) {
        case '0':
            if (previous_ != "0") sink_.Add("");
            sink_.Add(r.line);
            break;
        case '3':
            if (previous_ != "3") sink_.Add("");
            // Only a distance of exactly 0 is left out here.
            if (LenientNumber(r.value) == 0.0) return;
            sink_.Add(GeolabObsDistanceLine(r));
            break;
        case '4': {
            if (previous_ != "4" && previous_ != "9") sink_.Add("");
            SigmaNumber(r.value, r.lineNumber, "valeur");
            SigmaNumber(r.sigma, r.lineNumber);
            std::string line = Template(" OHDF", 95);
            Names(line, r.from, r.to);
            InsertAtColumn(line, 50, r.value);
            InsertAtColumn(line, 70, r.sigma);
            sink_.Add(Cut(std::move(line)));
            break;
        }
        case '6':
            if (previous_ != "6") sink_.Add("");
            sink_.Add(GeolabObsAngleLine(" ZANG", r));
            break;
        case '5':
        case '7':
            if (code == '7') {
                sink_.Add("");
                sink_.Add(" DSET ");
            }
            sink_.Add(GeolabObsAngleLine(" DIR", r));
            break;
        case '9': {
            if (previous_ != "9") sink_.Add("");
            const double sigma = SigmaNumber(r.sigma, r.lineNumber);
            sink_.Add(" 2DD");
            for (const std::string* name : {&r.from, &r.to}) {
                std::string pl = Template(" PL", 82);
                const std::size_t north = InsertName(pl, *name);
                InsertAtColumn(pl, north, "n  0  0  0.000000");
                InsertAtColumn(pl, north + 18, "e  0  0  0.000000");
                sink_.Add(Cut(std::move(pl)));
            }
            sink_.Add(" COV  LG DIAG");
            const std::string variance = FormatFixed(sigma * sigma, 16).substr(0, 22);
            std::string elem = Template(" ELEM", 84);
            for (std::size_t column : {7u, 31u, 55u}) InsertAtColumn(elem, column, variance);
            sink_.Add(Cut(std::move(elem)));
            break;
        }
        default: return;
    }
    previous_ = r.code;
}

void TGeolabFromObs::Finish() {
    sink_.Add("");
    sink_.Add(" HIST ALL");
    sink_.Add(" END");
}

void ProduceGeolabFromObs(const std::vector<ObsRecord>& records, TLineSink& sink) {
    TGeolabFromObs geolab(sink);
    for (const ObsRecord& r : records) geolab.Add(r);
    geolab.Finish();
}

}  // namespace kestrova
