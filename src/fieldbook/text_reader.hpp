// Reader of the text field book (".crt", ".carnet").
//
// Lines whose first field is "point", "prisme", "station" or "numero" build
// the model; every other line is ignored. Reading is lenient and silent: a
// line whose conversion fails part-way keeps what it set before the failure
// and the reader goes on with the next line.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/line_reader.hpp"
#include "base/progress.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// 1 mmHg in hPa.
inline constexpr double kHPaPerMmHg = 1.3329167214840152;

// From this many lines on, a book held in lines is read in two parts side
// by side.
inline constexpr std::size_t kTwoPartReadLines = 100000;

// Reads a whole text book into `book` (a new one), then resolves the
// calibrations and applies the height definitions. A cancel through
// `progress` throws TCancelled. A book of `twoPartsFrom` lines or more (0:
// never) with a station line after its middle is read in two parts side by
// side, the second from that line on, joined as a reading in one part would
// have read them; true when it was.
bool ReadTextBook(Tday_obs& book, const std::vector<std::string>& lines, TProgress& progress = NoProgress(),
                  std::size_t twoPartsFrom = kTwoPartReadLines);
// The same on views of lines (of a text that must not change meanwhile).
bool ReadTextBookViews(Tday_obs& book, const std::vector<std::string_view>& lines,
                       TProgress& progress = NoProgress(), std::size_t twoPartsFrom = kTwoPartReadLines);
// The same on lines given one at a time: `next` points its argument at the
// next line (which must stay valid until the following call) and returns
// false after the last line; `total` is the expected number of lines for
// the progress (0: unknown).
void ReadTextBook(Tday_obs& book, const std::function<bool(std::string_view&)>& next,
                  TProgress& progress = NoProgress(), std::size_t total = 0);

// From this size on, a book file is read in two parts side by side.
inline constexpr std::size_t kTwoPartReadBytes = std::size_t(8) << 20;

// Reads a text book file, scanned by `reader` (which then reads from its
// start): in two parts side by side when it has `twoPartsFrom` bytes or
// more (0: never) and a station line after its middle, the second part from
// that line on, joined to the first as a reading in one part would have
// read them. True when it was read in two parts.
bool ReadTextBookFile(Tday_obs& book, const std::string& path, TTextLineReader& reader,
                      TProgress& progress = NoProgress(), std::size_t twoPartsFrom = kTwoPartReadBytes);

// The same with no scan of the file first (the scan alone is a tenth of
// the reading of a large book): a book of `twoPartsFrom` bytes or more
// (0: never) with a station line after its middle, read in two parts with
// each line's encoding taken from the line itself. False, with `book` to
// be thrown away and read the usual way, for any other file, an XML book,
// a book with lines in both encodings, or a book keeping its trace (whose
// lines name line numbers as they are read).
bool ReadTextBookFileOnePass(Tday_obs& book, const std::string& path, TProgress& progress = NoProgress(),
                             std::size_t twoPartsFrom = kTwoPartReadBytes);

// Interprets one line. The station counter and the pointing counter belong
// to the caller and persist from line to line (both start at 0). Returns
// false when the line failed part-way (what it set before stays).
bool ReadTextLine(Tday_obs& book, std::string_view line, int& stationCounter, int lineIndex,
                  int& pointingCounter);

// How a value that is not a number was read: "ligne 12, AH_gr « abc » :
// pas un nombre, lu 0" (line from 1).
std::string UnreadValueText(const TUnreadValue& value);

// The values of the book that are not numbers, in the order of its
// stations, one line each for the first `shown`, then one line counting
// the others; none for a book without any.
std::vector<std::string> UnreadValueWarnings(const Tday_obs& book, std::size_t shown = 20);

// Appends the default calibration of a reading and its five trace lines.
TEtalonnage& AddDefaultCalibration(Tday_obs& book);

}  // namespace kestrova
