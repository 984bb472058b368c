#include "fieldbook/text_reader.hpp"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <optional>
#include <unordered_map>

#include "base/format.hpp"
#include "base/line_reader.hpp"
#include "base/text_file.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "fieldbook/station_threads.hpp"

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
    // ASCII up to the end of the part: characters are bytes.
    const size_t end = std::min(text.size(), start + count);
    unsigned char any = end < text.size() ? static_cast<unsigned char>(text[end]) : 0;
    for (size_t i = 0; i < end; ++i) any |= static_cast<unsigned char>(text[i]);
    if (any < 0x80)
        return start < text.size() ? text.substr(start, count) : std::string_view();
    const std::string_view rest = text.substr(ByteOffset(text, start));
    return rest.substr(0, ByteOffset(rest, count));
}

// A value of a line: its number, or `fallback` when it is not one. A text
// that is not a number, or nothing where the line names the field (its
// keyword present, its value missing), is noted in the station.
double NumberOrNote(TStation& s, int lineIndex, std::string_view key, std::string_view value, const char* field,
                    double fallback) {
    if (auto v = Number(value)) return *v;
    if (!value.empty() || !key.empty())
        s.valeurs_illisibles.push_back(TUnreadValue{lineIndex, field, std::string(value), fallback});
    return fallback;
}

// The same for the weather of a station line, where a lone "-" or "."
// says "not measured": the field's default then, without a note.
double WeatherOrNote(TStation& s, int lineIndex, std::string_view key, std::string_view value, const char* field,
                     double fallback) {
    if (value == "-" || value == ".") return fallback;
    return NumberOrNote(s, lineIndex, key, value, field, fallback);
}

int ToSigned16(long long v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }

const TEtalonnage* FindById(const Tday_obs& book, std::string_view id) {
    for (const TEtalonnage& e : book.etalonnages)
        if (e.id == id) return &e;
    return nullptr;
}

// A prism name met in the second part of a book read in two parts: it is
// looked up once the first part's prisms are known, among the prisms
// defined before its line.
struct TPrismLookup {
    std::size_t station = 0;  // in the part
    int pointing = -1;        // -1: the station itself
    std::string id;
    std::size_t known = 0;  // prisms of the part defined before the line
};

// What a line needs besides the book: the counters, and where prism names
// go when they are looked up later (null: at once).
struct TLineContext {
    int& stationCounter;
    int& pointingCounter;
    std::vector<TPrismLookup>* deferred = nullptr;
    // The lines the book's stations will come from in all (0: unknown) and
    // the first line of this reading: its list of stations is sized once
    // from the first stations read instead of growing by doubling (a
    // monitoring book has tens of thousands).
    std::size_t expectedLines = 0;
    int firstLine = 0;
};

// Room for the stations a reading should hold, estimated at its
// kStationsForEstimate-th station from the lines read so far (never more
// than a station per line left). Only a hint: without the memory, the
// list grows as it comes.
constexpr std::size_t kStationsForEstimate = 64;
void ReserveStations(std::vector<TStation>& stations, const TLineContext& c, int lineIndex) {
    const std::size_t read = static_cast<std::size_t>(std::max(1, lineIndex - c.firstLine));
    if (read >= c.expectedLines) return;
    const double estimate = static_cast<double>(kStationsForEstimate) * static_cast<double>(c.expectedLines) /
                            static_cast<double>(read);
    const std::size_t room = std::min(static_cast<std::size_t>(estimate * 1.05) + kStationsForEstimate,
                                      stations.size() + (c.expectedLines - read));
    try {
        stations.reserve(room);
    } catch (const std::bad_alloc&) {
    }
}

