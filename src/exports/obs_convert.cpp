#include "exports/obs_convert.hpp"

#include "base/output_set.hpp"
#include "base/param.hpp"
#include "exports/export_common.hpp"
#include "exports/obs_gama.hpp"
#include "exports/obs_geolab.hpp"
#include "exports/obs_renormalised.hpp"
#include "levelling/line_source.hpp"

namespace kestrova {

namespace {

ObsConversionError ValueError(const std::string& file, const TFieldValueError& e) {
    return ObsConversionError("Erreur de conversion dans le fichier " + file + ", ligne " + std::to_string(e.line()) +
                              " : " + e.what() + " ; rien n'est écrit");
}

// Reads every record of `lines` into `write`, turning a value error into
// the conversion's message; "Format non reconnu !" when `requireObservation`
// and no observation was met.
template <typename Write>
void ReadRecords(TLineSource& lines, const std::string& source, RenormSign sign, TProgress& progress,
                 bool requireObservation, bool* observationMet, std::vector<std::string>* warnings, Write write) {
    progress.Stage("Lecture du fichier " + source);
    TObsRecordReader reader(lines, sign, progress);
    try {
        ObsRecord record;
        while (reader.Next(record)) write(std::move(record));
    } catch (const ObsValueError& e) {
        throw ValueError(source, e);
    }
    if (observationMet) *observationMet = reader.ObservationMet();
    if (requireObservation && !reader.ObservationMet()) throw ObsConversionError(kFormatNonReconnu, true, source);
    if (warnings) *warnings = reader.Warnings();
}

}  // namespace

void CheckObsLines(const std::vector<std::string>& lines, const std::string& source) {
    TVectorLineSource input(lines);
    ReadRecords(input, source, RenormSign::Unsigned, NoProgress(), true, nullptr, nullptr, [](ObsRecord&&) {});
}

bool GeolabOffersRenormalisedObs() { return Param().renormalisation && RenormalisationChangesSigmas(); }

std::vector<std::string> WriteRenormalisedObsFile(TLineSource& lines, const std::string& source,
                                                  const std::string& out, RenormSign sign, TProgress& progress,
                                                  bool* observationMet, std::vector<std::string>* warnings) {
    TOutputSet outputs;
    TRenormalisedObs renormalised(CurrentExportTime(), outputs.Add(out));
    ReadRecords(lines, source, sign, progress, observationMet == nullptr, observationMet, warnings,
                [&](ObsRecord&& r) { renormalised.Add(r); });
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

std::vector<std::string> WriteRenormalisedObsFile(const std::vector<std::string>& lines, const std::string& source,
                                                  const std::string& out, RenormSign sign, TProgress& progress,
                                                  bool* observationMet, std::vector<std::string>* warnings) {
    TVectorLineSource input(lines);
    return WriteRenormalisedObsFile(input, source, out, sign, progress, observationMet, warnings);
}

std::vector<std::string> ConvertObsToGeolab(TLineSource& lines, const std::string& source, const std::string& iob,
                                            const std::string& renormalisedObs, TProgress& progress,
                                            std::vector<std::string>* warnings) {
    TOutputSet outputs;
    TGeolabFromObs geolab(outputs.Add(iob));
    std::unique_ptr<TRenormalisedObs> renormalised;
    if (!renormalisedObs.empty() && GeolabOffersRenormalisedObs())
        renormalised = std::make_unique<TRenormalisedObs>(CurrentExportTime(), outputs.Add(renormalisedObs));
    ReadRecords(lines, source, RenormSign::Unsigned, progress, true, nullptr, warnings, [&](ObsRecord&& r) {
        try {
            geolab.Add(r);
        } catch (const ObsValueError& e) {
            throw ValueError(source, e);
        }
        if (renormalised) renormalised->Add(r);
    });
    geolab.Finish();
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

std::vector<std::string> ConvertObsToGeolab(const std::vector<std::string>& lines, const std::string& source,
                                            const std::string& iob, const std::string& renormalisedObs,
                                            TProgress& progress, std::vector<std::string>* warnings) {
    TVectorLineSource input(lines);
    return ConvertObsToGeolab(input, source, iob, renormalisedObs, progress, warnings);
}

std::vector<std::string> ConvertObsToGama(TLineSource& lines, const std::string& source,
                                          const std::vector<std::string>& corLines, const std::string& corSource,
                                          const std::string& gkf, TProgress& progress,
                                          std::vector<std::string>* warnings) {
    progress.Stage("Lecture du fichier " + corSource);
    const std::vector<CorRecord> points = ReadCorLines(corLines);
    if (points.empty()) throw ObsConversionError(kFormatNonReconnu, true, corSource);
    TOutputSet outputs;
    std::unique_ptr<TGamaFromObs> gama;
    try {
        gama = std::make_unique<TGamaFromObs>(points, outputs.Add(gkf));
    } catch (const CorValueError& e) {
        throw ValueError(corSource, e);
    }
    auto write = [&](auto&& step) {
        try {
            step();
        } catch (const ObsConversionError&) {
            throw;
        } catch (const ObsValueError& e) {
            throw ValueError(source, e);
        }
    };
    ReadRecords(lines, source, RenormSign::Unsigned, progress, true, nullptr, warnings,
                [&](ObsRecord&& r) { write([&] { gama->Add(std::move(r)); }); });
    write([&] { gama->Finish(); });
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

std::vector<std::string> ConvertObsToGama(const std::vector<std::string>& lines, const std::string& source,
                                          const std::vector<std::string>& corLines, const std::string& corSource,
                                          const std::string& gkf, TProgress& progress,
                                          std::vector<std::string>* warnings) {
    TVectorLineSource input(lines);
    return ConvertObsToGama(input, source, corLines, corSource, gkf, progress, warnings);
}

}  // namespace kestrova
