// The levelling processor: the weighting settings kept for the whole run of
// the program, and the run list of the book being worked on. The window
// keeps one; the console makes one from its options.
#pragma once
#include <string>
#include <vector>

#include "levelling/na3_reader.hpp"
#include "levelling/niv_model.hpp"
#include "levelling/turning_points.hpp"

namespace kestrova {

class TNivProcessor {
public:
    TNivSettings settings;
    TRunList runs;

    // Reads a book into the run list and eliminates its turning points.
    void ReduceBook(const std::vector<std::string>& lines) {
        runs = ReadNa3Book(lines);
        EliminateTurningPoints(runs, settings);
    }
    // Every command empties the list once its files are written.
    void Clear() { runs.clear(); }
};

}  // namespace kestrova
