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

// Sets the calibration's group refractivity NG0 (N units) from its carrier
// wavelength lambda (um), Barrel and Sears dispersion formula.
void ComputeGroupRefractivity(TEtalonnage& etalonnage);
// Sets the calibration's reference refractivity N0 (N units) from NG0, its
// reference temperature T0 (kelvin) and pressure P0 (mmHg).
void ComputeReferenceRefractivity(TEtalonnage& etalonnage);

// Calibration curve: correction (m) of the calibration for a distance D (m)
// freed of its prism constant: -M outside Ddep < D < Dmax or without tables,
// else the Fourier, polynomial and interpolation terms.
double CalibrationCorrection(const TEtalonnage& etalonnage, double D);

// First velocity correction (ppm) by the named formula ("Barrel_Sears", any
// other name: Leica) for a temperature (degrees Celsius) and a pressure
// (mmHg) with their unit texts. Barrel and Sears uses the calibration's NG0
// and N0.
double AtmosphericPpm(std::string_view formule, const TEtalonnage& etalonnage, double temp, double press,
                      std::string_view uniteTemp, std::string_view unitePress);

// Takes the instrument's correction out of every measured distance (m):
// Dp / (1 + ppm / 10^6).
void RemoveInstrumentPpm(TStation& station);
// Station ppm from the station header (with the station's calibration),
// and each measured pointing's ppm from its own values and calibration.
void ComputeAtmosphericPpm(TStation& station, std::string_view formule);
// Puts each pointing's ppm into its measured distance (m): Dp (1 + ppm / 10^6).
void ApplyPpm(TStation& station);
// Prism constant and calibration for every measured pointing of every
// station whose calibration is not the default one (num -1).
void ApplyCalibrations(Tday_obs& book);
void ApplyCalibrations(TStation& station);

// The corrections in their order: when useMeteoEnteteStation, the
// atmospheric recomputation of every valid station, then the calibrations
// of all stations. Runs once per freshly read book.
void ApplyDistanceCorrections(Tday_obs& book, bool useMeteoEnteteStation, std::string_view formule);
// The same for one station (stations do not depend on one another).
void ApplyDistanceCorrections(TStation& station, bool useMeteoEnteteStation, std::string_view formule);

}  // namespace kestrova
