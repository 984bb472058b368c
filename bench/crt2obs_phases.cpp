// Where the time of crt2obs goes: reading, reduction, and each writer's
// formatting into a sink that only counts bytes (no file), in CPU seconds.
//
//   crt2obs_phases <book.crt> [OUT]
//
// With OUT, the six files are then written as crt2obs writes them (all
// writers at once), timed as a whole.
#include <cstdio>
#include <ctime>
#include <string>

#include "base/line_sink.hpp"
#include "exports/check_listing.hpp"
#include "exports/export_common.hpp"
#include "exports/geolab_writer.hpp"
#include "exports/gsi_writer.hpp"
#include "exports/obs_writer.hpp"
#include "exports/reduction_outputs.hpp"
#include "exports/xml_report.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

using namespace kestrova;

namespace {

class CountingSink : public TLineSink {
public:
    using TLineSink::Add;
    void Add(std::string_view line) override { bytes += line.size() + 2; }
    std::size_t bytes = 0;
};

double Clock(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}
double Cpu() { return Clock(CLOCK_PROCESS_CPUTIME_ID); }
double Wall() { return Clock(CLOCK_MONOTONIC); }

template <typename F>
void Phase(const char* name, F f) {
    const double start = Cpu();
    const double wallStart = Wall();
    const std::size_t bytes = f();
    std::printf("%-12s %8.3f s cpu %8.3f s wall %10.1f MB\n", name, Cpu() - start, Wall() - wallStart,
                static_cast<double>(bytes) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: crt2obs_phases BOOK [OUT]\n");
        return 2;
    }
    Tday_obs book;
    book.trace.enabled = false;
    Phase("read", [&] { book.LoadFromFile(argv[1]); return std::size_t(0); });
    Phase("reduce", [&] {
        BuildTargetsAndCheck(book);
        CorrectAndReduce(book);
        return std::size_t(0);
    });
    const TExportTime time = CurrentExportTime();
    Phase(".chk", [&] { CountingSink s; ProduceCheckListing(book, s); return s.bytes; });
    Phase(".xml", [&] { CountingSink s; ProduceXmlReport(book, "x.xsl", s); return s.bytes; });
    Phase(".obs", [&] { CountingSink s; ProduceObsFile(book, "x.obs", time, s); return s.bytes; });
    Phase(".iob", [&] { CountingSink s; ProduceGeolabFile(book, s); return s.bytes; });
    Phase("_out.gsi", [&] { CountingSink s; ProduceGsiFile(book, s); return s.bytes; });
    if (argc == 3) {
        Phase("files", [&] {
            WriteConsoleReductionOutputs(book, ReductionFileNames(argv[2]));
            return std::size_t(0);
        });
    }
    return 0;
}
