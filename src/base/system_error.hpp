// The reasons the system gives for a failed file operation, in French for
// the ones a user meets every day (a missing file, a folder, a right, a
// full or read-only disk); the system's own text for the others.
#pragma once
#include <string>

namespace kestrova {

std::string SystemErrorText(int err);

// The same for a reason already turned into the system's text (strerror):
// the French text when it is one of the common ones, else as it is.
std::string FrenchSystemReason(const std::string& reason);

}  // namespace kestrova
