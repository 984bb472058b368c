#include "exports/geolab_writer.hpp"

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/line_text.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"
#include "exports/export_common.hpp"
#include "exports/obs_writer.hpp"

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

bool IsAsciiText(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The observation lines are built by inserting their pieces at their
// columns (InsertAtColumn). A line whose names are ASCII has one byte per
// character, and its blanks at the end are only counted until the line is
// finished: a piece inserted among them is appended after the blanks before
// it, with no move of the rest.
class TColumnLine {
public:
    TColumnLine(TLineText& line, std::string_view keyword, std::size_t length, std::string_view station,
                std::string_view target)
        : line_(line), ascii_(IsAsciiText(keyword) && IsAsciiText(station) && IsAsciiText(target)) {
        if (ascii_) {
            line_.Clear().Text(keyword);
            tail_ = length - keyword.size();
        } else {
            general_.assign(keyword);
            general_.append(length - keyword.size(), ' ');
        }
        Insert(11, station);
        Insert(24, target);
    }
    // `digits`: the text is part of a number (printable, not checked).
    void Insert(std::size_t column, std::string_view text, bool digits = false) {
        if (!ascii_) {
            InsertAtColumn(general_, column, text);
            return;
        }
        const std::size_t pos = column > 0 ? column - 1 : 0;
        if (pos < line_.Size()) {  // inside a long name
            std::string moved(line_.View());
            moved.insert(pos, text);
            line_.Clear().Text(moved);
            return;
        }
        const std::size_t gap = pos - line_.Size();
        line_.Blanks(gap);
        if (digits)
            line_.PlainText(text);
        else
            line_.Text(text);
        tail_ = tail_ > gap ? tail_ - gap : 0;
    }
    const TLineText& Finish() {
        if (ascii_)
            line_.Blanks(tail_);
        else
            line_.Clear().Text(general_);
        return line_;
    }

private:
    TLineText& line_;
    bool ascii_;
    std::size_t tail_ = 0;  // blanks still to end the line with
    std::string general_;   // the line of non-ASCII names
};

// The text of FixedText(value, 5) in `buf` (kFixedRoom bytes), or in
// `general` for the values the fast path leaves to the general code.
std::string_view FiveDecimals(double value, char* buf, std::string& general) {
    if (const std::size_t n = WriteFixedInPlace(buf, value, 5, 0)) return std::string_view(buf, n);
    general = FixedText(value, 5);
    return general;
}

// The angle as whole gons ending at column 53, centigons at 55 (56 when
// the first decimal is 0), cc at 61 (62 when the third decimal is 0), the
// point at 63 and the tenth of cc at 64.
const TLineText& BuildAngleLine(TLineText& line, std::string_view keyword, std::string_view station, std::string_view target,
                    double angle) {
    TColumnLine l(line, keyword, keyword == " DIR" ? 64 : 82, station, target);
    char buf[kFixedRoom];
    std::string general;
    const std::string_view text = FiveDecimals(angle, buf, general);
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view dec = text.substr(dot + 1);
    const std::size_t wholeColumn = whole.size() >= 53 ? 1 : 54 - whole.size();
    l.Insert(wholeColumn, whole, true);
    if (dec[0] == '0')
        l.Insert(56, dec.substr(1, 1), true);
    else
        l.Insert(55, dec.substr(0, 2), true);
    if (dec[2] == '0')
        l.Insert(62, dec.substr(3, 1), true);
    else
        l.Insert(61, dec.substr(2, 2), true);
    l.Insert(63, ".", true);
    l.Insert(64, dec.substr(4, 1), true);
    return l.Finish();
}

// The distance with five decimals, its point at column 60 below 10000 m.
const TLineText& BuildDistanceLine(TLineText& line, std::string_view station, std::string_view target, double distance) {
    TColumnLine l(line, " DIST DP", 82, station, target);
    char buf[kFixedRoom];
    std::string general;
    const std::string_view text = FiveDecimals(distance, buf, general);
    const std::size_t digits = text.find('.');
    const std::size_t column = digits <= 1 ? 59 : digits == 2 ? 58 : digits == 3 ? 57 : 56;
    l.Insert(column, text, true);
    return l.Finish();
}

}  // namespace

void InsertAtColumn(std::string& line, std::size_t column, std::string_view text) {
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

std::string GeolabAngleLine(const std::string& keyword, const std::string& station, const std::string& target,
                            double angle) {
    TLineText line;
    return BuildAngleLine(line, keyword, station, target, angle).Str();
}

std::string GeolabDistanceLine(const std::string& station, const std::string& target, double distance) {
    TLineText line;
    return BuildDistanceLine(line, station, target, distance).Str();
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

    TLineText line;  // kept from line to line
    // Names are blank-separated when the file is read back: a blank
    // becomes "_", as in the .obs file.
    std::string station, target;
    auto names = [&](const TStation& st, const TPt_vise& t) {
        const bool blank = st.pt_sta.find(' ') != std::string::npos || t.pt_vis.find(' ') != std::string::npos;
        if (blank) {
            station = BlankSeparatedName(st.pt_sta);
            target = BlankSeparatedName(t.pt_vis);
        }
        return blank;
    };
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        out.Add(" DSET AH");
        for (const TPt_vise& t : st.pts_vise) {
            const bool blank = names(st, t);
            out.Add(BuildAngleLine(line, " DIR", blank ? station : st.pt_sta, blank ? target : t.pt_vis, t.Hz));
        }
    }
    out.Add("");
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        for (const TPt_vise& t : st.pts_vise) {
            if (!HasZenith(t.V)) continue;
            const bool blank = names(st, t);
            out.Add(BuildAngleLine(line, " ZANG ZA", blank ? station : st.pt_sta, blank ? target : t.pt_vis, t.V));
        }
    }
    out.Add("");
    for (const TStation& st : book.stations) {
        if (!st.valid) continue;
        for (const TPt_vise& t : st.pts_vise) {
            if (!HasDistance(t.Dp)) continue;
            const bool blank = names(st, t);
            out.Add(BuildDistanceLine(line, blank ? station : st.pt_sta, blank ? target : t.pt_vis, t.Dp));
        }
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
