// Distance corrections as plain formulas: refractivities, the two
// atmospheric formulas and the evaluation of a distance-meter calibration.
// Units: metres, degrees Celsius, kelvin (reference temperature), mmHg,
// micrometres (wavelength), ppm.
#pragma once
#include <string_view>
#include <vector>

namespace kestrova {

// Group refractivity NG0 of dry air for a carrier wavelength lambda (um),
// Barrel and Sears dispersion formula; result in N units ((n - 1) x 10^6).
double GroupRefractivity(double lambda);

// Refractivity N0 (N units) at the calibration's reference conditions, from
// the group refractivity NG0 (N units), the temperature T0 (kelvin) and the
// pressure P0 (mmHg): NG0 x 273.15 x P0 / (T0 x 760) - 0.6.
double ReferenceRefractivity(double NG0, double T0, double P0);

// First velocity correction (ppm) by the Barrel and Sears formula for a
// temperature t (degrees Celsius) and a pressure p (mmHg): N0 minus the
// refractivity at t and p, with the calibration's NG0 and N0 (N units).
double BarrelSearsPpm(double NG0, double N0, double t, double p);

// First velocity correction (ppm) by the Leica formula (saturation vapour
// pressure by the Magnus form, humidity fixed): t in degrees Celsius when
// uniteTemp is "deg", else in tenths of a degree; p in mmHg when unitePress
// is "mmHg", else in tenths of mmHg.
double LeicaPpm(double t, double p, std::string_view uniteTemp, std::string_view unitePress);

// True when the formula name selects Barrel and Sears; any other name
// selects the Leica formula.
bool IsBarrelSears(std::string_view formule);

// The terms of a calibration, as stored in a calibration record.
struct TCalibrationTerms {
    double M = 0.0;     // additive constant
    double Ddep = 0.0;  // the variable terms apply for Ddep < D < Dmax
    double Dmax = 0.0;
    double P = 0.0;     // period of the Fourier terms
    const std::vector<double>* A = nullptr;  // cosine coefficients, degree k at index k-1
    const std::vector<double>* B = nullptr;  // sine coefficients
    const std::vector<double>* Q = nullptr;  // polynomial, degree d multiplies D^(d-1)
    const std::vector<double>* dist = nullptr;  // interpolation nodes
    const std::vector<double>* corr = nullptr;
};

// Calibration curve of a distance meter: correction (m) to add to a
// distance D (m) already freed of its prism constant, -(M + Fourier terms in
// 2 pi k D / P - polynomial in D - linear interpolation in the table), or
// -M outside Ddep < D < Dmax. A period of 0 leaves the Fourier terms out.
double CalibrationCorrection(const TCalibrationTerms& terms, double D);

}  // namespace kestrova
