#include "exports/gsi_writer.hpp"

#include <algorithm>

#include "base/line_text.hpp"
#include "exports/export_common.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kStationTail = 80;
constexpr std::size_t kMeasureTail = 117;

// "%8s" of the name, every blank (inside the name too) turned into "0".
TLineText& Field(TLineText& line, std::string_view text) {
    const std::size_t start = line.Size();
    return line.PadLeft(text, 8).Replace(start, ' ', '0');
}

// "%8.0f", blanks turned into "0".
TLineText& Number(TLineText& line, double value) {
    const std::size_t start = line.Size();
    return line.Fixed(value, 0, 8).Replace(start, ' ', '0');
}

}  // namespace

std::string GsiField(const std::string& text) {
    TLineText line;
    return Field(line, text).Str();
}

std::string GsiNumber(double value) {
    TLineText line;
    return Number(line, value).Str();
}

void ProduceGsiFile(const Tday_obs& book, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const bool heights = ExportHeights();
    long long k = 0;
    TLineText line;
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        ++k;
        Field(line.Clear().Int(410000 + k).Text("+00000001 42....+"), st.pt_sta).Text(" 43....+");
        if (heights)
            Number(line, st.Ht * 1000.0);
        else
            line.Text("00000000");
        out.Add(line.Blanks(kStationTail));
        for (const TPt_vise& t : st.pts_vise) {
            ++k;
            Field(line.Clear().Int(110000 + k).Char('+'), t.pt_vis);
            Number(line.Text(" 21.322+"), t.Hz * 100000.0);
            Number(line.Text(" 22.322+"), t.V * 100000.0);
            Number(line.Text(" 31..06+"), t.Dp * 10000.0);
            line.Text(" 51..1.+0000+000");
            if (heights) Number(line.Text(" 87...0+"), t.Hv * 1000.0);
            out.Add(line.Blanks(kMeasureTail));
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
