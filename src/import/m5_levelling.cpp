#include "import/m5_levelling.hpp"

#include <algorithm>

#include <cmath>
#include <vector>

#include "base/fixed_text.hpp"
#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/text_helpers.hpp"
#include "import/m5_line.hpp"
#include "levelling/na3_format.hpp"
#include "levelling/niv_model.hpp"

namespace kestrova {

namespace {

enum class Kind { Back, Fore, Intermediate, None };

// The row of the levelling book (the layout of Na3Row), built with the
// fixed-point appenders: a recording of millions of readings spends its
// time here otherwise.
void AppendRow(std::string& row, const Tobs_niv& o) {
    row.clear();
    AppendPadLeft(row, o.name, 9);
    const double b = std::fabs(o.backsight);
    const double f = std::fabs(o.foresight);
    if (b + f == 0.0) {
        row += "   ";
        AppendFixed(row, o.backsight, 1, 3);
        row += "       ";
        AppendFixed(row, o.foresight, 1, 3);
        row += "    ";
    } else if (b > f) {
        AppendFixed(row, o.backsight, 5, 10);
        row += "   ";
        AppendFixed(row, o.foresight, 1, 3);
        row += "    ";
    } else {
        row += "   ";
        AppendFixed(row, o.backsight, 1, 3);
        row += "    ";
        AppendFixed(row, o.foresight, 5, 10);
    }
    if (o.intermediate == 0.0) {
        AppendFixed(row, o.intermediate, 1, 6);
        row += "  ";
        AppendInt(row, o.count, 4);
    } else {
        AppendFixed(row, o.intermediate, 5, 10);
        row += ' ';
        AppendInt(row, o.count);
    }
    row += " / ";
    AppendFixed(row, o.emq, 1, 3);
    row += "   0.0";
    if (o.distance > 0.0) {
        AppendFixed(row, o.distance, 3, 12);
    } else {
        AppendFixed(row, o.distance, 1, 10);
        row += "  ";
    }
    if (b + f + std::fabs(o.intermediate) > 0.0) {
        AppendFixed(row, o.altitude, 1, 9);
    } else {
        row += "  ";
        AppendFixed(row, o.altitude, 4, 10);
    }
}

bool IsDoubleMethod(const std::string& text) {
    const std::string t = ToUpperAscii(text);
    return t.find("BFFB") != std::string::npos || t.find("BBFF") != std::string::npos ||
           t.find("FBBF") != std::string::npos;
}

}  // namespace

struct TM5LevellingReader::Impl {
    TLineSink& sink;
    TImportReport& report;
    bool doubleReadings = false;
    bool runWritten = false;
    int runsWritten = 0;
    int nextTurningPoint = 1;
    std::string lastForeName;  // foresight point of the last set-up
    std::string text;          // the row being written

    // The set-up being read: its rows, and where its first backsight and
    // foresight rows are.
    std::vector<Tobs_niv> rows;
    int backRow = -1, foreRow = -1;
    int backCount = 0, foreCount = 0;
    int firstLine = 0;

    Impl(TLineSink& s, TImportReport& r) : sink(s), report(r) {}

    void Emit(const Tobs_niv& row) {
        if (!runWritten) {
            sink.Add(Na3CodeLine());
            runWritten = true;
            ++runsWritten;
        }
        AppendRow(text, row);
        sink.Add(text);
        ++report.readings;
    }

    // The rows of a set-up in the order the turning-point elimination
    // reads them, whatever order the level recorded them in (the alternating
    // methods take every second set-up foresight first): the backsight, the
    // intermediate sights, the foresight. A row without a reading (a height)
    // stays after the reading it followed.
    static int Rank(const Tobs_niv& r) {
        if (r.foresight != 0.0) return 3;
        if (r.intermediate != 0.0) return 2;
        return r.backsight != 0.0 ? 1 : 0;
    }

