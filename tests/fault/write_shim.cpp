// Fault injection for the end-to-end tests, loaded with LD_PRELOAD: every
// write() to a file whose path contains $KESTROVA_FAIL_WRITE fails with
// ENOSPC, as on a full disk. Other writes go through unchanged. Renames
// can be slowed as well (below).
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern "C" ssize_t write(int fd, const void* buf, size_t count) {
    using WriteFn = ssize_t (*)(int, const void*, size_t);
    static WriteFn real = reinterpret_cast<WriteFn>(dlsym(RTLD_NEXT, "write"));
    const char* pattern = getenv("KESTROVA_FAIL_WRITE");
    if (pattern && *pattern && fd > 2) {
        char link[64];
        char path[4096];
        snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t n = readlink(link, path, sizeof path - 1);
        if (n > 0) {
            path[n] = '\0';
            if (strstr(path, pattern)) {
                errno = ENOSPC;
                return -1;
            }
        }
    }
    return real(fd, buf, count);
}

// Slowed commits: when $KESTROVA_SLOW_RENAME names a file, every rename()
// to a path that contains $KESTROVA_SLOW_RENAME_ON first creates that file
// (so a test knows the commit has begun) and then waits a quarter of a
// second, leaving time for a signal to arrive while the files are being
// put in place.
extern "C" int rename(const char* from, const char* to) {
    using RenameFn = int (*)(const char*, const char*);
    static RenameFn real = reinterpret_cast<RenameFn>(dlsym(RTLD_NEXT, "rename"));
    const char* marker = getenv("KESTROVA_SLOW_RENAME");
    const char* on = getenv("KESTROVA_SLOW_RENAME_ON");
    if (marker && *marker && on && strstr(to, on)) {
        FILE* f = fopen(marker, "a");
        if (f) fclose(f);
        usleep(250000);
    }
    return real(from, to);
}