// The calibration number of prism `id` into `num` when one is defined, now
// or once the part is joined to the book.
void LookUpPrism(const Tday_obs& book, const TLineContext& c, std::string_view id, int pointing, int& num) {
    if (c.deferred) {
        c.deferred->push_back({book.stations.size() - 1, pointing, std::string(id), book.etalonnages.size()});
        return;
    }
    if (const TEtalonnage* e = FindById(book, id)) num = e->num;
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

void ReadStationLine(Tday_obs& book, const TLineFieldViews& f, const TLineContext& c, int lineIndex) {
    int& stationCounter = c.stationCounter;
    int& pointingCounter = c.pointingCounter;
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
            s.temp = WeatherOrNote(s, lineIndex, key, value, "Temp_deg", s.temp);
        }
        if (Contains(key, "Press_hPa")) {
            s.unite_press = "mmHg";
            const auto p = Number(value);
            s.press = p ? *p / kHPaPerMmHg : WeatherOrNote(s, lineIndex, key, value, "Press_hPa", 760.1);
        }
        if (Contains(key, "Press_mmHg")) {
            s.unite_press = "mmHg";
            s.press = WeatherOrNote(s, lineIndex, key, value, "Press_mmHg", 760.1);
        }
        if (Contains(key, "ht_m")) s.Ht = NumberOrNote(s, lineIndex, key, value, "ht_m", 0.0);
        if (Contains(key, "prisme")) LookUpPrism(book, c, value, -1, s.etalonnage);
    }
    s.logs.clear();
    ++stationCounter;
}

