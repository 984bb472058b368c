// Station reduction: pointings grouped by target and face, rounds checked,
// distances corrected, directions, zenith angles and distances averaged per
// target, and the vertical index quantity Z0 estimated.
//
// Order of use on a freshly read field book:
//   BuildTargetsAndCheck(book, options);
//   CorrectAndReduce(book, options);
// or both at once, station by station: ReduceBook(book, options).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "base/progress.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// The parameters the reduction reads (ini keys of the same names).
struct TReductionOptions {
    bool export_hauteurs_brelix = false;               // "Y": check one target height per target
    bool use_meteo_entete_station = true;              // "Y": recompute the atmospheric correction
    std::string formule_meteo = "Barrel_Sears";        // or "Leica" (any other text)
    bool use_first_target_for_Z0_estimation = false;   // "Y": the opening target counts in Z0
};

// The options from the process's parameter set.
TReductionOptions ReductionOptionsFromParam();

// An angle in gons mapped into [0, 400); a result above 399.99995 is 0.
double NormaliseAngle(double x);

// A station measured in face right only becomes a face-left station:
// V := 400 - V and circle 1 for every pointing (Hz unchanged).
void FoldFaces(TStation& station);

// Groups the station's pointings into targets (pts_vise), in order of
// first appearance of each name. Linear in the number of pointings.
void BuildTargets(TStation& station);

// The checks of one station: fills `logs` (French messages), sets
// `cercles`, `fermeture`, `NbPointes` and `valid` (no message).
void CheckStation(TStation& station, const TReductionOptions& options);
void CheckStation(Tday_obs& book, std::size_t index, const TReductionOptions& options);
void CheckStation(Tday_obs& book, std::size_t index);

// Folds faces and builds the targets of every station, then checks every
// station in order. True when at least one station was processed.
// A cancel through `progress` throws TCancelled.
bool BuildTargetsAndCheck(Tday_obs& book, const TReductionOptions& options, TProgress& progress = NoProgress());
bool BuildTargetsAndCheck(Tday_obs& book, TProgress& progress = NoProgress());

// Means per circle and reduced values of every target of a station
// (called for valid stations).
void ReduceStation(TStation& station);

// Z0 and SigmaZ0 of the field book and of every valid two-circle station
// (0 where there is no target to average).
void EstimateZ0(Tday_obs& book, bool useFirstTarget);

// Distance corrections, then ReduceStation for every valid station, then
// the Z0 estimates.
void CorrectAndReduce(Tday_obs& book, const TReductionOptions& options, TProgress& progress = NoProgress());
void CorrectAndReduce(Tday_obs& book, TProgress& progress = NoProgress());

// BuildTargetsAndCheck then CorrectAndReduce, the same book, each station
// taken through both while its pointings are at hand (a monitoring book's
// pointings do not stay in the processor's caches from one pass to the
// next). True when at least one station was processed.
bool ReduceBook(Tday_obs& book, const TReductionOptions& options, TProgress& progress = NoProgress());
bool ReduceBook(Tday_obs& book, TProgress& progress = NoProgress());

// Directions are averaged around the circle: each value is first brought
// within 200 gons of the first value of the set (one turn added or taken
// away), then the mean is taken; the callers normalise it into [0, 400).
// Readings on both sides of 0 (399.9990 and 0.0010) average to 0, and
// readings straddling 380 (379.9999 and 380.0001) to 380.
//
// `hz` as the equivalent direction within 200 gons of `reference`.
double DirectionNear(double hz, double reference);
// Mean of the Hz of the pointings around the circle, not normalised (0 for
// no pointing).
double MeanDirection(std::span<Tobs* const> obs);

// Reference direction of a circle (1 or 2) for the residuals of the
// reports: the mean Hz of the opening target's pointings in that circle,
// averaged around the circle; 0 when the opening target has no pointing in
// that circle.
double CircleReferenceDirection(const TPt_vise& opening, int cercle);

}  // namespace kestrova
