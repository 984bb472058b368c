// One adjustment by gama-local: its input written to a private folder,
// gama-local run with explicit options, its results read; run again with
// the adjusted coordinates as approximations of the free points until the
// largest change is under a tenth of a millimetre (at most five runs).
// Kestrova computes no least squares of its own.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "adjust/gama_results.hpp"
#include "base/progress.hpp"

namespace kestrova {

inline constexpr int kMaxGamaRuns = 5;
inline constexpr double kApproximationTolerance = 0.0001;  // m

struct AdjustOutcome {
    std::string program, version;           // gama-local's path and version
    std::vector<std::string> options;       // the options given to it (files left out)
    std::vector<std::string> gkfLines;      // the input of the last run
    std::string xml, text;                  // its outputs
    GamaResults results;                    // read from `xml`
    std::vector<double> changes;            // largest change of each run (m)
    bool converged = false;                 // the last change is under the tolerance
    // The approximate coordinates of the first run (given by the coordinate
    // file or computed by gama-local), by point.
    struct Approx {
        bool hasXY = false, hasZ = false;
        double x = 0, y = 0, z = 0;
    };
    std::map<std::string, Approx> firstApprox;
    double criticalValue = 3.0;             // of the standardized residuals
    int Runs() const { return static_cast<int>(changes.size()); }
};

// The options every run gets, whatever gama-local's defaults.
std::vector<std::string> GamaOptions();

// The input lines with the free coordinates of the points set to the
// adjusted ones of `results` (constrained and fixed coordinates, and
// points gama-local did not adjust, stay as they are).
std::vector<std::string> WithApproximations(const std::vector<std::string>& gkfLines, const GamaResults& results);

// Runs the adjustment. Throws GamaRunError with gama-local's reason
// (French) when it refuses the input or cannot adjust it, ChildStartError
// when it cannot be started, TCancelled (gama-local killed) on a cancel.
AdjustOutcome AdjustWithGama(const std::string& program, const std::vector<std::string>& gkfLines,
                             TProgress& progress = NoProgress());

}  // namespace kestrova
