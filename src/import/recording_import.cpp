#include "import/recording_import.hpp"

#include <functional>
#include <memory>

#include "base/format.hpp"
#include "base/line_reader.hpp"
#include "base/line_sink.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "import/gdm_convert.hpp"
#include "import/gsi_convert.hpp"
#include "import/gsi_header_style.hpp"
#include "import/m5_levelling.hpp"
#include "import/m5_reader.hpp"
#include "import/nikon_reader.hpp"
#include "import/rw5_reader.hpp"
#include "import/sdr_reader.hpp"
#include "import/shoot_convert.hpp"
#include "import/survey_book.hpp"
#include "levelling/gsi_levelling.hpp"

namespace kestrova {

namespace {

class TDiscardSink : public TLineSink {
public:
    using TLineSink::Add;
    void Add(std::string_view) override {}
};

std::string Extension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return ToLowerAscii(path.substr(dot));
}

// Calls `line(text, number)` for every line of the recording: a carriage
// return inside a line ends a line too (recordings with CR-only line ends),
// carriage returns at the end are dropped.
class TRecordingLines {
public:
    explicit TRecordingLines(std::function<bool(std::string&)> next) : next_(std::move(next)) {}
    template <typename F>
    void Each(F line, TProgress& progress) {
        std::string text;
        while (next_(text)) {
            std::string_view rest = text;
            while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
            while (true) {
                const std::size_t cr = rest.find('\r');
                line(rest.substr(0, cr), ++number_);
                if (cr == std::string_view::npos) break;
                rest.remove_prefix(cr + 1);
            }
            if (number_ % 4096 == 0) progress.Advance(static_cast<double>(number_), 0.0);
        }
    }

private:
    std::function<bool(std::string&)> next_;
    int number_ = 0;
};

std::unique_ptr<TSurveyReader> MakeReader(TRecordingFormat format, TSurveySink& sink, TImportReport& report) {
    switch (format) {
        case TRecordingFormat::M5: return std::make_unique<TM5Reader>(sink, report);
        case TRecordingFormat::Sdr: return std::make_unique<TSdrReader>(sink, report);
        case TRecordingFormat::Rw5: return std::make_unique<TRw5Reader>(sink, report);
        case TRecordingFormat::Nikon: return std::make_unique<TNikonReader>(sink, report);
        default: return nullptr;
    }
}

void Fill(TImportResult& r, const TImportReport& report) {
    r.stations = report.stations;
    r.pointings = report.pointings;
    r.readings = report.readings;
    r.skipped = report.SkippedSummary();
    r.warnings = report.Warnings();
}

// The conversion itself, on lines given one by one; `sinkFor(encoding)`
// gives the book's sink.
TImportResult Convert(TRecordingFormat format, bool textBook, const std::string& gsiStyle,
                      const std::function<bool(std::string&)>& next,
                      const std::function<TLineSink&(FileEncoding)>& sinkFor, TProgress& progress) {
    TImportResult result;
    result.format = format;
    TImportReport report;
    const GsiBookForm form = textBook ? GsiBookForm::Text : GsiBookForm::Xml;
    const FileEncoding encoding = textBook ? FileEncoding::Cp1252 : FileEncoding::Latin1Xml;
    progress.Stage("Import de l'enregistrement " + FormatTitle(format));
    switch (format) {
        case TRecordingFormat::Gsi: {
            GsiReport gsi;
            TGsiBookWriter writer(form, gsiStyle, sinkFor(encoding), &gsi);
            std::string line;
            for (long long n = 1; next(line); ++n) {
                writer.AddLine(line);
                if (n % 4096 == 0) progress.Advance(static_cast<double>(n), 0.0);
            }
            writer.Finish();
            result.stations = gsi.stationCount;
            result.pointings = gsi.gsiBlocks - gsi.stationCount - gsi.coordinateRecords;
            if (result.pointings < 0) result.pointings = 0;
            result.skipped = gsi.coordinateRecords > 0
                                 ? Format("%d enregistrements de coordonnées (mots 81 à 83)", gsi.coordinateRecords)
                                 : std::string("aucun");
            result.warnings = gsi.warnings;
            return result;
        }
        case TRecordingFormat::GsiLevelling: {
            TNivWarnings warnings;
            TNa3BookBuilder builder(sinkFor(FileEncoding::Cp1252), warnings);
            std::string line;
            for (long long n = 1; next(line); ++n) {
                builder.AddLine(line);
                if (n % 4096 == 0) progress.Advance(static_cast<double>(n), 0.0);
            }
            builder.Finish();
            result.warnings = warnings.Lines();
            result.skipped = "aucun";
            return result;
        }
        case TRecordingFormat::Gdm: {
            std::vector<std::string> lines;
            std::string line;
            while (next(line)) lines.push_back(line);
            GdmBook book = textBook ? GdmToTextBook(lines) : GdmToXmlBook(lines);
            TLineSink& sink = sinkFor(encoding);
            for (const std::string& l : book.lines) sink.Add(l);
            result.stations = book.stationCount;
            for (const std::string& l : lines)
                if (StartsWith(l, "5=")) ++result.pointings;
            result.skipped = "aucun";
            return result;
        }
        case TRecordingFormat::Shoot: {
            TDiscardSink discard;
            const ShootSinks sinks{
                [&]() -> TLineSink& { return textBook ? sinkFor(FileEncoding::Cp1252) : discard; },
                [&]() -> TLineSink& { return textBook ? discard : sinkFor(FileEncoding::Latin1Xml); }};
            const ShootReport shoot = ConvertShoot(next, sinks, Param().angle, Param().longueur, progress);
            if (shoot.shots == 0)
                throw TImportError(0, "Aucun tir lu dans le fichier shoot : rien n'est écrit.");
            result.stations = shoot.cycles;
            result.pointings = shoot.shots;
            result.skipped = "aucun";
            result.warnings = shoot.warnings;
            return result;
        }
        case TRecordingFormat::M5Levelling: {
            TM5LevellingReader reader(sinkFor(FileEncoding::Cp1252), report);
            TRecordingLines(next).Each([&](std::string_view l, int n) { reader.Line(l, n); }, progress);
            reader.Finish();
            if (report.readings == 0)
                throw TImportError(0, "Aucune lecture de mire dans l'enregistrement " + FormatTitle(format) +
                                          " : rien n'est écrit.");
            Fill(result, report);
            return result;
        }
        default: break;
    }
    TSurveyBookWriter writer(form, sinkFor(encoding), Param().longueur);
    std::unique_ptr<TSurveyReader> reader = MakeReader(format, writer, report);
    if (!reader) throw TImportError(0, "Format de relevé non reconnu.");
    TRecordingLines(next).Each([&](std::string_view l, int n) { reader->Line(l, n); }, progress);
    reader->Finish();
    writer.Finish();
    if (report.stations == 0 && report.pointings == 0)
        throw TImportError(0, "Aucune station ni visée lue dans l'enregistrement " + FormatTitle(format) +
                                  " : rien n'est écrit.");
    Fill(result, report);
    return result;
}

// The station-header style of a GSI recording: the one the conversion
// dialog proposes from its first station header, else the ini's.
std::string GsiStyle(const std::string& in) {
    TTextLineReader reader(in);
    std::string line;
    while (reader.Next(line))
        if (auto style = ProposeGsiHeaderStyle({line})) return *style;
    return Param().entete_gsi;
}

// Converts the errors of the older converters into one kind.
template <typename F>
TImportResult Guarded(F run) {
    try {
        return run();
    } catch (const GsiConversionError& e) {
        throw TImportError(e.lineNumber(), e.what());
    } catch (const GdmConversionError& e) {
        throw TImportError(e.lineNumber(), e.what());
    } catch (const ShootConversionError& e) {
        throw TImportError(e.lineNumber(), e.what());
    } catch (const TNivError& e) {
        throw TImportError(0, e.what());
    }
}

}  // namespace

