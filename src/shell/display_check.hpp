// Whether the window can open at all: Qt aborts the process (SIGABRT, a
// core dump) when the display it is given cannot be reached, so the
// connection is tried first.
#pragma once

namespace kestrova {

// False when DISPLAY names an X server that does not answer or refuses
// the connection. True when no X connection will be tried (a platform
// chosen by QT_QPA_PLATFORM, no DISPLAY) or when the X client library
// cannot be loaded (Qt then reports the problem itself).
bool XDisplayReachable();

}  // namespace kestrova
