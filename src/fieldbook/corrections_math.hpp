// Distance corrections as plain formulas: refractivities, the two
// atmospheric formulas and the evaluation of a distance-meter calibration.
// Units: metres, degrees Celsius, kelvin (reference temperature), mmHg,
// micrometres (wavelength), ppm.
#pragma once
#include <string_view>
#include <vector>

namespace kestrova {

// Group refractivity for a carrier wavelength in micrometres.
double GroupRefractivity(double lambda);

// Refractivity at the reference conditions (T0 in kelvin, P0 in mmHg).
double ReferenceRefractivity(double NG0, double T0, double P0);

// "Barrel_Sears": first velocity correction for t (degrees C) and p (mmHg),
// relative to the reference refractivity N0 of the calibration.
double BarrelSearsPpm(double NG0, double N0, double t, double p);

// "Leica": t in degrees when uniteTemp is "deg", else in tenths of a degree;
// p in mmHg when unitePress is "mmHg", else in tenths of mmHg.
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

// Correction (metres) to add to a distance D already freed of its prism
// constant. A period of 0 leaves the Fourier terms out (they are undefined).
double CalibrationCorrection(const TCalibrationTerms& terms, double D);

}  // namespace kestrova
