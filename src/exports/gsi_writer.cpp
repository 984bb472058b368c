#include "exports/gsi_writer.hpp"

#include <algorithm>

#include "exports/export_common.hpp"

namespace kestrova {

namespace {

const std::string kStationTail(80, ' ');
const std::string kMeasureTail(117, ' ');

std::string ZeroFilled(std::string text) {
    std::replace(text.begin(), text.end(), ' ', '0');
    return text;
}

}  // namespace

std::string GsiField(const std::string& text) {
    std::string s;
    AppendPadLeft(s, text, 8);
    return ZeroFilled(std::move(s));
}

std::string GsiNumber(double value) { return ZeroFilled(FixedText(value, 0, 8)); }

void ProduceGsiFile(const Tday_obs& book, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const bool heights = ExportHeights();
    long long k = 0;
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        ++k;
        std::string line = std::to_string(410000 + k) + "+00000001 42....+" + GsiField(st.pt_sta) + " 43....+";
        line += heights ? GsiNumber(st.Ht * 1000.0) : "00000000";
        line += kStationTail;
        out.Add(line);
        for (const TPt_vise& t : st.pts_vise) {
            ++k;
            std::string m = std::to_string(110000 + k) + "+" + GsiField(t.pt_vis);
            m += " 21.322+" + GsiNumber(t.Hz * 100000.0);
            m += " 22.322+" + GsiNumber(t.V * 100000.0);
            m += " 31..06+" + GsiNumber(t.Dp * 10000.0);
            m += " 51..1.+0000+000";
            if (heights) m += " 87...0+" + GsiNumber(t.Hv * 1000.0);
            m += kMeasureTail;
            out.Add(m);
        }
    }
}

std::vector<std::string> GsiFileLines(const Tday_obs& book) {
    TLineCollector c;
    ProduceGsiFile(book, c);
    return std::move(c.lines);
}

bool WriteGsiFile(const Tday_obs& book, const std::string& path, std::string* error) {
    return WriteLinesAtomically(path, FileEncoding::Cp1252, error, [&](TLineSink& sink) { ProduceGsiFile(book, sink); });
}

}  // namespace kestrova
