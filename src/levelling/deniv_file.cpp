#include "levelling/deniv_file.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "base/field_number.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/obs_columns.hpp"
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

namespace {

// The entries of a sort, each one block of bytes: the two numbers, the
// lengths, the sort key (the Brelix record of the entry in the order of
// its names, in lower case), then the two names as read, or the text of a
// comment.
class TCompactDenivs {
public:
    void Add(const Tdeniv& d) {
        Header h;
        h.dh = d.dh;
        h.sigma = d.sigma;
        h.comment = !d.comment.empty();
        std::string key;
        if (!h.comment && d.from > d.to) {  // plain byte order
            Tdeniv reversed = d;
            std::swap(reversed.from, reversed.to);
            reversed.dh = -reversed.dh;
            key = BrelixRecord(reversed);
        } else {
            key = BrelixRecord(d);
        }
        const std::string original = h.comment ? key : std::string();
        key = ToLowerAscii(key);
        h.key = static_cast<std::uint32_t>(key.size());
        h.from = h.comment ? static_cast<std::uint32_t>(original.size()) : static_cast<std::uint32_t>(d.from.size());
        h.to = h.comment ? 0 : static_cast<std::uint32_t>(d.to.size());
        char* at = Room(sizeof h + h.key + h.from + h.to);
        std::memcpy(at, &h, sizeof h);
        char* p = std::copy(key.begin(), key.end(), at + sizeof h);
        if (h.comment) {
            std::copy(original.begin(), original.end(), p);
        } else {
            p = std::copy(d.from.begin(), d.from.end(), p);
            std::copy(d.to.begin(), d.to.end(), p);
        }
        entries_.push_back({at + sizeof h, h.key});
    }

    // Letter case ignored (the keys are in lower case), the order of
    // reading kept between equal keys.
    void Sort() {
        std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return std::string_view(a.key, a.length) < std::string_view(b.key, b.length);
        });
    }

    // The record of each entry, in the direction in which it was read.
    template <typename Emit>
    void ForEach(TDenivOutput output, Emit emit) const {
        Tdeniv d;
        for (const Entry& e : entries_) {
            Header h;
            std::memcpy(&h, e.key - sizeof h, sizeof h);
            const char* text = e.key + h.key;
            if (h.comment) {
                emit(std::string_view(text, h.from));
                continue;
            }
            d.from.assign(text, h.from);
            d.to.assign(text + h.from, h.to);
            d.dh = h.dh;
            d.sigma = h.sigma;
            emit(output == TDenivOutput::SortedGeolab ? GeolabRecord(d) : BrelixRecord(d));
        }
    }

    std::size_t Size() const { return entries_.size(); }

private:
    struct Header {
        double dh = 0.0, sigma = 0.0;
        std::uint32_t key = 0, from = 0, to = 0;  // a comment: its text's length in `from`
        bool comment = false;
    };
    struct Entry {
        const char* key;
        std::uint32_t length;
    };
    static constexpr std::size_t kBlock = std::size_t(1) << 20;

    // Room for `size` bytes that stay where they are.
    char* Room(std::size_t size) {
        if (blocks_.empty() || used_ + size > blockSize_) {
            blockSize_ = std::max(kBlock, size);
            blocks_.push_back(std::make_unique<char[]>(blockSize_));
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        used_ += size;
        return at;
    }

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0, used_ = 0;
    std::vector<Entry> entries_;
};

// Reads the file strictly, entry by entry.
class TDenivReader {
public:
    TDenivReader(TLineSource& source, const std::string& sourceName) : source_(source), name_(sourceName) {}

