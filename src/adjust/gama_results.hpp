// The results of one gama-local run as its XML output gives them: the
// summary (counts, degrees of freedom, reference standard deviations and
// their test), the adjusted points with their approximate coordinates and
// the covariance block of each, the orientation unknowns and every
// observation with its adjusted value, residual, standardized residual and
// redundancy.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrova {

// gama-local refused its input or could not adjust it; `what()` holds its
// own reason (its French descriptions, the line when it gives one).
class GamaRunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GamaPoint {
    std::string id;
    bool hasXY = false, hasZ = false;
    bool constrainedXY = false, constrainedZ = false;  // upper-case coordinates
    double x = 0, y = 0, z = 0;                         // adjusted (m)
    bool hasApprox = false;
    double ax = 0, ay = 0, az = 0;                      // approximate (m)
    // Covariances from the covariance matrix (mm²); 0 when not there.
    double cxx = 0, cxy = 0, cyy = 0, czz = 0;
    double sx() const;  // standard deviations (mm)
    double sy() const;
    double sz() const;
};

struct GamaOrientation {
    std::string id;
    double approx = 0, adjusted = 0;  // gon
    double stdev = 0;                 // cc, from the covariance matrix
};

struct GamaObservation {
    std::string kind;     // the element's name: "direction", "slope-distance", "height-diff", ...
    std::string from, to; // `to` empty for a coordinate observation
    double observed = 0, adjusted = 0;
    double stdev = 0;     // of the adjusted value (mm or cc)
    double qrr = 0;       // redundancy number
    double f = 0;         // gama-local's f, the part of the observation controlled (%)
    bool hasStdResidual = false;
    double stdResidual = 0;
    bool angular() const;    // gon values, residual in cc
    double residual() const; // adjusted - observed, in mm or cc
    std::string KindText() const;  // French: "direction", "distance inclinée", ...
};

struct GamaResults {
    std::string version, algorithm;
    int adjustedXYZ = 0, adjustedXY = 0, adjustedZ = 0;
    int constrainedXYZ = 0, constrainedXY = 0, constrainedZ = 0;
    int fixedXYZ = 0, fixedXY = 0, fixedZ = 0;
    int equations = 0, unknowns = 0, degreesOfFreedom = 0, defect = 0, iterations = 0;
    double sumOfSquares = 0;
    double apriori = 0, aposteriori = 0;   // reference standard deviations
    std::string sigmaUsed;                 // "apriori" or "aposteriori"
    double probability = 0, ratio = 0, lower = 0, upper = 0;
    bool hasTest = false, testFailed = false;
    double confidenceScale = 0;
    std::vector<GamaPoint> fixed;          // fixed points (not adjusted)
    std::vector<GamaPoint> points;         // adjusted points, in gama-local's order
    std::vector<GamaOrientation> orientations;
    std::vector<GamaObservation> observations;

    const GamaPoint* Point(const std::string& id) const;
    // The largest change from the approximate to the adjusted coordinate
    // of an adjusted, not constrained, coordinate (m).
    double LargestChange() const;
};

// Reads gama-local's XML output. Throws GamaRunError with its reason when
// the output holds an <error> element, and when it is not gama-local's
// XML at all or holds no adjusted coordinates.
GamaResults ReadGamaResults(const std::string& xml);

// The critical value of the standardized residuals printed in gama-local's
// text output ("... valeur critique 1.96 ..."), or `fallback` when the
// text gives none.
double CriticalValueFromText(const std::string& text, double fallback);

}  // namespace kestrova
