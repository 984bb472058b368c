#include "base/process_end.hpp"

#include <atomic>

namespace kestrova {

namespace {
std::atomic<bool> processEndsAfterCommand{false};
}

void SetProcessEndsAfterCommand() { processEndsAfterCommand = true; }

bool ProcessEndsAfterCommand() { return processEndsAfterCommand; }

}  // namespace kestrova
