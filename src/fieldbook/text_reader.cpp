#include "fieldbook/text_reader.hpp"

#include <cstdint>
#include <optional>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"

namespace kestrova {

namespace {

constexpr size_t kNameLength = 16;
constexpr size_t kCommentLength = 100;

bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

// A number of this format: the numeric-text test with exponent allowed.
std::optional<double> Number(std::string_view text) { return TextToDouble(text, true); }

// Integer of a text: optional sign and digits only.
std::optional<long long> Integer(std::string_view text) { return TextToInt(text); }

// Utf8Mid without a copy: `count` characters from character `start`.
size_t ByteOffset(std::string_view text, size_t index) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == index) return i;
        ++chars;
    }
    return text.size();
}

std::string_view MidView(std::string_view text, size_t start, size_t count) {
    const std::string_view rest = text.substr(ByteOffset(text, start));
    return rest.substr(0, ByteOffset(rest, count));
}

int ToSigned16(long long v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }

const TEtalonnage* FindById(const Tday_obs& book, std::string_view id) {
    for (const TEtalonnage& e : book.etalonnages)
        if (e.id == id) return &e;
    return nullptr;
}

void ReadHeightLine(Tday_obs& book, const TLineFieldViews& f) {
    book.hauteurs.push_back(THv{Utf8Left(f.fields[1], kNameLength), 0.0});
    // A height that does not convert leaves a definition of height 0.
    if (auto h = Number(f.fields[3])) book.hauteurs.back().hauteur = *h;
}

void ReadPrismLine(Tday_obs& book, const TLineFieldViews& f) {
    TEtalonnage& e = book.AddEtalonnage();
    ++book.nb_etal;
    e.id = f.fields[1];
    e.num = book.nb_etal;
    e.M = 0.0;
    if (Contains(f.fields[2], "cste_m")) {
        if (auto c = Number(f.fields[3])) e.M = -*c;
    }
}

void ReadStationLine(Tday_obs& book, const TLineFieldViews& f, int& stationCounter, int lineIndex,
                     int& pointingCounter) {
    pointingCounter = 0;
    const size_t pos = static_cast<size_t>(stationCounter);
    if (book.stations.size() <= pos) book.stations.resize(pos + 1);
    TStation& s = book.stations[pos];
    s = TStation{};
    book.nb_stat = stationCounter + 1;

    s.ligne = lineIndex;
    s.etalonnage = -2;
    s.pt_sta = NormaliseStationName(f.fields[1], true);
    s.Ht = 0.0;
    s.valid = false;

    for (int i = 0; i < f.count; i += 2) {
        const std::string_view key = f.fields[static_cast<size_t>(i)];
        const std::string_view value = f.fields[static_cast<size_t>(i + 1)];
        if (Contains(key, "Temp_deg")) {
            s.unite_temp = "deg";
            if (auto t = Number(value)) s.temp = *t;
        }
        if (Contains(key, "Press_hPa")) {
            s.unite_press = "mmHg";
            const auto p = Number(value);
            s.press = p ? *p / kHPaPerMmHg : 760.1;
        }
        if (Contains(key, "Press_mmHg")) {
            s.unite_press = "mmHg";
            s.press = Number(value).value_or(760.1);
        }
        if (Contains(key, "ht_m")) s.Ht = Number(value).value_or(0.0);
        if (Contains(key, "prisme")) {
            if (const TEtalonnage* e = FindById(book, value)) s.etalonnage = e->num;
        }
    }
    s.logs.clear();
    ++stationCounter;
}

