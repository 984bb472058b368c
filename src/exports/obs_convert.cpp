#include "exports/obs_convert.hpp"

#include "base/output_set.hpp"
#include "base/param.hpp"
#include "exports/export_common.hpp"
#include "exports/obs_gama.hpp"
#include "exports/obs_geolab.hpp"
#include "exports/obs_renormalised.hpp"

namespace kestrova {

namespace {

ObsConversionError ValueError(const std::string& file, const ObsValueError& e) {
    return ObsConversionError("Erreur de conversion dans le fichier " + file + ", ligne " + std::to_string(e.line()) +
                              " : " + e.what() + " ; rien n'est écrit");
}

ObsReading Read(const std::vector<std::string>& lines, const std::string& source, RenormSign sign, TProgress& progress,
                bool requireObservation) {
    progress.Stage("Lecture du fichier " + source);
    try {
        ObsReading reading = ReadObsLines(lines, sign, progress);
        if (requireObservation && !reading.observationMet) throw ObsConversionError(kFormatNonReconnu, true, source);
        return reading;
    } catch (const ObsValueError& e) {
        throw ValueError(source, e);
    }
}

}  // namespace

void CheckObsLines(const std::vector<std::string>& lines, const std::string& source) {
    Read(lines, source, RenormSign::Unsigned, NoProgress(), true);
}

bool GeolabOffersRenormalisedObs() { return Param().renormalisation && RenormalisationChangesSigmas(); }

std::vector<std::string> WriteRenormalisedObsFile(const std::vector<std::string>& lines, const std::string& source,
                                                  const std::string& out, RenormSign sign, TProgress& progress,
                                                  bool* observationMet) {
    const ObsReading reading = Read(lines, source, sign, progress, observationMet == nullptr);
    if (observationMet) *observationMet = reading.observationMet;
    progress.Stage("Écriture du fichier " + out);
    TOutputSet outputs;
    ProduceRenormalisedObs(reading.records, CurrentExportTime(), outputs.Add(out));
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

std::vector<std::string> ConvertObsToGeolab(const std::vector<std::string>& lines, const std::string& source,
                                            const std::string& iob, const std::string& renormalisedObs,
                                            TProgress& progress) {
    const ObsReading reading = Read(lines, source, RenormSign::Unsigned, progress, true);
    progress.Stage("Écriture du fichier " + iob);
    TOutputSet outputs;
    try {
        ProduceGeolabFromObs(reading.records, outputs.Add(iob));
    } catch (const ObsValueError& e) {
        throw ValueError(source, e);
    }
    if (!renormalisedObs.empty() && GeolabOffersRenormalisedObs())
        ProduceRenormalisedObs(reading.records, CurrentExportTime(), outputs.Add(renormalisedObs));
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

std::vector<std::string> ConvertObsToGama(const std::vector<std::string>& lines, const std::string& source,
                                          const std::vector<std::string>& corLines, const std::string& corSource,
                                          const std::string& gkf, TProgress& progress) {
    const ObsReading reading = Read(lines, source, RenormSign::Unsigned, progress, true);
    progress.Stage("Lecture du fichier " + corSource);
    const std::vector<CorRecord> points = ReadCorLines(corLines);
    if (points.empty()) throw ObsConversionError(kFormatNonReconnu, true, corSource);
    progress.Stage("Écriture du fichier " + gkf);
    TOutputSet outputs;
    try {
        ProduceGamaFromObs(reading.records, points, outputs.Add(gkf));
    } catch (const CorValueError& e) {
        throw ValueError(corSource, e);
    } catch (const ObsValueError& e) {
        throw ValueError(source, e);
    }
    progress.ThrowIfCancelled();
    outputs.Commit();
    return outputs.Paths();
}

}  // namespace kestrova
