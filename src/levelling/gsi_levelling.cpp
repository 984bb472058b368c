#include "levelling/gsi_levelling.hpp"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/output_set.hpp"
#include "base/progress.hpp"
#include "base/text_helpers.hpp"
#include "levelling/line_source.hpp"
#include "levelling/na3_format.hpp"

namespace kestrova {

namespace {

// Body of a block without the "*" of a GSI16 line.
std::string_view Body(std::string_view line, bool& gsi16) {
    gsi16 = !line.empty() && line[0] == '*';
    return gsi16 ? line.substr(1) : line;
}

std::string_view WordNumber(std::string_view word) {
    if (word.size() >= 3 && word[2] == '.') return word.substr(0, 2);
    return word.substr(0, 3);
}

long long WordInteger(std::string_view word, bool gsi16, int lineNumber) {
    std::string_view t = word.size() > 6 ? word.substr(6, gsi16 ? 17 : 9) : std::string_view();
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    long long value = 0;
    const auto res = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || res.ec != std::errc() || res.ptr != t.data() + t.size())
        throw TNivError(Format("ligne %d : le mot %s n'est pas un nombre", lineNumber, std::string(word)));
    return value;
}

}  // namespace

TNivGsiReading DecodeNivGsiLine(std::string_view line, int lineNumber, TNivWarnings& warnings) {
    TNivGsiReading r;
    bool gsi16 = false;
    const std::string_view body = Body(line, gsi16);
    // The point word is a name, never a number: its data field, leading
    // zeros dropped.
    std::string name = body.size() > 7 ? Trim(StripLeadingZeros(body.substr(7, gsi16 ? 16 : 8))) : std::string();
    r.obs.name = name.empty() ? "0" : name;

    bool readingWords = false, summaryWords = false, unitWarned = false;
    auto unitValue = [&](std::string_view word) {
        const long long raw = WordInteger(word, gsi16, lineNumber);
        const char unit = word.size() > 5 ? word[5] : ' ';
        switch (unit) {
            case '0': return raw * 0.001;
            case '6': return raw * 0.0001;
            case '8': return raw * 0.00001;
            default: break;
        }
        if (!unitWarned) {
            warnings.Add(Format("ligne %d : unité \"%c\" inconnue dans le mot %s, valeur lue 0", lineNumber, unit,
                                std::string(word)));
            unitWarned = true;
        }
        return 0.0;
    };

    size_t i = 0;
    while (i < body.size()) {
        while (i < body.size() && body[i] == ' ') ++i;
        size_t e = i;
        while (e < body.size() && body[e] != ' ') ++e;
        if (e == i) break;
        const std::string_view word = body.substr(i, e - i);
        i = e;
        const std::string_view n = WordNumber(word);
        if (n == "32") r.obs.distance = unitValue(word);
        else if (n == "83") r.obs.altitude = unitValue(word);
        else if (n == "331") { r.b1 = true; r.b1Value = unitValue(word); readingWords = true; }
        else if (n == "332") { r.f1 = true; r.f1Value = unitValue(word); readingWords = true; }
        else if (n == "333") { r.intermediate = true; r.obs.intermediate = unitValue(word); readingWords = true; }
        else if (n == "335") { r.b2 = true; r.b2Value = unitValue(word); readingWords = true; }
        else if (n == "336") { r.f2 = true; r.f2Value = unitValue(word); readingWords = true; }
        else if (n == "390") {
            const long long c = WordInteger(word, gsi16, lineNumber);
            r.obs.count = static_cast<int>(c < 0 ? 0 : c > INT_MAX ? INT_MAX : c);
        } else if (n == "391") r.obs.emq = unitValue(word) * 1000.0;  // metres -> mm
        else if (n == "571" || n == "572" || n == "573" || n == "574") summaryWords = true;
    }
    if (r.b1 && r.b2) r.obs.backsight = (r.b1Value + r.b2Value) / 2.0;
    else if (r.b1) r.obs.backsight = r.b1Value;
    else if (r.b2) r.obs.backsight = r.b2Value;
    if (r.f1 && r.f2) r.obs.foresight = (r.f1Value + r.f2Value) / 2.0;
    else if (r.f1) r.obs.foresight = r.f1Value;
    else if (r.f2) r.obs.foresight = r.f2Value;
    r.summary = summaryWords && !readingWords;
    return r;
}

struct TNa3BookBuilder::Impl {
    TLineSink& sink;
    TNivWarnings& warnings;
    int lineNumber = 0;
    bool runWritten = false;  // the current run's "Code=" line is out
    int runsWritten = 0;
    std::vector<Tobs_niv> setup;  // readings of the current set-up
    int firstBack = -1, firstFore = -1;
    std::vector<Tobs_niv> pending;  // backsight-only rows not yet followed

    Impl(TLineSink& s, TNivWarnings& w) : sink(s), warnings(w) {}

