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
#include "levelling/setups.hpp"

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
    // The book is blank-separated: a blank inside the name would shift
    // every value of the row.
    if (name.find(' ') != std::string::npos) {
        const std::string read = name;
        for (char& c : name)
            if (c == ' ') c = '_';
        warnings.Add(Format("ligne %d : le nom de point \"%s\" contient un blanc, écrit \"%s\"", lineNumber, read,
                            name));
    }
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
    std::string lastName;  // of the last row written
    TSetupBuilder setups;
    std::vector<Tobs_niv> rows;     // rows of the set-ups just closed
    std::vector<Tobs_niv> pending;  // backsight-only rows not yet followed
    long long gsiBlocks = 0;        // "41" and "11" lines
    long long otherLines = 0;       // other lines that are not blank
    long long staffReadings = 0;    // lines with a word 331 to 336

    Impl(TLineSink& s, TNivWarnings& w) : sink(s), warnings(w), setups(w) {}

    void Emit(const Tobs_niv& o) {
        if (!runWritten) {
            sink.Add(Na3CodeLine());
            runWritten = true;
            ++runsWritten;
        }
        sink.Add(Na3Row(o));
        lastName = o.name;
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
    void PlaceRows() {
        for (const Tobs_niv& o : rows) Place(o);
        rows.clear();
    }
    void EndRun() {
        setups.Finish(rows);
        PlaceRows();
        pending.clear();
        // Its last height difference could not be closed.
        if (runWritten && IsTurningPoint(lastName))
            warnings.Add(Format("cheminement %d du carnet : se termine sur le point nodal %s, sans point d'arrivée",
                                runsWritten, lastName));
        runWritten = false;
    }

    void Reading(std::string_view line) {
        const TNivGsiReading r = DecodeNivGsiLine(line, lineNumber, warnings);
        if (r.b1 || r.b2 || r.f1 || r.f2 || r.intermediate) ++staffReadings;
        TStaffReading s;
        s.obs = r.obs;
        s.line = lineNumber;
        const bool back = r.b1 || r.b2, fore = r.f1 || r.f2;
        const int kinds = (back ? 1 : 0) + (fore ? 1 : 0) + (r.intermediate ? 1 : 0);
        if (r.summary) {
            s.kind = TStaffKind::EndOfSetup;
        } else if (kinds > 1) {
            warnings.Add(Format("ligne %d : lectures de plusieurs sortes (arrière, avant, rayonnée) sur le point %s, "
                                "ligne gardée telle quelle",
                                lineNumber, r.obs.name));
            s.kind = TStaffKind::Other;
        } else if (back) {
            s.kind = r.b1 ? TStaffKind::Back : TStaffKind::SecondBack;
        } else if (fore) {
            s.kind = r.f1 ? TStaffKind::Fore : TStaffKind::SecondFore;
        } else if (r.intermediate) {
            s.kind = TStaffKind::Intermediate;
        }
        setups.Add(s, rows);
        PlaceRows();
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
    if (kind == "41") {
        ++impl_->gsiBlocks;
        impl_->EndRun();
    } else if (kind == "11") {
        ++impl_->gsiBlocks;
        impl_->Reading(line);
    } else if (line.find_first_not_of(" \t") != std::string_view::npos) {
        ++impl_->otherLines;
    }
}

void TNa3BookBuilder::Finish() {
    impl_->EndRun();
    const long long others = impl_->otherLines, blocks = impl_->gsiBlocks;
    if (blocks == 0)
        throw TNivError("aucun bloc GSI (mot 11 ou 41) dans le fichier : ce n'est pas un enregistrement GSI de "
                        "nivellement, rien n'est écrit.");
    if (impl_->staffReadings == 0)
        throw TNivError("aucune lecture de mire (mots 331, 332, 333, 335 ou 336) : ce n'est pas un enregistrement "
                        "GSI de nivellement, rien n'est écrit.");
    if (others > blocks)
        impl_->warnings.Add(Format("%d lignes sur %d ne sont pas des blocs GSI (mot 11 ou 41) : elles sont ignorées",
                                   others, others + blocks));
}

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