    void CloseSetup() {
        if (backCount > 0 && foreCount > 0) lastForeName = rows[static_cast<std::size_t>(foreRow)].name;
        std::vector<std::vector<Tobs_niv>> groups;
        std::vector<int> ranks;
        for (const Tobs_niv& r : rows) {
            const int rank = Rank(r);
            if (rank == 0 && !groups.empty()) {
                groups.back().push_back(r);
                continue;
            }
            groups.push_back({r});
            ranks.push_back(rank);
        }
        std::vector<std::size_t> order(groups.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
        rows.clear();
        for (std::size_t i : order) rows.insert(rows.end(), groups[i].begin(), groups[i].end());
        for (const Tobs_niv& r : rows) Emit(r);
        rows.clear();
        backRow = foreRow = -1;
        backCount = foreCount = 0;
    }

    void EndRun(int number) {
        if (backCount > 0 && foreCount == 0) {
            report.Warn(Format("Ligne %d : station de nivellement sans lecture avant en fin de cheminement : ses "
                               "lectures arrière sont écartées.",
                               firstLine));
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].backsight != 0.0) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i--));
            report.Skip("lectures arrière sans lecture avant");
        }
        CloseSetup();
        // Its last height difference could not be closed: the run stops on a
        // point that the reduction eliminates.
        if (runWritten && IsTurningPoint(lastForeName)) {
            const std::string where = number > 0 ? Format("Ligne %d : ", number) : std::string("En fin de fichier : ");
            report.Warn(Format("%scheminement %d du carnet : se termine sur le point nodal %s, sans point d'arrivée.",
                               where, runsWritten, lastForeName));
        }
        runWritten = false;
        lastForeName.clear();
    }

    std::string TurningPoint() { return std::to_string(700000 + nextTurningPoint++); }

    static void Average(Tobs_niv& first, const Tobs_niv& second, bool back) {
        if (back) first.backsight = (first.backsight + second.backsight) / 2.0;
        else first.foresight = (first.foresight + second.foresight) / 2.0;
        if (first.distance > 0 && second.distance > 0) first.distance = (first.distance + second.distance) / 2.0;
        else if (second.distance > 0) first.distance = second.distance;
        if (second.altitude != 0.0) first.altitude = second.altitude;
    }

    void Reading(Kind kind, Tobs_niv row, int number) {
        const bool back = kind == Kind::Back;
        const int perSetup = doubleReadings ? 2 : 1;
        if (kind != Kind::Intermediate) {
            const int have = back ? backCount : foreCount;
            const bool complete = backCount >= perSetup && foreCount >= perSetup;
            if (complete || have >= perSetup) {
                if (!complete)
                    report.Warn(Format("Ligne %d : nouvelle lecture %s alors que la station commencée ligne %d n'a "
                                       "pas toutes ses lectures : nouvelle station.",
                                       number, back ? "arrière" : "avant", firstLine));
                CloseSetup();
            }
        }
        if (rows.empty()) firstLine = number;
        if (row.name.empty()) {
            if (kind == Kind::Back) {
                row.name = backRow >= 0 ? rows[static_cast<std::size_t>(backRow)].name : lastForeName;
            } else if (kind == Kind::Fore) {
                row.name = foreRow >= 0 ? rows[static_cast<std::size_t>(foreRow)].name : TurningPoint();
            }
            if (row.name.empty()) {
                row.name = TurningPoint();
                report.Warn(Format("Ligne %d : lecture sans nom de point et sans point de la station précédente : "
                                   "nommée %s.",
                                   number, row.name));
            }
        }
        if (kind == Kind::Back || kind == Kind::Fore) {
            int& index = back ? backRow : foreRow;
            int& count = back ? backCount : foreCount;
            ++count;
            if (index >= 0) {
                Tobs_niv& first = rows[static_cast<std::size_t>(index)];
                if (first.name == row.name) {
                    Average(first, row, back);
                    return;
                }
                report.Warn(Format("Ligne %d : seconde lecture %s sur %s, la première visait %s : gardée à part.",
                                   number, back ? "arrière" : "avant", row.name, first.name));
            }
            rows.push_back(row);
            if (index < 0) index = static_cast<int>(rows.size()) - 1;
            return;
        }
        rows.push_back(row);
    }

    void Line(std::string_view line, int number) {
        const std::string_view trimmed = TrimView(line);
        if (trimmed.empty()) return;
        if (!IsM5Line(line)) {
            report.Skip("lignes étrangères au format M5");
            return;
        }
        const TM5Line l = ParseM5Line(line);
        if (l.error) {
            report.Skip("lignes marquées en erreur (colonne 119)");
            report.Warn(Format("Ligne %d : ligne marquée en erreur par l'instrument (colonne 119), ignorée.", number));
            return;
        }
        if (l.info.find("#####") != std::string::npos) {
            report.Skip("lectures annulées (#####)");
            report.Warn(Format("Ligne %d : lecture annulée (#####), ignorée.", number));
            return;
        }
        if (l.kind == "TO") {
            const std::string text = Trim(l.info);
            const std::string upper = ToUpperAscii(text);
            if (StartsWith(upper, "START-LINE")) {
                EndRun(number);
                doubleReadings = IsDoubleMethod(text.substr(10));
            } else if (StartsWith(upper, "END-LINE")) {
                EndRun(number);
            } else {
                report.Skip("lignes de texte (TO)");
            }
            return;
        }
        if (l.kind == "KD2") {
            report.Skip("résumés de cheminement (KD2, Sh, dz)");
            return;
        }
        if (!StartsWith(l.kind, "KD") && !StartsWith(l.kind, "KN")) {
            report.Skip("lignes d'autres types (" + l.kind + ")");
            return;
        }
        if (l.Find("Sh") || l.Find("dz") || l.Find("Db") || l.Find("Df") || l.Find("Sr") || l.Find("Sv")) {
            report.Skip("résumés de cheminement (KD2, Sh, dz)");
            return;
        }
        Tobs_niv row;
        row.name = BookPoint(l.info.substr(0, 8), number);
        Kind kind = Kind::None;
        for (const TM5Value& v : l.values) {
            if (v.id.empty() || v.value.empty()) continue;
            if (v.id == "Rb" || v.id == "Lr") {
                kind = Kind::Back;
                row.backsight = M5Length(v, number);
            } else if (v.id == "Rf" || v.id == "Lv") {
                kind = Kind::Fore;
                row.foresight = M5Length(v, number);
            } else if (v.id == "Rz" || v.id == "Lz") {
                kind = Kind::Intermediate;
                row.intermediate = M5Length(v, number);
            } else if (v.id == "HD" || v.id == "E") {
                row.distance = M5Length(v, number);
            } else if (v.id == "Z") {
                row.altitude = M5Length(v, number);
            } else if (v.id == "R" || v.id == "L") {
                report.Skip("lectures isolées (R, L)");
                report.Warn(Format("Ligne %d : lecture seule (mode mesure) sans rôle arrière ni avant, ignorée.",
                                   number));
                return;
            }
        }
        if (kind == Kind::None) {
            if (!l.Find("Z")) {
                report.Skip("lignes de point sans lecture");
                return;
            }
            // A height alone: the start height, or the height of the last
            // foresight point, written in its place.
            if (row.name.empty()) row.name = foreRow >= 0 ? rows[static_cast<std::size_t>(foreRow)].name : lastForeName;
            if (row.name.empty()) {
                report.Skip("hauteurs sans nom de point");
                return;
            }
            if (!rows.empty()) rows.push_back(row);
            else Emit(row);
            return;
        }
        if (kind == Kind::Intermediate && row.name.empty()) {
            report.Skip("visées intermédiaires sans nom");
            report.Warn(Format("Ligne %d : visée intermédiaire sans nom de point, ignorée.", number));
            return;
        }
        Reading(kind, row, number);
    }

    std::string BookPoint(std::string_view text, int number) {
        std::string out = PrintableText(Trim(text));
        for (char& c : out)
            if (c == ' ') c = '_';
        if (out != Trim(text))
            report.Warn(Format("Ligne %d : nom de point « %s » écrit « %s ».", number, PrintableText(Trim(text)), out));
        return out;
    }
};

TM5LevellingReader::TM5LevellingReader(TLineSink& sink, TImportReport& report)
    : impl_(std::make_unique<Impl>(sink, report)) {
    for (const std::string& h : Na3HeaderLines()) sink.Add(h);
}

TM5LevellingReader::~TM5LevellingReader() = default;

void TM5LevellingReader::Line(std::string_view line, int number) { impl_->Line(line, number); }

void TM5LevellingReader::Finish() { impl_->EndRun(0); }

}  // namespace kestrova
