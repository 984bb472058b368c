#include "base/process_end.hpp"

#include <atomic>
#include <malloc.h>

namespace kestrova {

namespace {
std::atomic<bool> processEndsAfterCommand{false};
}

void SetProcessEndsAfterCommand() {
    processEndsAfterCommand = true;
    // Nothing is given back before the end either, so the allocator may
    // take its memory from the system in large steps. Without this, the
    // heap of each thread but the first grows a page at a time, each page
    // one more system call that splits the process's map (some 20 000 of
    // them while a million pointings are read on two threads).
    mallopt(M_TOP_PAD, 64 << 20);
}

bool ProcessEndsAfterCommand() { return processEndsAfterCommand; }

}  // namespace kestrova
