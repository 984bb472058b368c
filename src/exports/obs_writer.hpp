// The Brelix observation file (".obs"): reduced directions (codes 7 and 5),
// zenith angles (6) and slope distances (3) of every valid station, in one
// file for the whole field book or in one file per station (monitoring
// series whose stations carry cycle numbers).
#pragma once
#include <string>
#include <vector>

#include "exports/export_common.hpp"
#include "base/line_sink.hpp"
#include "base/line_text.hpp"
#include "base/output_set.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// A name as the blank-separated files (.obs, .iob) hold it: each blank
// becomes "_" (a blank would split it into two fields, shifting the
// values of the line for every reader).
std::string BlankSeparatedName(std::string_view name);

// One warning per name of the valid stations (station or target) that
// holds a blank, naming it and what it becomes in the .obs and .iob files
// (at most 20, then a count).
std::vector<std::string> BlankNameWarnings(const Tday_obs& book);

// One observation line: code, station, target, value and standard
// deviation with `decimals`, the fixed " 0.0000 ", the two heights and
// the comments.
std::string ObsLine(int code, const std::string& station, const std::string& target, double value,
                    double sigma, int decimals, double ht, double hv, const std::string& comments);
// The same built in `line` (cleared first); `memo` keeps the columns whose
// values repeat from line to line.
struct TObsLineMemo {
    TFixedMemo sigma, ht, hv;
};
TLineText& BuildObsLine(TLineText& line, int code, std::string_view station, std::string_view target, double value,
                        double sigma, int decimals, double ht, double hv, std::string_view comments,
                        TObsLineMemo& memo);

// The single file; `path` is written in the header as given.
void ProduceObsFile(const Tday_obs& book, const std::string& path, const TExportTime& time, TLineSink& sink);
std::vector<std::string> ObsFileLines(const Tday_obs& book, const std::string& path,
                                      const TExportTime& time);

// Lines of the file of one station (index in book.stations) in the
// per-station variant; `path` is the output path chosen by the user.
void ProduceObsStationFile(const Tday_obs& book, std::size_t stationIndex, const std::string& path,
                           const TExportTime& time, TLineSink& sink);
std::vector<std::string> ObsStationFileLines(const Tday_obs& book, std::size_t stationIndex,
                                             const std::string& path, const TExportTime& time);

// The identifier of a station's own file: day of year, second and cycle as
// "%03d-%05d-%05d" with blanks turned into "0" (cycle -1 gives "000-1").
std::string ObsStationIdentifier(const TStation& station);

// Directory of the per-station files: the output path without extension.
std::string ObsStationDirectory(const std::string& path);

// Full path of a station's own file: directory/base_identifier.obs.
std::string ObsStationFileName(const std::string& path, const TStation& station);

// Writers: atomic, true on success; on failure false with the reason in
// *error and no half-written file.
bool WriteObsFile(const Tday_obs& book, const std::string& path, std::string* error = nullptr);

// Stages the per-station files in `set`: their directory (made when
// missing), then one file per valid station. Returns their paths; throws
// TextFileError naming the directory or the station file that failed.
std::vector<std::string> StageObsFilesPerStation(const Tday_obs& book, const std::string& path, TOutputSet& set);

// Creates the directory when missing, then one file per valid station, all
// renamed into place together (none when one fails);
// the paths written are appended to *written. On failure *failedPath is
// the directory or the station file that could not be written, and
// *error is "<that path> : <reason>".
bool WriteObsFilesPerStation(const Tday_obs& book, const std::string& path, std::string* error = nullptr,
                             std::vector<std::string>* written = nullptr, std::string* failedPath = nullptr);

}  // namespace kestrova
