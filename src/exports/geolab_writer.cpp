#include "exports/geolab_writer.hpp"

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"
#include "exports/export_common.hpp"

namespace kestrova {

namespace {

// Byte offset of the character at 0-based position `pos` of a UTF-8 text.
std::size_t ByteOffset(const std::string& text, std::size_t pos) {
    std::size_t i = 0;
    std::size_t chars = 0;
    while (i < text.size() && chars < pos) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        ++chars;
    }
    return i;
}

std::string StartLine(const std::string& keyword, std::size_t length, const std::string& station,
                      const std::string& target) {
    std::string line = keyword + std::string(length - keyword.size(), ' ');
    InsertAtColumn(line, 11, station);
    InsertAtColumn(line, 24, target);
    return line;
}

}  // namespace

void InsertAtColumn(std::string& line, std::size_t column, const std::string& text) {
    const std::size_t pos = column > 0 ? column - 1 : 0;
    bool ascii = true;
    for (char c : line)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        if (line.size() < pos) line.append(pos - line.size(), ' ');
        line.insert(pos, text);
        return;
    }
    const std::size_t len = Utf8Length(line);
    if (len < pos) line.append(pos - len, ' ');
    line.insert(ByteOffset(line, pos), text);
}

// The angle as whole gons ending at column 53, centigons at 55 (56 when
// the first decimal is 0), cc at 61 (62 when the third decimal is 0), the
// point at 63 and the tenth of cc at 64.
std::string GeolabAngleLine(const std::string& keyword, const std::string& station, const std::string& target,
                            double angle) {
    std::string line = StartLine(keyword, keyword == " DIR" ? 64 : 82, station, target);
    const std::string text = FixedText(angle, 5);
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string dec = text.substr(dot + 1);
    const std::size_t wholeColumn = whole.size() >= 53 ? 1 : 54 - whole.size();
    InsertAtColumn(line, wholeColumn, whole);
    if (dec[0] == '0')
        InsertAtColumn(line, 56, dec.substr(1, 1));
    else
        InsertAtColumn(line, 55, dec.substr(0, 2));
    if (dec[2] == '0')
        InsertAtColumn(line, 62, dec.substr(3, 1));
    else
        InsertAtColumn(line, 61, dec.substr(2, 2));
    InsertAtColumn(line, 63, ".");
    InsertAtColumn(line, 64, dec.substr(4, 1));
    return line;
}

// The distance with five decimals, its point at column 60 below 10000 m.
std::string GeolabDistanceLine(const std::string& station, const std::string& target, double distance) {
    std::string line = StartLine(" DIST DP", 82, station, target);
    const std::string text = FixedText(distance, 5);
    const std::size_t digits = text.find('.');
    const std::size_t column = digits <= 1 ? 59 : digits == 2 ? 58 : digits == 3 ? 57 : 56;
    InsertAtColumn(line, column, text);
    return line;
}

void ProduceGeolabFile(const Tday_obs& book, TLineSink& sink) {
    TPrintableSink out(sink);  // no control character inside a column
    const TParam& p = Param();
    for (const std::string& h : p.geolab) out.Add(" " + h);
    out.Add(" ");
    out.Add(" SIGM AH       " + FormatFixed(static_cast<double>(p.sigma_Hz) * 10000.0, 1));
    out.Add(" SIGM ZA       " + FormatFixed(static_cast<double>(p.sigma_V) * 10000.0, 1));
    out.Add(" SIGM DP   " + FormatFixed(static_cast<double>(p.sigma_Dp), 4));
    out.Add("");
    out.Add(" HIST NEW");
    out.Add("");

    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        out.Add(" DSET AH");
        for (const TPt_vise& t : st.pts_vise) out.Add(GeolabAngleLine(" DIR", st.pt_sta, t.pt_vis, t.Hz));
    }
    out.Add("");
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        for (const TPt_vise& t : st.pts_vise) out.Add(GeolabAngleLine(" ZANG ZA", st.pt_sta, t.pt_vis, t.V));
    }
    out.Add("");
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        for (const TPt_vise& t : st.pts_vise)
            if (HasDistance(t.Dp)) out.Add(GeolabDistanceLine(st.pt_sta, t.pt_vis, t.Dp));
    }
    out.Add(" ");
    out.Add(" HIST ALL Toutes les observations");
    out.Add(" END");
}

std::vector<std::string> GeolabFileLines(const Tday_obs& book) {
    TLineCollector c;
    ProduceGeolabFile(book, c);
    return std::move(c.lines);
}

bool WriteGeolabFile(const Tday_obs& book, const std::string& path, std::string* error) {
    return WriteLinesAtomically(path, FileEncoding::Cp1252, error,
                                [&](TLineSink& sink) { ProduceGeolabFile(book, sink); });
}

}  // namespace kestrova
