#include "adjust/ellipse.hpp"

#include <algorithm>
#include <cmath>

namespace kestrova {

TEllipse StandardEllipse(double cxx, double cxy, double cyy) {
    const double mean = (cxx + cyy) / 2;
    const double half = std::hypot((cxx - cyy) / 2, cxy);
    TEllipse e;
    e.a = std::sqrt(std::max(0.0, mean + half));
    e.b = std::sqrt(std::max(0.0, mean - half));
    double t = 0.5 * std::atan2(2 * cxy, cxx - cyy) * 200.0 / M_PI;
    if (t < 0) t += 200.0;
    if (t >= 200.0) t -= 200.0;
    e.bearing = t;
    return e;
}

double ConfidenceEllipseFactor(double p, bool aposteriori, int degreesOfFreedom) {
    if (!(p > 0 && p < 1)) return 1.0;
    if (aposteriori && degreesOfFreedom > 0) {
        // 2 F(2, f; p) = f ((1 - p)^(-2/f) - 1)
        const double f = degreesOfFreedom;
        return std::sqrt(f * (std::pow(1 - p, -2.0 / f) - 1));
    }
    return std::sqrt(-2.0 * std::log(1 - p));
}

}  // namespace kestrova
