#include "shell/display_check.hpp"

#include <cstdlib>
#include <dlfcn.h>
#include <string_view>

namespace kestrova {

bool XDisplayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::string_view(platform).rfind("xcb", 0) != 0) return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return true;
    // The library Qt's X platform itself uses, loaded only for this test so
    // that the build needs no X development files.
    void* xcb = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return true;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool reachable = true;
    if (connect && hasError && disconnect) {
        void* c = connect(nullptr, nullptr);
        reachable = c && hasError(c) == 0;
        if (c) disconnect(c);
    }
    ::dlclose(xcb);
    return reachable;
}

}  // namespace kestrova