TUnrecognisedRecording::TUnrecognisedRecording(const std::string& firstLine)
    : TImportError(0, "Format de relevé non reconnu ; première ligne : « " + firstLine + " »") {}

std::string ImportOutputName(const std::string& out, TRecordingFormat format) {
    if (IsLevellingFormat(format) && Extension(out) != ".na3") return ChangeFileExt(out, ".na3");
    return out;
}

bool WantsTextBook(const std::string& out) {
    const std::string ext = Extension(out);
    return ext == ".crt" || ext == ".carnet";
}

TRecordingFormat RecogniseRecordingFile(const std::string& in, std::string* firstLine) {
    TTextLineReader reader(in);
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < kRecognitionLines && reader.Next(line)) {
        if (firstLine && firstLine->empty() && !TrimView(line).empty()) {
            // At most 120 bytes, cut between two characters.
            std::string shown = PrintableText(Trim(line));
            if (shown.size() > 120) {
                std::size_t cut = 120;
                while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
                shown.resize(cut);
            }
            *firstLine = shown;
        }
        lines.push_back(line);
    }
    return RecogniseRecording(lines);
}

TImportResult ImportRecording(const std::string& in, const std::string& out, std::optional<TRecordingFormat> format,
                              TOutputSet& outputs, TProgress& progress) {
    std::string firstLine;
    const TRecordingFormat seen = RecogniseRecordingFile(in, &firstLine);
    TRecordingFormat chosen = seen;
    if (format) {
        std::vector<std::string> lines;
        TTextLineReader probe(in);
        std::string line;
        while (lines.size() < kRecognitionLines && probe.Next(line)) lines.push_back(line);
        chosen = RefineFormat(*format, lines);
    }
    if (chosen == TRecordingFormat::Unknown) throw TUnrecognisedRecording(firstLine);
    const std::string target = ImportOutputName(out, chosen);
    const bool text = WantsTextBook(target);
    TTextLineReader reader(in);
    TImportResult result = Guarded([&] {
        return Convert(chosen, text, chosen == TRecordingFormat::Gsi ? GsiStyle(in) : std::string(), [&](std::string& line) { return reader.Next(line); },
                       [&](FileEncoding e) -> TLineSink& { return outputs.Add(target, e, &progress); }, progress);
    });
    result.output = target;
    if (format && seen != TRecordingFormat::Unknown && seen != chosen)
        result.warnings.insert(result.warnings.begin(),
                               "Le contenu ressemble à un enregistrement " + FormatTitle(seen) + " ; lu comme " +
                                   FormatTitle(chosen) + " ainsi que demandé.");
    return result;
}

