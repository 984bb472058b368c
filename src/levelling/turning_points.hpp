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
    // The difference just given starts at a turning point: a set-up of the
    // book is broken (a foresight where its backsight should be), and the
    // difference ties that turning point to whatever else bears its number.
    bool FromTurningPoint() const { return fromTurning_; }
    // At the end of a run: readings were taken since the last difference
    // closed, and none of them reached a named point (the run ends on a
    // turning point, or on a backsight).
    bool Open() const { return !start_; }
    // The point the open readings start from, and the last one read.
    const std::string& OpenFrom() const { return from_; }
    const std::string& LastName() const { return last_; }

private:
    TNivSettings settings_;
    bool start_ = true;
    bool intermediate_ = false;
    Tobs_niv kept_;  // the intermediate reading that opens the next difference
    std::string from_;
    std::string last_;
    bool fromTurning_ = false;
    double s_ = 0, v_ = 0, d_ = 0;
    int n_ = 0;
};

// Fills every run's height differences (with their Brelix records); a
// difference that would start at a turning point is left out.
void EliminateTurningPoints(TRunList& runs, const TNivSettings& settings);

}  // namespace kestrova
