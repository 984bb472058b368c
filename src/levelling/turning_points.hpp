// Elimination of the turning points ("crapauds", staff points 700000 to
// 799999) of a levelling line: the readings between two named points sum
// to one height difference, with a standard deviation by the weighting
// mode. An intermediate sight closes a difference and starts the next one
// from the intermediate point.
#pragma once
#include <string>

#include "levelling/niv_model.hpp"

namespace kestrova {

class TTurningPoints {
public:
    explicit TTurningPoints(const TNivSettings& settings) : settings_(settings) {}
    // A new run: the next reading starts a difference.
    void StartRun();
    // Takes the next reading of the run; true when it closes a height
    // difference, given in `out`.
    bool Add(const Tobs_niv& r, Tdeniv& out);

private:
    TNivSettings settings_;
    bool start_ = true;
    bool intermediate_ = false;
    Tobs_niv kept_;  // the intermediate reading that opens the next difference
    std::string from_;
    double s_ = 0, v_ = 0, d_ = 0;
    int n_ = 0;
};

// Fills every run's height differences (with their Brelix records).
void EliminateTurningPoints(TRunList& runs, const TNivSettings& settings);

}  // namespace kestrova