TImportResult ImportRecordingLines(const std::vector<std::string>& lines, TRecordingFormat format, bool textBook,
                                   std::vector<std::string>& book) {
    if (format == TRecordingFormat::Unknown) {
        std::vector<std::string> first(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(
                                                                           std::min(lines.size(), kRecognitionLines)));
        format = RecogniseRecording(first);
        if (format == TRecordingFormat::Unknown) throw TUnrecognisedRecording(lines.empty() ? "" : lines.front());
    }
    TLineCollector collector;
    std::size_t next = 0;
    TImportResult result = Guarded([&] {
        std::optional<std::string> style;
        for (std::size_t i = 0; i < lines.size() && !style; ++i) style = ProposeGsiHeaderStyle({lines[i]});
        return Convert(format, textBook, style.value_or(Param().entete_gsi),
                       [&](std::string& line) {
                           if (next >= lines.size()) return false;
                           line = lines[next++];
                           return true;
                       },
                       [&](FileEncoding) -> TLineSink& { return collector; }, NoProgress());
    });
    book = std::move(collector.lines);
    return result;
}

std::vector<std::string> ImportSummary(const TImportResult& r) {
    std::vector<std::string> lines;
    lines.push_back("Format reconnu : " + FormatTitle(r.format));
    if (IsLevellingFormat(r.format)) {
        if (r.format == TRecordingFormat::M5Levelling) lines.push_back(Format("Lectures : %d", r.readings));
    } else {
        lines.push_back(Format("Stations : %d", r.stations));
        lines.push_back(Format("Visées : %d", r.pointings));
    }
    lines.push_back("Enregistrements ignorés : " + r.skipped);
    lines.push_back("Carnet écrit : " + r.output);
    return lines;
}

}  // namespace kestrova