// Returns false when the line fails part-way: what was set stays, the
// pointing counter does not advance.
bool ReadPointingLine(Tday_obs& book, const TLineFieldViews& f, const TLineContext& c, int lineIndex) {
    int& pointingCounter = c.pointingCounter;
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
        // A prism name of the pointing it replaces is not looked up.
        if (c.deferred && !c.deferred->empty() && c.deferred->back().station == book.stations.size() - 1 &&
            c.deferred->back().pointing == static_cast<int>(slot))
            c.deferred->pop_back();
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

    NormaliseTargetName(f.fields[1], o.pt_vis);
    o.indice = static_cast<int>(slot);
    o.Hz = NumberOrNote(s, lineIndex, f.fields[2], f.fields[3], "AH_gr", 0.0);
    o.V = NumberOrNote(s, lineIndex, f.fields[4], f.fields[5], "AV_gr", 0.0);
    o.Dp = NumberOrNote(s, lineIndex, f.fields[6], f.fields[7], "Dp_m", 0.0);

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

    o.Hv = f.count < 11 ? 0.0 : NumberOrNote(s, lineIndex, f.fields[10], f.fields[11], "hv_m", 0.0);

    if (f.count >= 14 && f.fields[12] == "prisme") {
        o.etalonnage = -2;
        LookUpPrism(book, c, f.fields[13], static_cast<int>(slot), o.etalonnage);
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

std::string UnreadValueText(const TUnreadValue& value) {
    std::string text = "ligne " + std::to_string(value.ligne + 1) + ", " + value.champ + " ";
    text += value.texte.empty() ? std::string("sans valeur") : "« " + PrintableText(value.texte) + " »";
    text += " : pas un nombre";
    if (value.texte.find(',') != std::string::npos && value.texte.find('.') == std::string::npos)
        text += " (utilisez le point décimal)";
    return text + ", lu " + Format("%g", value.lu);
}

std::vector<std::string> UnreadValueWarnings(const Tday_obs& book, std::size_t shown) {
    std::vector<std::string> lines;
    std::size_t total = 0;
    for (const TStation& s : book.stations) {
        for (const TUnreadValue& v : s.valeurs_illisibles) {
            if (total < shown) lines.push_back(UnreadValueText(v));
            ++total;
        }
    }
    if (total > shown) lines.push_back("… et " + std::to_string(total - shown) + " autres valeurs illisibles");
    return lines;
}

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

namespace {

bool ReadLine(Tday_obs& book, std::string_view line, const TLineContext& c, int lineIndex) {
    thread_local TLineFieldViews f;  // cleared by the split
    SplitLineFields(line, f);
    const std::string_view keyword = f.fields[0];
    if (keyword == "point") {
        ReadHeightLine(book, f);
    } else if (keyword == "prisme") {
        ReadPrismLine(book, f);
    } else if (keyword == "station") {
        // The previous station is complete: give back the room its list of
        // pointings kept for growth (a quarter of a large book's memory).
        // The new one gets room for as many pointings as the largest
        // station read so far on this thread: one allocation, then one
        // move to its size.
        thread_local std::size_t largest = 0;
        if (!book.stations.empty()) {
            largest = std::max(largest, book.stations.back().obs.size());
            book.stations.back().obs.shrink_to_fit();
        }
        if (book.stations.size() == kStationsForEstimate && c.expectedLines > 0)
            ReserveStations(book.stations, c, lineIndex);
        ReadStationLine(book, f, c, lineIndex);
        book.stations[static_cast<size_t>(c.stationCounter - 1)].obs.reserve(std::min<std::size_t>(largest, 1024));
    } else if (keyword == "numero") {
        if (book.stations.empty()) return true;
        if (ReadPointingLine(book, f, c, lineIndex)) return true;
        book.stations.back().lignes_partielles.push_back(TPartialLine{lineIndex, -1});
        return false;
    }
    return true;
}

// Reads the lines from `next`, numbered from `firstIndex`. The progress
// goes to `total` lines (none without `progress`); a `stop` set makes the
// reading end early.
void ReadLines(Tday_obs& book, const std::function<bool(std::string_view&)>& next, TProgress* progress,
               std::size_t total, int firstIndex, const TLineContext& c, const std::atomic<bool>* stop = nullptr) {
    std::string_view line;
    for (int i = firstIndex; next(line); ++i) {
        if (((i - firstIndex) & 4095) == 0) {
            if (progress) progress->Advance(std::min<double>(i - firstIndex, static_cast<double>(total)), static_cast<double>(total));
            if (stop && stop->load(std::memory_order_relaxed)) return;
        }
        try {
            ReadLine(book, line, c, i);
        } catch (const std::exception& e) {
            // Each line is guarded: the book goes on with the next line.
            book.trace.Append(Format("Ligne %d : %s", i + 1, e.what()));
        }
    }
}

// A line start of the file where a station line begins, and its number.
struct TSplit {
    std::size_t offset = 0;
    long long line = 0;
};

// The first station line that starts at or after byte `from` (not at the
// start of the file); nothing when there is none or the part read to find
// it has a fault (the reading in one part then meets it as before).
std::optional<TSplit> FindStationLine(const std::string& path, const TTextLineReader& scanned, std::size_t from) {
    try {
        const TTextLineReader::TCheckpoint start = scanned.CheckpointBefore(from);
        TTextLineReader r(path, scanned.IsUtf8(), start.offset, static_cast<long long>(start.lineEnds));
        // The first line read may begin before `start`: never a candidate.
        bool first = true;
        TLineFieldViews f;
        std::string_view line;
        for (;;) {
            const TSplit at{r.Position(), r.LineNumber()};
            if (!r.Next(line)) return std::nullopt;
            if (!first && at.offset >= from) {
                SplitLineFields(line, f);
                if (f.fields[0] == "station") return at;
            }
            first = false;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Joins the second part of a book, read apart, to the first: its prisms
// numbered after the first part's, its stations (moved into the places made
// after the first part's `firstStations` ones), heights and trace lines
// appended. Its prism names are looked up later, station by station (see
// TDeferredPrisms).
void JoinPart(Tday_obs& book, Tday_obs& part, int lineOffset, std::size_t firstStations) {
    for (TEtalonnage& e : part.etalonnages) {
        e.num += book.nb_etal;
        book.etalonnages.push_back(std::move(e));
    }
    book.nb_etal += part.nb_etal;
    if (lineOffset != 0) {
        for (TStation& s : part.stations) {
            if (s.ligne >= 0) s.ligne += lineOffset;
            for (TPartialLine& p : s.lignes_partielles) {
                p.ligne += lineOffset;
                if (p.remplacee_par >= 0) p.remplacee_par += lineOffset;
            }
            for (TUnreadValue& v : s.valeurs_illisibles) v.ligne += lineOffset;
        }
    }
    if (firstStations > 0 && !part.stations.empty()) book.stations[firstStations - 1].obs.shrink_to_fit();
    const std::size_t placed = std::min(part.stations.size(), book.stations.size() - firstStations);
    for (std::size_t i = 0; i < placed; ++i) book.stations[firstStations + i] = std::move(part.stations[i]);
    book.stations.resize(firstStations + placed);  // the places left over
    book.stations.reserve(firstStations + part.stations.size());
    for (std::size_t i = placed; i < part.stations.size(); ++i) book.stations.push_back(std::move(part.stations[i]));
    book.nb_stat = static_cast<int>(book.stations.size());
    book.hauteurs.insert(book.hauteurs.end(), part.hauteurs.begin(), part.hauteurs.end());
    for (std::string& line : part.trace.lines) book.trace.Append(std::move(line));
}

// The prism names of a second part, looked up once the part is joined:
// each name is the book's first prism of that name when that prism was
// defined before the name's line (the first part's prisms all were). Run
// station by station, in the pass that resolves the calibrations.
class TDeferredPrisms {
public:
    TDeferredPrisms(const Tday_obs& book, const std::vector<TPrismLookup>& deferred, std::size_t firstStations,
                    std::size_t knownBefore)
        : book_(book), deferred_(deferred), firstStations_(firstStations), knownBefore_(knownBefore) {
        for (std::size_t k = 0; k < book.etalonnages.size(); ++k) firstOf_.emplace(book.etalonnages[k].id, k);
    }
    void operator()(std::size_t station, TStation& s) const {
        if (station < firstStations_ || deferred_.empty()) return;
        const std::size_t inPart = station - firstStations_;
        auto it = std::lower_bound(deferred_.begin(), deferred_.end(), inPart,
                                   [](const TPrismLookup& d, std::size_t k) { return d.station < k; });
        for (; it != deferred_.end() && it->station == inPart; ++it) {
            const auto found = firstOf_.find(it->id);
            if (found == firstOf_.end() || found->second >= knownBefore_ + it->known) continue;
            int& num = it->pointing < 0 ? s.etalonnage : s.obs[static_cast<std::size_t>(it->pointing)].etalonnage;
            num = book_.etalonnages[found->second].num;
        }
    }

private:
    const Tday_obs& book_;
    const std::vector<TPrismLookup>& deferred_;  // in station order
    std::size_t firstStations_;
    std::size_t knownBefore_;  // the first part's prisms
    std::unordered_map<std::string_view, std::size_t> firstOf_;
};

}  // namespace

bool ReadTextLine(Tday_obs& book, std::string_view line, int& stationCounter, int lineIndex,
                  int& pointingCounter) {
    return ReadLine(book, line, TLineContext{stationCounter, pointingCounter}, lineIndex);
}

void ReadTextBook(Tday_obs& book, const std::function<bool(std::string_view&)>& next, TProgress& progress,
                  std::size_t total) {
    book.nb_stat = 0;
    AddDefaultCalibration(book);
    int stationCounter = 0;
    int pointingCounter = 0;
    progress.Stage("Lecture du carnet");
    ReadLines(book, next, &progress, total, 0, TLineContext{stationCounter, pointingCounter, nullptr, total});
    book.ResolveCalibrationsAndHeights(true);
}

namespace {

using TNextLine = std::function<bool(std::string_view&)>;
// Hands the lines of the second part to the function it is given.
using TSecondPart = std::function<void(const std::function<void(const TNextLine&)>&)>;

// Reads a book in two parts side by side: `first` (its lines up to the
// split, `firstLines` of them) here with the progress, `second` (the lines
// from the split on, the first of them a station line numbered `splitLine`)
// on a thread of its own, then joins them: the same book as a reading in
// one part. Without a thread, or when the second part fails on its own
// (memory, the file), the second part is read after the first, in one part,
// meeting the fault as before. `totalLines`: the lines of both parts.
// `firstPartLines`, when given, tells once the first part is read how many
// lines it had: the second part is then numbered from `splitLine` (0) and
// its line numbers moved after the first part's.
void ReadInTwoParts(Tday_obs& book, TProgress& progress, const TNextLine& first, std::size_t firstLines,
                    const TSecondPart& second, int splitLine, std::size_t totalLines,
                    const std::function<int()>& firstPartLines = nullptr) {
    Tday_obs part;
    part.trace.enabled = book.trace.enabled;
    part.trace.max_lines = book.trace.max_lines;
    std::vector<TPrismLookup> deferred;
    std::exception_ptr partError;
    std::atomic<bool> stop{false};
    std::thread thread;
    bool apart = true;
    try {
        thread = std::thread([&] {
            try {
                second([&](const TNextLine& next) {
                    int stations = 0, pointings = 0;
                    const std::size_t partLines =
                        firstPartLines ? totalLines / 2 : totalLines - static_cast<std::size_t>(splitLine);
                    ReadLines(part, next, nullptr, 0, splitLine,
                              TLineContext{stations, pointings, &deferred, partLines, splitLine}, &stop);
                });
            } catch (...) {
                partError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        apart = false;  // no thread to be had
    }
    // A cancel or a fault of the first part stops the second.
    const TStopAndJoin join{thread, stop};

    book.nb_stat = 0;
    AddDefaultCalibration(book);
    progress.Stage("Lecture du carnet");
    int stationCounter = 0;
    int pointingCounter = 0;
    // Room for the second part's stations too: joined without a move.
    const TLineContext context{stationCounter, pointingCounter, nullptr, totalLines};
    ReadLines(book, first, &progress, firstLines, 0, context);
    // While the second part is still read: places for its stations made
    // in the room the list has (its pages first touched here rather than
    // in the join), as many as the first part has and a few more (the
    // room, reserved from an estimate, may be far larger than the need).
    const std::size_t firstStations = book.stations.size();
    if (thread.joinable())
        book.stations.resize(firstStations + std::min(book.stations.capacity() - firstStations,
                                                      firstStations + firstStations / 16 + 64));
    if (thread.joinable()) thread.join();
    const int firstLinesRead = firstPartLines ? firstPartLines() : splitLine;
    if (!apart || partError) {
        book.stations.resize(firstStations);
        second([&](const TNextLine& next) { ReadLines(book, next, nullptr, 0, firstLinesRead, context); });
        book.ResolveCalibrationsAndHeights(true);
        return;
    }
    const std::size_t knownBefore = book.etalonnages.size();
    JoinPart(book, part, firstLinesRead - splitLine, firstStations);
    const TDeferredPrisms prisms(book, deferred, firstStations, knownBefore);
    book.ResolveCalibrationsAndHeights(true, std::cref(prisms));
}

}  // namespace

bool ReadTextBookFile(Tday_obs& book, const std::string& path, TTextLineReader& reader, TProgress& progress,
                      std::size_t twoPartsFrom) {
    const auto next = [&](std::string_view& line) { return reader.Next(line); };
    const std::optional<TSplit> split = reader.FileBytes() >= twoPartsFrom && twoPartsFrom > 0
                                            ? FindStationLine(path, reader, reader.FileBytes() / 2)
                                            : std::nullopt;
    if (!split) {
        ReadTextBook(book, next, progress, reader.LineEnds());
        return false;
    }
    reader.StopAt(split->offset);
    ReadInTwoParts(
        book, progress, next, static_cast<std::size_t>(split->line),
        [&](const std::function<void(const TNextLine&)>& read) {
            TTextLineReader r(path, reader.IsUtf8(), split->offset, split->line);
            read([&](std::string_view& line) { return r.Next(line); });
        },
        static_cast<int>(split->line), std::max<std::size_t>(reader.LineEnds(), static_cast<std::size_t>(split->line)));
    return true;
}

namespace {

// The offset of the first station line after the line byte `from` falls
// in, found without a scan of the file; nothing when there is none or the
// part read to find it has a fault.
std::optional<std::size_t> StationLineAfter(const std::string& path, std::size_t from) {
    try {
        TTextLineReader r(path, from, {}, TTextLineReader::TUnscanned{});
        std::string_view line;
        if (!r.Next(line)) return std::nullopt;  // the line `from` falls in
        TLineFieldViews f;
        for (;;) {
            const std::size_t at = r.Position();
            if (!r.Next(line)) return std::nullopt;
            SplitLineFields(line, f);
            if (f.fields[0] == "station") return at;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The file's first bytes (up to `count`).
std::string FirstBytes(const std::string& path, std::size_t count) {
    std::string bytes(count, '\0');
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    bytes.resize(std::fread(bytes.data(), 1, count, f));
    std::fclose(f);
    return bytes;
}

}  // namespace

bool ReadTextBookFileOnePass(Tday_obs& book, const std::string& path, TProgress& progress,
                             std::size_t twoPartsFrom) {
    if (twoPartsFrom == 0 || book.trace.enabled) return false;
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size < twoPartsFrom) return false;
    // An XML book says so on its first line.
    constexpr std::size_t kSample = 256 * 1024;
    const std::string head = FirstBytes(path, kSample);
    if (head.find("<?xml") != std::string::npos) return false;
    const std::optional<std::size_t> split = StationLineAfter(path, size / 2);
    if (!split) return false;
    // The lines, from those of the first bytes: for the progress and the
    // room of the list of stations only.
    const std::size_t sampleLines = std::max<std::size_t>(1, static_cast<std::size_t>(std::count(head.begin(), head.end(), '\n')));
    const std::size_t lines = static_cast<std::size_t>(static_cast<double>(size) * static_cast<double>(sampleLines) /
                                                       static_cast<double>(std::max<std::size_t>(1, head.size()))) + 1;

    TTextLineReader first(path, 0, "<?xml", TTextLineReader::TUnscanned{});
    first.StopAt(*split);
    struct TSaw {
        bool marker = false, utf8 = false, other = false;
    } second;
    try {
        ReadInTwoParts(
            book, progress, [&](std::string_view& line) { return first.Next(line); },
            static_cast<std::size_t>(static_cast<double>(lines) * static_cast<double>(*split) / static_cast<double>(size)),
            [&](const std::function<void(const TNextLine&)>& read) {
                TTextLineReader r(path, *split, "<?xml", TTextLineReader::TUnscanned{});
                read([&](std::string_view& line) { return r.Next(line); });
                second = TSaw{r.MarkerFound(), r.SawUtf8(), r.SawOtherBytes()};
            },
            0, lines, [&] { return static_cast<int>(first.LineNumber()); });
    } catch (const TextFileError&) {
        // The usual reading meets the fault again and names its line (the
        // second part's lines are numbered from 0 here).
        return false;
    }
    // The file is read as the scan would have had it read unless it is an
    // XML book or has lines of both kinds (its UTF-8 lines are then
    // Windows-1252 too).
    const bool marker = first.MarkerFound() || second.marker;
    const bool mixed = (first.SawUtf8() || second.utf8) && (first.SawOtherBytes() || second.other);
    return !marker && !mixed;
}

namespace {

// ReadTextBook on lines held whole, as strings or as views of a text.
template <class TLines>
bool ReadHeldLines(Tday_obs& book, const TLines& lines, TProgress& progress, std::size_t twoPartsFrom) {
    // The first station line from the middle on, for a large book.
    std::size_t split = lines.size();
    if (twoPartsFrom > 0 && lines.size() >= twoPartsFrom) {
        TLineFieldViews f;
        for (std::size_t k = std::max<std::size_t>(lines.size() / 2, 1); k < lines.size(); ++k) {
            SplitLineFields(lines[k], f);
            if (f.fields[0] == "station") {
                split = k;
                break;
            }
        }
    }
    auto range = [&](std::size_t from, std::size_t to) {
        return [&lines, i = from, to](std::string_view& line) mutable {
            if (i >= to) return false;
            line = lines[i++];
            return true;
        };
    };
    if (split == lines.size()) {
        ReadTextBook(book, range(0, lines.size()), progress, lines.size());
        return false;
    }
    ReadInTwoParts(
        book, progress, range(0, split), split,
        [&](const std::function<void(const TNextLine&)>& read) { read(range(split, lines.size())); },
        static_cast<int>(split), lines.size());
    return true;
}

}  // namespace

bool ReadTextBook(Tday_obs& book, const std::vector<std::string>& lines, TProgress& progress,
                  std::size_t twoPartsFrom) {
    return ReadHeldLines(book, lines, progress, twoPartsFrom);
}

bool ReadTextBookViews(Tday_obs& book, const std::vector<std::string_view>& lines, TProgress& progress,
                       std::size_t twoPartsFrom) {
    return ReadHeldLines(book, lines, progress, twoPartsFrom);
}

}  // namespace kestrova
