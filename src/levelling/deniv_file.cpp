#include "levelling/deniv_file.hpp"

#include <algorithm>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/output_set.hpp"
#include "base/progress.hpp"
#include "base/text_helpers.hpp"
#include "levelling/line_source.hpp"
#include "levelling/niv_records.hpp"

namespace kestrova {

std::vector<Tdeniv> ReadDenivFile(TLineSource& source, TNivWarnings& warnings) {
    std::vector<Tdeniv> entries;
    std::string line;
    int lineNumber = 0;
    while (source.Next(line)) {
        ++lineNumber;
        const TLineFields f = SplitLineFields(line);
        Tdeniv d;
        if (!f.comment.empty()) {
            d.comment = f.comment;
            entries.push_back(std::move(d));
            continue;
        }
        if (f.count == 0 || (f.fields[0] != "4" && f.fields[0] != "OHDF")) continue;
        d.from = f.fields[1];
        d.to = f.fields[2];
        const bool dhOk = IsNumericText(f.fields[3], false);
        const bool sigmaOk = IsNumericText(f.fields[4], false);
        d.dh = dhOk ? TextToDoubleOr(f.fields[3], 0.0, false) : 0.0;
        d.sigma = sigmaOk ? TextToDoubleOr(f.fields[4], 0.0, false) : 0.0;
        if (!dhOk || !sigmaOk)
            warnings.Add(Format("ligne %d : %s illisible, lu 0", lineNumber,
                                !dhOk && !sigmaOk ? "dénivelée et écart type"
                                : !dhOk           ? "dénivelée"
                                                  : "écart type"));
        entries.push_back(std::move(d));
    }
    return entries;
}

namespace {

void Reverse(Tdeniv& d) {
    std::swap(d.from, d.to);
    d.dh = -d.dh;
    d.orientation = d.orientation == 1 ? 0 : 1;
}

}  // namespace

void SortDenivs(std::vector<Tdeniv>& entries) {
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(entries.size());
    std::vector<bool> reversed(entries.size(), false);
    for (size_t i = 0; i < entries.size(); ++i) {
        Tdeniv& d = entries[i];
        if (d.comment.empty() && d.from > d.to) {  // plain byte order
            Reverse(d);
            reversed[i] = true;
        }
        keys.emplace_back(ToLowerAscii(BrelixRecord(d)), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Tdeniv> sorted;
    sorted.reserve(entries.size());
    for (const auto& [key, i] : keys) {
        Tdeniv d = std::move(entries[i]);
        if (reversed[i]) {
            Reverse(d);
            d.orientation = 1;
        }
        sorted.push_back(std::move(d));
    }
    entries = std::move(sorted);
}

std::vector<std::string> DenivFileLines(const std::vector<Tdeniv>& entries, TDenivOutput output) {
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const Tdeniv& d : entries)
        lines.push_back(PrintableText(output == TDenivOutput::SortedGeolab ? GeolabRecord(d) : BrelixRecord(d)));
    return lines;
}

std::vector<std::string> ConvertDenivFile(TLineSource& source, const std::string& out, TDenivOutput output,
                                          TProgress& progress) {
    progress.Stage(output == TDenivOutput::Brelix ? "Conversion du fichier iob" : "Tri du fichier");
    TNivWarnings warnings;
    std::vector<Tdeniv> entries = ReadDenivFile(source, warnings);
    progress.Advance(0.5, 1.0);
    if (output != TDenivOutput::Brelix) SortDenivs(entries);
    TOutputSet outputs;
    TLineSink& sink = outputs.Add(out);
    size_t done = 0;
    for (const std::string& line : DenivFileLines(entries, output)) {
        sink.Add(line);
        if (++done % 4096 == 0) progress.Advance(0.5 + 0.5 * done / entries.size(), 1.0);
    }
    outputs.Commit();
    return warnings.Lines();
}

}  // namespace kestrova
