#include "exports/obs_renormalised.hpp"

#include "base/fixed_text.hpp"
#include "base/param.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

int Decimals(int setting) { return setting < 0 ? 0 : setting; }

}  // namespace

std::string RenormalisedObsLine(const ObsRecord& r) {
    const TParam& p = Param();
    const char code = r.code.empty() ? ' ' : r.code[0];
    int valueDecimals = 0, sigmaDecimals = 0, item6Decimals = 0;
    switch (code) {
        case '3':
        case '9': valueDecimals = sigmaDecimals = item6Decimals = Decimals(p.longueur); break;
        case '4':
            valueDecimals = sigmaDecimals = Decimals(p.nivellement);
            item6Decimals = Decimals(p.longueur);
            break;
        case '5':
        case '6':
        case '7': valueDecimals = sigmaDecimals = item6Decimals = Decimals(p.angle); break;
        default: return {};
    }
    std::string line;
    line.reserve(96);
    line += code;
    line += ' ';
    AppendPadRight(line, r.from, 16);
    line += ' ';
    AppendPadRight(line, r.to, 16);
    line += ' ';
    AppendFixed(line, LenientNumber(r.value), valueDecimals, 10);
    line += ' ';
    AppendFixed(line, LenientNumber(r.sigma), sigmaDecimals, 10);
    line += ' ';
    AppendFixed(line, LenientNumber(r.item6), item6Decimals, 10);
    // The format has no blank before the instrument height: one that fills
    // its 8 columns ("-100.0000") would be joined to the field before it
    // and the line could not be read again.
    const std::size_t height = line.size();
    AppendFixed(line, LenientNumber(r.item7), 4, 8);
    if (line[height] != ' ') line.insert(height, 1, ' ');
    line += ' ';
    AppendFixed(line, LenientNumber(r.item8), 4, 8);
    return line;
}

TRenormalisedObs::TRenormalisedObs(const TExportTime& time, TLineSink& sink) : sink_(sink) {
    sink_.Add("* fichier créé le " + ExportDate(time, '/') + " à " + ExportClock(time));
}

void TRenormalisedObs::Add(const ObsRecord& r) {
    if (r.code.empty() || r.code == "1") return;
    const char code = r.code[0];
    if (code == '0') {
        if (previous_ != "0") sink_.Add("");
        sink_.Add(r.line);
        previous_ = "0";
        return;
    }
    const bool blank = code == '4' ? (previous_ != "4" && previous_ != "9") : code != '5' && previous_ != r.code;
    if (blank) sink_.Add("");
    // A distance of 0 or less is no distance.
    if (code == '3' && !(LenientNumber(r.value) > 0.0)) return;
    sink_.Add(RenormalisedObsLine(r));
    previous_ = r.code;
}

void ProduceRenormalisedObs(const std::vector<ObsRecord>& records, const TExportTime& time, TLineSink& sink) {
    TRenormalisedObs out(time, sink);
    for (const ObsRecord& r : records) out.Add(r);
}

}  // namespace kestrova
