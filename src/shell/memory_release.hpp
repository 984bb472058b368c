// The memory a large piece of work freed, given back to the system: the
// allocator otherwise keeps freed blocks for later use, and after reading a
// monitoring book the window would hold on to hundreds of megabytes it no
// longer uses.
#pragma once

namespace kestrova {

void ReleaseFreedMemory();

}  // namespace kestrova