    void Emit(const Tobs_niv& o) {
        if (!runWritten) {
            sink.Add(Na3CodeLine());
            runWritten = true;
            ++runsWritten;
        }
        sink.Add(Na3Row(o));
    }
    // A run loses the backsight-only readings it ends with.
    void Place(const Tobs_niv& o) {
        if (std::fabs(o.backsight) > std::fabs(o.foresight)) {
            pending.push_back(o);
            return;
        }
        for (const Tobs_niv& p : pending) Emit(p);
        pending.clear();
        Emit(o);
    }
    void CloseSetup() {
        for (const Tobs_niv& o : setup) Place(o);
        setup.clear();
        firstBack = firstFore = -1;
    }
    void EndRun() {
        CloseSetup();
        pending.clear();
        runWritten = false;
    }

    static void Average(Tobs_niv& first, const Tobs_niv& second, bool back) {
        if (back) first.backsight = (first.backsight + second.backsight) / 2.0;
        else first.foresight = (first.foresight + second.foresight) / 2.0;
        if (first.distance > 0 && second.distance > 0) first.distance = (first.distance + second.distance) / 2.0;
        else if (second.distance > 0) first.distance = second.distance;
        if (first.emq > 0 && second.emq > 0)
            first.emq = std::sqrt(first.emq * first.emq + second.emq * second.emq) / 2.0;
        else if (second.emq > 0) first.emq = second.emq;
        // A damaged count word cannot wrap the sum around.
        first.count = static_cast<int>(std::min<long long>(static_cast<long long>(first.count) + second.count, INT_MAX));
        if (second.altitude != 0.0) first.altitude = second.altitude;
    }

    // A second reading alone on its line joins the first reading of the
    // same point in the set-up; true when it did.
    bool JoinSecond(const TNivGsiReading& r, bool back) {
        const int index = back ? firstBack : firstFore;
        if (index >= 0 && setup[static_cast<size_t>(index)].name == r.obs.name) {
            Average(setup[static_cast<size_t>(index)], r.obs, back);
            return true;
        }
        warnings.Add(Format("ligne %d : seconde lecture %s du point %s sans première lecture de ce point dans la "
                            "station, gardée seule",
                            lineNumber, back ? "arrière" : "avant", r.obs.name));
        return false;
    }

    void Reading(std::string_view line) {
        const TNivGsiReading r = DecodeNivGsiLine(line, lineNumber, warnings);
        if (r.summary) {
            setup.push_back(r.obs);
            CloseSetup();
            return;
        }
        // A first reading of a kind the set-up already has starts the next set-up.
        if ((r.b1 && firstBack >= 0) || (r.f1 && firstFore >= 0)) CloseSetup();
        const bool onlySecondBack = r.b2 && !r.b1 && !r.f1 && !r.f2 && !r.intermediate;
        const bool onlySecondFore = r.f2 && !r.f1 && !r.b1 && !r.b2 && !r.intermediate;
        if (onlySecondBack && JoinSecond(r, true)) return;
        if (onlySecondFore && JoinSecond(r, false)) return;
        setup.push_back(r.obs);
        const int index = static_cast<int>(setup.size()) - 1;
        if (r.b1 && firstBack < 0) firstBack = index;
        if (r.f1 && firstFore < 0) firstFore = index;
    }
};

TNa3BookBuilder::TNa3BookBuilder(TLineSink& sink, TNivWarnings& warnings)
    : impl_(std::make_unique<Impl>(sink, warnings)) {
    for (const std::string& h : Na3HeaderLines()) sink.Add(h);
}

TNa3BookBuilder::~TNa3BookBuilder() = default;

void TNa3BookBuilder::AddLine(std::string_view line) {
    ++impl_->lineNumber;
    bool gsi16 = false;
    const std::string_view body = Body(line, gsi16);
    const std::string_view kind = body.substr(0, 2);
    if (kind == "41") impl_->EndRun();
    else if (kind == "11") impl_->Reading(line);
}

void TNa3BookBuilder::Finish() { impl_->EndRun(); }

int TNa3BookBuilder::Runs() const { return impl_->runsWritten; }

std::vector<std::string> GsiToNa3(const std::vector<std::string>& lines, TNivWarnings* warnings) {
    TLineCollector out;
    TNivWarnings local;
    TNa3BookBuilder builder(out, warnings ? *warnings : local);
    for (const std::string& line : lines) builder.AddLine(line);
    builder.Finish();
    return std::move(out.lines);
}

std::vector<std::string> ConvertGsiToNa3(TLineSource& source, const std::string& out, TProgress& progress) {
    progress.Stage("Conversion de l'enregistrement GSI");
    TNivWarnings warnings;
    TOutputSet outputs;
    TNa3BookBuilder builder(outputs.Add(out), warnings);
    std::string line;
    double done = 0;
    while (source.Next(line)) {
        builder.AddLine(line);
        if (++done == 1 || static_cast<long long>(done) % 4096 == 0) progress.Advance(done, source.Total());
    }
    builder.Finish();
    outputs.Commit();
    return warnings.Lines();
}

}  // namespace kestrova
