// What an adjustment starts from: the observations as the lines of an
// observation file (".obs"), read as such, made from a field book by its
// reduction, or from a levelling book by the elimination of its turning
// points; and the lines of the coordinate file (".cor") that gives the
// fixed and free points. The GNU Gama input is built from both as the
// conversion obs2gkf builds it.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "base/progress.hpp"

namespace kestrova {

enum class AdjustInputKind { Observations, FieldBook, LevellingBook };

// An input that cannot be adjusted; the message is for the user.
class AdjustInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct AdjustSource {
    AdjustInputKind kind = AdjustInputKind::Observations;
    std::string inputName;                // the file the user gave
    std::string corName;
    std::vector<std::string> obsLines;    // the observation file's lines
    std::vector<std::string> corLines;
    std::vector<std::string> warnings;    // what the reading left out
    bool Levelling() const { return kind == AdjustInputKind::LevellingBook; }
};

// The kind of input a file name says: ".obs" an observation file, ".na3" a
// levelling book, anything else a field book.
AdjustInputKind AdjustInputKindOf(const std::string& path);

// Builds the source from the input's lines (`name` for the messages).
// Throws AdjustInputError (a book with no station, no run), TCancelled.
AdjustSource MakeAdjustSource(AdjustInputKind kind, const std::vector<std::string>& inputLines,
                              const std::string& name, const std::vector<std::string>& corLines,
                              const std::string& corName, TProgress& progress = NoProgress());

// The GNU Gama input of the source. Throws AdjustInputError naming the
// file and the line of a value that is not a number, or a coordinate file
// without any point.
std::vector<std::string> BuildGamaInput(const AdjustSource& source, TProgress& progress = NoProgress());

}  // namespace kestrova
