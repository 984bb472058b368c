// The conversions of an observation file as commands: read the lines,
// build the output, write every file through one output set (nothing is
// written when anything fails).
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "exports/obs_records.hpp"
#include "levelling/line_source.hpp"

namespace kestrova {

// A conversion that cannot be done; the message is for the user, in
// French, and names the file and the line when one is at fault.
class ObsConversionError : public std::runtime_error {
public:
    ObsConversionError(const std::string& message, bool unknownFormat = false, const std::string& file = {})
        : std::runtime_error(message), unknownFormat_(unknownFormat), file_(file) {}
    // The file holds no observation (or no point): "Format non reconnu !".
    bool UnknownFormat() const { return unknownFormat_; }
    // The file that was not recognised.
    const std::string& File() const { return file_; }

private:
    bool unknownFormat_;
    std::string file_;
};

inline constexpr const char* kFormatNonReconnu = "Format non reconnu !";

// `source` names the observation file in messages. Each returns the files
// written; throws ObsConversionError, TextFileError (reading a file source
// or writing) or TCancelled. Each reads its records as they stream by and
// holds none of them but those between two observations (GNU Gama): the
// outputs are staged and replace earlier files only once all is read.
// The reading's warnings (a name with a blank, read by its columns) go
// into *warnings when given.

// The renormalised observation file `out` (the sign of each old standard
// deviation kept with `RenormSign::Signed`, as the renormalisation
// command does; the Geolab conversion's companion file uses Unsigned).
// Without `observationMet`, a file holding no observation is refused with
// "Format non reconnu !"; with it, the file is written all the same (as
// the menu command does) and *observationMet tells.
std::vector<std::string> WriteRenormalisedObsFile(TLineSource& lines, const std::string& source,
                                                  const std::string& out, RenormSign sign, TProgress& progress,
                                                  bool* observationMet, std::vector<std::string>* warnings);
std::vector<std::string> WriteRenormalisedObsFile(const std::vector<std::string>& lines, const std::string& source,
                                                  const std::string& out, RenormSign sign,
                                                  TProgress& progress = NoProgress(), bool* observationMet = nullptr,
                                                  std::vector<std::string>* warnings = nullptr);

// The Geolab file `iob`; and, when `renormalisedObs` is not empty and the
// parameters renormalise with a pair that changes something, the
// renormalised observation file too.
std::vector<std::string> ConvertObsToGeolab(TLineSource& lines, const std::string& source, const std::string& iob,
                                            const std::string& renormalisedObs, TProgress& progress,
                                            std::vector<std::string>* warnings);
std::vector<std::string> ConvertObsToGeolab(const std::vector<std::string>& lines, const std::string& source,
                                            const std::string& iob, const std::string& renormalisedObs,
                                            TProgress& progress = NoProgress(),
                                            std::vector<std::string>* warnings = nullptr);

// The GNU Gama file `gkf` from the observation lines and the lines of the
// coordinate file `corSource`.
std::vector<std::string> ConvertObsToGama(TLineSource& lines, const std::string& source,
                                          const std::vector<std::string>& corLines, const std::string& corSource,
                                          const std::string& gkf, TProgress& progress,
                                          std::vector<std::string>* warnings);
std::vector<std::string> ConvertObsToGama(const std::vector<std::string>& lines, const std::string& source,
                                          const std::vector<std::string>& corLines, const std::string& corSource,
                                          const std::string& gkf, TProgress& progress = NoProgress(),
                                          std::vector<std::string>* warnings = nullptr);

// Reads the lines as the conversions do and throws what they would throw
// for them (a value that is not a number, no observation at all), before
// the user is asked for more.
void CheckObsLines(const std::vector<std::string>& lines, const std::string& source);

// Whether the Geolab conversion also offers the renormalised file.
bool GeolabOffersRenormalisedObs();

}  // namespace kestrova
