#include "shell/event_loop_probe.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace kestrova {

namespace {

constexpr int kTickMs = 10;

struct Probe {
    std::FILE* out = nullptr;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 maxDelay = 0;
};

Probe& TheProbe() {
    static Probe probe;
    return probe;
}

// A "VmHWM" (peak) or "VmRSS" (now) figure of /proc/self/status, in kB.
long ResidentKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return 0;
}

long PeakResidentKb() { return ResidentKb("VmHWM"); }

}  // namespace

void StartEventLoopProbe() {
    const char* path = std::getenv("KESTROVA_PROBE");
    Probe& p = TheProbe();
    if (!path || !*path || p.out) return;
    p.out = std::fopen(path, "a");
    if (!p.out) return;
    p.clock.start();
    p.lastTick = 0;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [] {
        Probe& q = TheProbe();
        const qint64 now = q.clock.elapsed();
        const qint64 delay = now - q.lastTick - kTickMs;
        if (delay > q.maxDelay) q.maxDelay = delay;
        q.lastTick = now;
        // Every long block is logged as it ends, whatever comes next.
        if (delay >= 100) {
            std::fprintf(q.out, "%.3f block maxdelay_ms=%lld peak_kb=%ld\n", static_cast<double>(now) / 1000.0,
                         static_cast<long long>(delay), PeakResidentKb());
            std::fflush(q.out);
        }
    });
    timer->start(kTickMs);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { ProbeMark("quit"); });
    ProbeMark("start");
}

void ProbeMark(const char* what) {
    Probe& p = TheProbe();
    if (!p.out) return;
    const qint64 now = p.clock.elapsed();
    // A mark made at the end of a block (the thread busy since the last
    // tick) counts that block: the tick that would have seen it comes after
    // the mark.
    const qint64 delay = now - p.lastTick - kTickMs;
    if (delay > p.maxDelay) p.maxDelay = delay;
    std::fprintf(p.out, "%.3f %s maxdelay_ms=%lld peak_kb=%ld rss_kb=%ld\n", static_cast<double>(now) / 1000.0, what,
                 static_cast<long long>(p.maxDelay), PeakResidentKb(), ResidentKb("VmRSS"));
    std::fflush(p.out);
    p.maxDelay = 0;
    p.lastTick = now;
}

}  // namespace kestrova
