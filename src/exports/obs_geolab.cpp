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

void Names(std::string& line, const std::string& from, const std::string& to) {
    InsertAtColumn(line, 11, from);
    const std::size_t fromLength = Utf8Length(from);
    InsertAtColumn(line, fromLength >= 14 ? 11 + fromLength + 1 : 24, to);
}

std::string Cut(std::string line) {
    if (Utf8Length(line) > kMaxLine) line = Utf8Left(line, kMaxLine);
    return line;
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
    // characters; a value of 10000 m or more is written without value.
    if (point != std::string::npos && point >= 1 && point <= 4) InsertAtColumn(line, 60 - point, value);
    InsertAtColumn(line, 70, FormatFixed(SigmaNumber(r.sigma, r.lineNumber), 4));
    InsertAtColumn(line, 77, "m");
    return Cut(std::move(line));
}

std::string GeolabObsAngleLine(const std::string& keyword, const ObsRecord& r) {
    std::string line = Template(keyword.c_str(), keyword == " DIR" ? 78 : 79);
    Names(line, r.from, r.to);
    InsertAtColumn(line, 50, "+");
    if (!IsPlainNumber(r.value)) throw ObsValueError(r.lineNumber, "valeur « " + r.value + " » non numérique");
    const std::size_t point = r.value.find('.');
    const std::string whole = r.value.substr(0, point);
    std::string decimals = point == std::string::npos ? std::string() : r.value.substr(point + 1);
    if (decimals.size() < 5) decimals.append(5 - decimals.size(), '0');
    InsertAtColumn(line, whole.size() >= 53 ? 1 : 54 - whole.size(), whole);
    if (decimals[0] == '0') InsertAtColumn(line, 56, decimals.substr(1, 1));
    else InsertAtColumn(line, 55, decimals.substr(0, 2));
    if (decimals[2] == '0') InsertAtColumn(line, 62, decimals.substr(3, 1));
    else InsertAtColumn(line, 61, decimals.substr(2, 2));
    InsertAtColumn(line, 63, ".");
    InsertAtColumn(line, 64, decimals.substr(4, 1));
    InsertAtColumn(line, 74, FormatFixed(SigmaNumber(r.sigma, r.lineNumber) * 10000.0, 0));
    return Cut(std::move(line));
}

void ProduceGeolabFromObs(const std::vector<ObsRecord>& records, TLineSink& sink) {
    for (const std::string& h : Param().geolab) sink.Add(" " + h);
    sink.Add(" ");
    sink.Add(" HIST NEW");
    sink.Add(" ");
    std::string previous;
    for (const ObsRecord& r : records) {
        if (r.code.empty() || r.code == "1") continue;
        const char code = r.code[0];
        switch (code) {
            case '0':
                if (previous != "0") sink.Add("");
                sink.Add(r.line);
                break;
            case '3':
                if (previous != "3") sink.Add("");
                // Only a distance of exactly 0 is left out here.
                if (LenientNumber(r.value) == 0.0) continue;
                sink.Add(GeolabObsDistanceLine(r));
                break;
            case '4': {
                if (previous != "4" && previous != "9") sink.Add("");
                if (!IsPlainNumber(r.value)) throw ObsValueError(r.lineNumber, "valeur « " + r.value + " » non numérique");
                SigmaNumber(r.sigma, r.lineNumber);
                std::string line = Template(" OHDF", 95);
                Names(line, r.from, r.to);
                InsertAtColumn(line, 50, r.value);
                InsertAtColumn(line, 70, r.sigma);
                sink.Add(Cut(std::move(line)));
                break;
            }
            case '6':
                if (previous != "6") sink.Add("");
                sink.Add(GeolabObsAngleLine(" ZANG", r));
                break;
            case '5':
            case '7':
                if (code == '7') {
                    sink.Add("");
                    sink.Add(" DSET ");
                }
                sink.Add(GeolabObsAngleLine(" DIR", r));
                break;
            case '9': {
                if (previous != "9") sink.Add("");
                const double sigma = SigmaNumber(r.sigma, r.lineNumber);
                sink.Add(" 2DD");
                for (const std::string* name : {&r.from, &r.to}) {
                    std::string pl = Template(" PL", 82);
                    InsertAtColumn(pl, 11, *name);
                    InsertAtColumn(pl, 24, "n  0  0  0.000000");
                    InsertAtColumn(pl, 42, "e  0  0  0.000000");
                    sink.Add(Cut(std::move(pl)));
                }
                sink.Add(" COV  LG DIAG");
                const std::string variance = FormatFixed(sigma * sigma, 16).substr(0, 22);
                std::string elem = Template(" ELEM", 84);
                for (std::size_t column : {7u, 31u, 55u}) InsertAtColumn(elem, column, variance);
                sink.Add(Cut(std::move(elem)));
                break;
            }
            default: continue;
        }
        previous = r.code;
    }
    sink.Add("");
    sink.Add(" HIST ALL");
    sink.Add(" END");
}

}  // namespace kestrova
