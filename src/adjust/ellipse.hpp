// Error ellipses of adjusted points from their 2×2 covariance blocks.
#pragma once

namespace kestrova {

struct TEllipse {
    double a = 0, b = 0;  // semi-axes (the unit of the square root of the covariances)
    double bearing = 0;   // of the major axis, gon in [0, 200), from the x axis as gama-local counts it
};

// The standard error ellipse of the covariances cxx, cxy, cyy.
TEllipse StandardEllipse(double cxx, double cxy, double cyy);

// The factor from the standard ellipse to the confidence ellipse at
// probability `p` (0 < p < 1): with the a priori reference standard
// deviation, the square root of the chi-square quantile with 2 degrees of
// freedom; with the a posteriori one (`aposteriori`), that of 2 F(2, dof).
double ConfidenceEllipseFactor(double p, bool aposteriori, int degreesOfFreedom);

}  // namespace kestrova
