#include "fieldbook/corrections_math.hpp"

#include <cmath>
#include <numbers>

namespace kestrova {

namespace {

// 0 degrees Celsius in kelvin.
constexpr double kZeroCelsiusK = 273.15;
// The standard atmosphere: 760 mmHg = 1013.25 hPa.
constexpr double kStandardPressureMmHg = 760.0;
constexpr double kStandardPressureHPa = 1013.25;

// Barrel and Sears group refractivity of dry air, (n_g - 1) x 10^6 as
// N0 + N2 / lambda^2 + N4 / lambda^4 with lambda in micrometres.
constexpr double kGroupN0 = 287.604;
constexpr double kGroupN2 = 4.8864;  // um^2
constexpr double kGroupN4 = 0.068;   // um^4
// Water-vapour term taken off the refractivity, for a fixed mean humidity
// (N units, that is ppm).
constexpr double kVapourTermN = 0.6;

// Magnus form of the saturation vapour pressure over water:
// E = 10^(a t / (t + b) + log10 E0), t in degrees Celsius, E in hPa.
constexpr double kMagnusA = 7.5;
constexpr double kMagnusB = 237.3;            // degrees Celsius
constexpr double kMagnusLog10E0 = 0.7857;     // log10 of the saturation pressure at 0 degrees Celsius (about 6.1 hPa)
// Thermal expansion of air per tenth of a degree: 1 / 2731.6 (1 / 273.16 per degree).
constexpr double kExpansionPerTenthDegree = 0.0003660858105139845;
// Coefficients of the Leica formula: refractivity of its reference
// atmosphere, dry-air pressure term (per hPa) and vapour term (per hPa of
// saturation pressure, the relative humidity fixed inside it).
constexpr double kLeicaReferenceN = 281.8;
constexpr double kLeicaDryAir = 0.29065;
constexpr double kLeicaVapour = 0.028882;

}  // namespace

double GroupRefractivity(double lambda) {
    const double l2 = lambda * lambda;
    return kGroupN0 + kGroupN2 / l2 + kGroupN4 / (l2 * l2);
}

double ReferenceRefractivity(double NG0, double T0, double P0) {
    return NG0 * kZeroCelsiusK * P0 / (T0 * kStandardPressureMmHg) - kVapourTermN;
}

double BarrelSearsPpm(double NG0, double N0, double t, double p) {
    return N0 - (NG0 * kZeroCelsiusK * p / ((kZeroCelsiusK + t) * kStandardPressureMmHg) - kVapourTermN);
}

double LeicaPpm(double t, double p, std::string_view uniteTemp, std::string_view unitePress) {
    const double t10 = uniteTemp == "deg" ? 10.0 * t : t;
    const double p10 = unitePress == "mmHg" ? 10.0 * p : p;
    const double tc = 0.1 * t10;
    const double x = kMagnusA * tc / (tc + kMagnusB) + kMagnusLog10E0;
    const double E = std::pow(10.0, x);  // saturation vapour pressure, hPa
    const double q = 1.0 + kExpansionPerTenthDegree * t10;
    const double ph = p10 * kStandardPressureHPa / (10.0 * kStandardPressureMmHg);  // hPa
    return kLeicaReferenceN - (kLeicaDryAir * ph / q - kLeicaVapour * E / q);
}

bool IsBarrelSears(std::string_view formule) { return formule == "Barrel_Sears"; }

namespace {
bool Empty(const std::vector<double>* table) { return table == nullptr || table->empty(); }
}  // namespace

double CalibrationCorrection(const TCalibrationTerms& c, double D) {
    if (Empty(c.A) && Empty(c.Q) && Empty(c.dist)) return -c.M;
    if (D <= c.Ddep || D >= c.Dmax) return -c.M;

    double Fc = 0.0, Fs = 0.0;
    if (!Empty(c.A) && c.P != 0.0) {
        const size_t n = c.A->size();
        for (size_t k = 1; k <= n; ++k) {
            const double w = 2.0 * std::numbers::pi * static_cast<double>(k) * D / c.P;
            Fc += (*c.A)[k - 1] * std::cos(w);
            if (c.B != nullptr && k - 1 < c.B->size()) Fs += (*c.B)[k - 1] * std::sin(w);
        }
    }

    double Pq = 0.0;
    if (!Empty(c.Q)) {
        double power = 1.0;
        for (double q : *c.Q) {
            Pq += q * power;
            power *= D;
        }
    }

    double I = 0.0;
    if (!Empty(c.dist)) {
        const std::vector<double>& dist = *c.dist;
        const size_t n = dist.size();
        size_t found = n;  // none
        for (size_t i = 0; i < n; ++i)
            if (D > dist[i]) found = i;
        // The node after the one found is at or beyond D, so the span is never 0.
        if (found + 1 < n) {
            auto corrAt = [&](size_t i) {
                return c.corr != nullptr && i < c.corr->size() ? (*c.corr)[i] : 0.0;
            };
            const double d0 = dist[found], d1 = dist[found + 1];
            I = ((d1 - D) * corrAt(found) + (D - d0) * corrAt(found + 1)) / (d1 - d0);
        }
    }

    return -(c.M + Fc + Fs - Pq - I);
}

}  // namespace kestrova
