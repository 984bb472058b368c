// The set-ups of a levelling line. A set-up is one backsight and one
// foresight (each with its second reading in the double-reading methods,
// and any intermediate sights), whatever order the level recorded them in:
// BF and BFFB take the backsight first, the alternating aBF and aBFFB take
// every second set-up foresight first. Readings are classified by what they
// are (back, fore, second back, second fore, intermediate), never by their
// position, so any reader of a digital-level recording can hand its
// readings here and get the rows of the levelling book in the order the
// turning-point elimination expects: backsight, intermediates, foresight.
#pragma once
#include <memory>
#include <vector>

#include "levelling/niv_model.hpp"

namespace kestrova {

enum class TStaffKind {
    Back,          // first backsight reading (value in obs.backsight)
    Fore,          // first foresight reading (obs.foresight)
    SecondBack,    // second backsight reading of the same point (obs.backsight)
    SecondFore,    // second foresight reading of the same point (obs.foresight)
    Intermediate,  // side shot (obs.intermediate)
    Other,         // a row without staff reading (a height, a remark): kept in place
    EndOfSetup,    // the level's summary of a set-up: a row kept after it, and the set-up closes
};

// One reading as the level recorded it, in recording order.
struct TStaffReading {
    TStaffKind kind = TStaffKind::Other;
    Tobs_niv obs;
    long long line = 0;  // line of the recording, for the messages
};

// Forms the set-ups of one levelling line as the readings stream by; the
// rows of each set-up go to `rows` once it is closed. Where a set-up
// cannot be formed (a backsight followed by another backsight, a second
// reading without its first, a foresight alone at the end of the line) a
// warning names the line; the readings are still written, so that the
// surveyor sees them in the book.
class TSetupBuilder {
public:
    explicit TSetupBuilder(TNivWarnings& warnings);
    ~TSetupBuilder();
    TSetupBuilder(const TSetupBuilder&) = delete;
    TSetupBuilder& operator=(const TSetupBuilder&) = delete;

    void Add(const TStaffReading& reading, std::vector<Tobs_niv>& rows);
    // The end of the levelling line: the last set-up closes.
    void Finish(std::vector<Tobs_niv>& rows);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The same on a whole levelling line.
std::vector<Tobs_niv> FormSetups(const std::vector<TStaffReading>& readings, TNivWarnings& warnings);

}  // namespace kestrova
