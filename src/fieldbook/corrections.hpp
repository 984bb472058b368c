// Corrections of the slope distances of a field book, before averaging:
// the instrument's atmospheric correction is taken out, the one computed
// from the recorded temperature and pressure is put in, then the prism
// constant is removed and the distance-meter calibration added.
//
// A distance of 0.05 m or less means "no distance" and is never touched.
#pragma once
#include <string_view>

#include "fieldbook/corrections_math.hpp"
#include "fieldbook/model.hpp"

namespace kestrova {

// Distances above this value are measured distances.
inline constexpr double kNoDistance = 0.05;

// NG0 from lambda.
void ComputeGroupRefractivity(TEtalonnage& etalonnage);
// N0 from NG0, T0 and P0.
void ComputeReferenceRefractivity(TEtalonnage& etalonnage);

// Correction (m) of the calibration for a distance D freed of its prism
// constant: -M outside Ddep < D < Dmax or without tables, else the Fourier,
// polynomial and interpolation terms.
double CalibrationCorrection(const TEtalonnage& etalonnage, double D);

// Atmospheric correction (ppm) by the named formula ("Barrel_Sears", any
// other name: Leica). Barrel and Sears uses the calibration's NG0 and N0.
double AtmosphericPpm(std::string_view formule, const TEtalonnage& etalonnage, double temp, double press,
                      std::string_view uniteTemp, std::string_view unitePress);

// Takes the instrument's correction out of every measured distance.
void RemoveInstrumentPpm(TStation& station);
// Station ppm from the station header (with the station's calibration),
// and each measured pointing's ppm from its own values and calibration.
void ComputeAtmosphericPpm(TStation& station, std::string_view formule);
// Puts each pointing's ppm into its measured distance.
void ApplyPpm(TStation& station);
// Prism constant and calibration for every measured pointing of every
// station whose calibration is not the default one (num -1).
void ApplyCalibrations(Tday_obs& book);

// The corrections in their order: when useMeteoEnteteStation, the
// atmospheric recomputation of every valid station, then the calibrations
// of all stations. Runs once per freshly read book.
void ApplyDistanceCorrections(Tday_obs& book, bool useMeteoEnteteStation, std::string_view formule);

}  // namespace kestrova