// Returns false when the line fails part-way: what was set stays, the
// pointing counter does not advance.
bool ReadPointingLine(Tday_obs& book, const TLineFieldViews& f, int lineIndex, int& pointingCounter) {
    TStation& s = book.stations.back();
    const size_t slot = static_cast<size_t>(pointingCounter);
    // A pointing left by a line that failed part-way sits in this slot.
    if (!s.lignes_partielles.empty() && s.lignes_partielles.back().remplacee_par < 0)
        s.lignes_partielles.back().remplacee_par = lineIndex;
    if (s.obs.size() <= slot) {
        s.obs.resize(slot + 1);  // a new pointing, as constructed
    } else {
        s.obs.resize(slot + 1);
        s.obs[slot] = Tobs{};
    }
    s.nb_obs = static_cast<int>(slot + 1);
    Tobs& o = s.obs[slot];
    o.etalonnage = -2;
    o.mode = false;

    // The station's weather first: a line that fails part-way must not
    // leave a pointing at 0 °C and 0 mmHg, whose recomputed atmospheric
    // correction would be some 280 ppm.
    o.temp = s.temp;
    o.press = s.press;
    o.unite_temp = "deg";
    o.unite_press = "mmHg";

    o.pt_vis = NormaliseTargetName(f.fields[1]);
    o.indice = static_cast<int>(slot);
    o.Hz = Number(f.fields[3]).value_or(0.0);
    o.V = Number(f.fields[5]).value_or(0.0);
    o.Dp = Number(f.fields[7]).value_or(0.0);

    const std::string_view distKey = f.fields[8];
    if (distKey == "ppm+mm") {
        if (Number(f.fields[9])) {
            const auto v = Integer(f.fields[9]);
            if (!v) return false;
            o.ppm = static_cast<double>(((*v % 256) + 256) % 256);
        }
        if (Number(f.fields[10])) {
            const auto v = Integer(f.fields[10]);
            if (!v) return false;
            o.cste = ToSigned16(*v);
        }
    } else if (distKey == "ppm_cste_mm") {
        const std::string_view t = f.fields[9];
        std::optional<long long> m;
        if (!t.empty() && t[0] == '-') {
            const auto v = Integer(MidView(t, 1, 4));
            if (!v) return false;
            o.ppm = -static_cast<double>(*v % 256);
            m = Integer(MidView(t, 5, 4));
        } else {
            const auto v = Integer(MidView(t, 0, 4));
            if (!v) return false;
            o.ppm = static_cast<double>(*v % 256);
            m = Integer(MidView(t, 4, 4));
        }
        if (!m) return false;
        o.cste = ToSigned16(*m) * 0.001;
    }

    o.Hv = f.count < 11 ? 0.0 : Number(f.fields[11]).value_or(0.0);

    if (f.count >= 14 && f.fields[12] == "prisme") {
        o.etalonnage = -2;
        if (const TEtalonnage* e = FindById(book, f.fields[13])) o.etalonnage = e->num;
    }
    for (int k = 0; k <= f.count / 2; ++k)
        if (f.fields[static_cast<size_t>(2 * k)] == "mode") o.mode = true;

    o.cercle = o.V >= 200.0 ? 2 : 1;
    if (!f.comment.empty()) {
        std::string comment(" *");
        comment.append(f.comment);
        o.commentaire = Utf8Left(comment, kCommentLength);
    }
    ++pointingCounter;
    return true;
}

}  // namespace

TEtalonnage& AddDefaultCalibration(Tday_obs& book) {
    TEtalonnage& e = book.AddEtalonnage();
    ++book.nb_etal;
    book.trace.Append(Format("lambda=%.4f", e.lambda));
    book.trace.Append(Format("T0=%.2f", e.T0));
    book.trace.Append(Format("P0=%.2f", e.P0));
    book.trace.Append(Format("NG0=%.4f", e.NG0));
    book.trace.Append(Format("N0=%.4f", e.N0));
    return e;
}

bool ReadTextLine(Tday_obs& book, std::string_view line, int& stationCounter, int lineIndex,
                  int& pointingCounter) {
    // One set of fields per thread, reused: no allocation per line.
    TLineFieldViews f;
    SplitLineFields(line, f);
    const std::string_view keyword = f.fields[0];
    if (keyword == "point") {
        ReadHeightLine(book, f);
    } else if (keyword == "prisme") {
        ReadPrismLine(book, f);
    } else if (keyword == "station") {
        // The previous station is complete: give back the room its list of
        // pointings kept for growth (a quarter of a large book's memory).
        // The new one expects as many pointings as the previous one.
        std::size_t expected = 0;
        if (!book.stations.empty()) {
            expected = book.stations.back().obs.size();
            book.stations.back().obs.shrink_to_fit();
        }
        ReadStationLine(book, f, stationCounter, lineIndex, pointingCounter);
        book.stations[static_cast<size_t>(stationCounter - 1)].obs.reserve(expected);
    } else if (keyword == "numero") {
        if (book.stations.empty()) return true;
        if (ReadPointingLine(book, f, lineIndex, pointingCounter)) return true;
        book.stations.back().lignes_partielles.push_back(TPartialLine{lineIndex, -1});
        return false;
    }
    return true;
}

void ReadTextBook(Tday_obs& book, const std::function<bool(std::string_view&)>& next, TProgress& progress,
                  std::size_t total) {
    book.nb_stat = 0;
    AddDefaultCalibration(book);
    int stationCounter = 0;
    int pointingCounter = 0;
    std::string_view line;
    progress.Stage("Lecture du carnet");
    for (int i = 0; next(line); ++i) {
        if ((i & 4095) == 0) progress.Advance(i, static_cast<double>(total));
        try {
            ReadTextLine(book, line, stationCounter, i, pointingCounter);
        } catch (const std::exception& e) {
            // Each line is guarded: the book goes on with the next line.
            book.trace.Append(Format("Ligne %d : %s", i + 1, e.what()));
        }
    }
    book.ResolveCalibrationsAndHeights(true);
}

void ReadTextBook(Tday_obs& book, const std::vector<std::string>& lines, TProgress& progress) {
    size_t i = 0;
    ReadTextBook(
        book,
        [&](std::string_view& line) {
            if (i >= lines.size()) return false;
            line = lines[i++];
            return true;
        },
        progress, lines.size());
}

}  // namespace kestrova
