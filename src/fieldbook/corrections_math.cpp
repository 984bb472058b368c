#include "fieldbook/corrections_math.hpp"

#include <cmath>
#include <numbers>

namespace kestrova {

double GroupRefractivity(double lambda) {
    const double l2 = lambda * lambda;
    return 287.604 + 4.8864 / l2 + 0.068 / (l2 * l2);
}

double ReferenceRefractivity(double NG0, double T0, double P0) {
    return NG0 * 273.15 * P0 / (T0 * 760.0) - 0.6;
}

double BarrelSearsPpm(double NG0, double N0, double t, double p) {
    return N0 - (NG0 * 273.15 * p / ((273.15 + t) * 760.0) - 0.6);
}

double LeicaPpm(double t, double p, std::string_view uniteTemp, std::string_view unitePress) {
    const double t10 = uniteTemp == "deg" ? 10.0 * t : t;
    const double p10 = unitePress == "mmHg" ? 10.0 * p : p;
    const double tc = 0.1 * t10;
    const double x = 7.5 * tc / (tc + 237.3) + 0.7857;
    const double E = std::pow(10.0, x);
    const double q = 1.0 + 0.0003660858105139845 * t10;
    const double ph = p10 * 1013.25 / 7600.0;
    return 281.8 - (0.29065 * ph / q - 0.028882 * E / q);
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