    // The next entry; false at the end.
    bool Next(Tdeniv& d) {
        while (source_.Next(line_)) {
            ++lineNumber_;
            SplitLineFields(line_, fields_);
            const TLineFields& f = fields_;
            d = Tdeniv();
            if (!f.comment.empty()) {
                d.comment = f.comment;
                return true;
            }
            if (f.count == 0 || (f.fields[0] != "4" && f.fields[0] != "OHDF")) {
                if (f.count > 0) ++foreign_;
                continue;
            }
            // A line of the observation file whose name holds a blank is
            // read by its columns; by blanks its fields would shift (the
            // target taken for the height difference).
            std::string from, to;
            std::string_view rest;
            const bool byColumns = f.fields[0] == "4" && ObsNamesByColumns(TrimView(line_), from, to, rest);
            const TLineFields* values = &f;
            if (byColumns) {
                for (const std::string* name : {&from, &to})
                    if (name->find(' ') != std::string::npos && blankNames_.size() < 20)
                        blankNames_.push_back(Format("ligne %lld : le nom « %s » contient un blanc, il devient « %s »",
                                                     lineNumber_, *name, WithoutBlanks(*name)));
                d.from = WithoutBlanks(from);
                d.to = WithoutBlanks(to);
                // The fields after the names, in the slots of a whole line.
                SplitLineFields(std::string("4 - - ") + std::string(rest), restFields_);
                values = &restFields_;
            } else {
                d.from = f.fields[1];
                d.to = f.fields[2];
            }
            try {
                d.dh = FieldNumber(values->fields[3], lineNumber_, "dénivelée");
                d.sigma = FieldNumber(values->fields[4], lineNumber_, "écart type");
            } catch (const TFieldValueError& e) {
                throw TDenivFileError("Erreur de conversion" + (name_.empty() ? "" : " dans le fichier " + name_) +
                                      ", ligne " + std::to_string(e.line()) + " : " + e.what() +
                                      " ; rien n'est écrit");
            }
            ++records_;
            return true;
        }
        return false;
    }

    // After the last entry: the refusal of a file without any height
    // difference, and the warning about the foreign lines.
    std::vector<std::string> Finish() const {
        if (records_ == 0)
            throw TDenivFileError("Aucune dénivelée (ligne « 4 » ou « OHDF ») dans le fichier" +
                                  (name_.empty() ? std::string() : " " + name_) +
                                  " : ce n'est pas un fichier de dénivelées .obs ou .iob, rien n'est écrit.");
        std::vector<std::string> warnings = blankNames_;
        if (foreign_ > records_)
            warnings.push_back(Format("%d lignes sur %d ne sont ni des dénivelées (4 ou OHDF) ni des commentaires : "
                                      "elles sont ignorées.",
                                      foreign_, lineNumber_));
        return warnings;
    }

    long long LineNumber() const { return lineNumber_; }

private:
    TLineSource& source_;
    std::string name_;
    std::string line_;
    TLineFields fields_, restFields_;
    std::vector<std::string> blankNames_;
    long long lineNumber_ = 0, records_ = 0, foreign_ = 0;
};

}  // namespace

std::vector<std::string> ConvertDenivFile(TLineSource& source, const std::string& out, TDenivOutput output,
                                          TProgress& progress, const std::string& sourceName) {
    progress.Stage(output == TDenivOutput::Brelix ? "Conversion du fichier iob" : "Tri du fichier");
    TDenivReader reader(source, sourceName);
    TOutputSet outputs;
    TLineSink& sink = outputs.Add(out);
    const double total = source.Total();
    Tdeniv d;
    auto advance = [&](double base, double part, long long done) {
        if (done % 4096 == 0) progress.Advance(base + part * (total > 0 ? done / total : 0.0), 1.0);
    };
    if (output == TDenivOutput::Brelix) {
        // In the order read: each record written as it comes.
        while (reader.Next(d)) {
            sink.Add(PrintableText(BrelixRecord(d)));
            advance(0.0, 1.0, reader.LineNumber());
        }
        std::vector<std::string> warnings = reader.Finish();
        outputs.Commit();
        return warnings;
    }
    TCompactDenivs entries;
    while (reader.Next(d)) {
        entries.Add(d);
        advance(0.0, 0.5, reader.LineNumber());
    }
    std::vector<std::string> warnings = reader.Finish();
    entries.Sort();
    long long done = 0;
    entries.ForEach(output, [&](std::string_view record) {
        sink.Add(PrintableText(record));
        if (++done % 4096 == 0) progress.Advance(0.5 + 0.5 * done / static_cast<double>(entries.Size()), 1.0);
    });
    outputs.Commit();
    return warnings;
}

}  // namespace kestrova
